// The ADO driver through the system's ADO and an OLE DB provider against an
// ODBC data source (SQLite's ODBC driver), named by KESTRUN_ADO_DSN in the
// test's environment: opening, its failure report, and statements that
// change data. What Wine's ADO lacks (transactions, record set rows,
// parameters, the Errors collection) is tested against the tests' own ADO
// in driver_ado_calls_win32_test.cpp.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "db/connection.h"
#include "support/temp_dir.h"
#include "util/log.h"

namespace {

class AdoDriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* name = std::getenv("KESTRUN_ADO_DSN");
        if (!name || !*name) GTEST_SKIP() << "no ODBC data source named in KESTRUN_ADO_DSN";
        dsn = name;
        log = dir.file("log.txt");
        SetLogPath(log.c_str(), nullptr);
        connection.reset(CreateDBConnection("ado", "", nullptr, "MSDASQL"));
        connection->connectAttempts = 1;
        connection->connectWaitSeconds = 5;
        table = "ado_" + std::to_string(GetCurrentProcessId());
    }

    void TearDown() override {
        if (connection && connection->IsOpen()) {
            connection->noTransactions = true;
            connection->Execute(("DROP TABLE IF EXISTS " + table).c_str(), nullptr, 0, nullptr, 0);
        }
    }

    int Open() { return connection->Open("", "", dsn.c_str(), "", -1); }
    int Run(const std::string& sql) {
        return connection->Execute(sql.c_str(), nullptr, 0, nullptr, 0);
    }
    std::string Log() { return ReadWholeFile(log); }

    TempDir dir;
    std::string dsn;
    std::string log;
    std::string table;
    std::unique_ptr<CdDBConnection> connection;
};

TEST_F(AdoDriverTest, OpensADataSourceAndReportsAFailedOpenOnce) {
    ASSERT_EQ(Open(), 0) << Log();
    EXPECT_TRUE(connection->IsOpen());
    EXPECT_EQ(connection->Close(), 0);
    EXPECT_FALSE(connection->IsOpen());

    std::unique_ptr<CdDBConnection> other(CreateDBConnection("ado", "", nullptr, "MSDASQL"));
    other->connectAttempts = 3;
    other->connectWaitSeconds = 0;
    EXPECT_EQ(other->Open("", "", "kestrun_no_such_source", "", -1), -1001);
    EXPECT_NE(other->LastError(), 0);
    // A failure that is neither a network failure nor a time-out is not retried.
    EXPECT_EQ(CountOccurrences(Log(), "Error      ["), 1) << Log();
}

TEST_F(AdoDriverTest, ChangingStatementsStoreRowsAndAFailureIsMapped) {
    ASSERT_EQ(Open(), 0);
    connection->noTransactions = true;
    ASSERT_EQ(Run("CREATE TABLE " + table + " (id INTEGER PRIMARY KEY, name TEXT)"), 0);
    ASSERT_EQ(Run("INSERT INTO " + table + " (id, name) VALUES (1, 'one')"), 0);
    // The stored row makes a second insert of its key fail. SQLite's error
    // numbers are not SQL Server's, so the failure is the unmapped one.
    EXPECT_EQ(Run("INSERT INTO " + table + " (id, name) VALUES (1, 'again')"), -1006);

    EXPECT_EQ(Run("SELECT * FROM " + table + "_missing"), -1006);
    EXPECT_NE(Log().find("DB access:sql[SELECT * FROM " + table + "_missing]sts["),
              std::string::npos)
        << Log();
}

}  // namespace
