// The ADO driver through an OLE DB provider against an ODBC data source
// (SQLite's ODBC driver), named by KESTRUN_ADO_DSN in the test's environment.
// Under Wine, whose ADO has no transactions, record set rows, parameter
// collection or error collection, the tests of those are skipped.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "db/connection.h"
#include "support/temp_dir.h"
#include "util/log.h"

namespace {

bool RunningUnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

int CountOf(const std::string& text, const std::string& part) {
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

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
    ASSERT_EQ(Open(), 0);
    EXPECT_TRUE(connection->IsOpen());
    EXPECT_EQ(connection->Close(), 0);
    EXPECT_FALSE(connection->IsOpen());

    std::unique_ptr<CdDBConnection> other(CreateDBConnection("ado", "", nullptr, "MSDASQL"));
    other->connectAttempts = 3;
    other->connectWaitSeconds = 0;
    EXPECT_EQ(other->Open("", "", "kestrun_no_such_source", "", -1), -1001);
    EXPECT_NE(other->LastError(), 0);
    // A failure that is neither a network failure nor a time-out is not retried.
    EXPECT_EQ(CountOf(Log(), "Error      ["), 1) << Log();
}

TEST_F(AdoDriverTest, ChangingStatementsStoreRowsAndAFailureIsMapped) {
    ASSERT_EQ(Open(), 0);
    connection->noTransactions = true;
    ASSERT_EQ(Run("CREATE TABLE " + table + " (id INTEGER PRIMARY KEY, name TEXT)"), 0);
    ASSERT_EQ(Run("INSERT INTO " + table + " (id, name) VALUES (1, 'one')"), 0);
    // The stored row makes a second insert of its key fail.
    int again = Run("INSERT INTO " + table + " (id, name) VALUES (1, 'again')");
    EXPECT_TRUE(again == -1012 || again == -1006) << again;

    EXPECT_EQ(Run("SELECT * FROM " + table + "_missing"), -1006);
    EXPECT_NE(Log().find("DB access:sql[SELECT * FROM " + table + "_missing]sts["),
              std::string::npos)
        << Log();
}

TEST_F(AdoDriverTest, TransactionsCommitAndRollBack) {
    if (RunningUnderWine()) GTEST_SKIP() << "Wine's ADO has no BeginTrans or CommitTrans";
    ASSERT_EQ(Open(), 0);
    connection->noTransactions = true;
    ASSERT_EQ(Run("CREATE TABLE " + table + " (id INTEGER PRIMARY KEY)"), 0);
    connection->noTransactions = false;
    ASSERT_EQ(Run("INSERT INTO " + table + " (id) VALUES (1)"), 0);
    ASSERT_EQ(connection->Rollback(0), 0);
    ASSERT_EQ(Run("INSERT INTO " + table + " (id) VALUES (2)"), 0);
    ASSERT_EQ(connection->Commit(), 0);
    ASSERT_EQ(Run("SELECT id FROM " + table), 0);
    char* value = nullptr;
    ASSERT_EQ(connection->GetValue(&value, 0, nullptr), 0);
    EXPECT_STREQ(value, "2");
    delete[] value;
    EXPECT_EQ(connection->MoveNext(), 0);
    EXPECT_TRUE(connection->IsEOF());
}

TEST_F(AdoDriverTest, RecordSetsGiveTextNullsAndKinds) {
    if (RunningUnderWine()) GTEST_SKIP() << "Wine's ADO record sets read as EOF";
    ASSERT_EQ(Open(), 0);
    connection->noTransactions = true;
    ASSERT_EQ(Run("CREATE TABLE " + table + " (id INTEGER PRIMARY KEY, name NVARCHAR(20))"), 0);
    ASSERT_EQ(Run("INSERT INTO " + table + " VALUES (1, N'\xE6\x97\xA5\xE6\x9C\xAC'), (2, NULL)"), 0);
    ASSERT_EQ(Run("SELECT id, name FROM " + table + " ORDER BY id"), 0);
    ASSERT_EQ(connection->FieldCount(), 2);
    char* value = nullptr;
    ASSERT_EQ(connection->GetValueByName(&value, "name"), 0);
    EXPECT_STREQ(value, "\xE6\x97\xA5\xE6\x9C\xAC");
    delete[] value;
    ASSERT_EQ(connection->MoveNext(), 0);
    ASSERT_EQ(connection->GetValueByName(&value, "name"), 0);
    EXPECT_EQ(value, nullptr);
    EXPECT_EQ(connection->GetValueByName(&value, "nosuch"), -1013);
}

TEST_F(AdoDriverTest, LongParametersArriveWhole) {
    if (RunningUnderWine()) GTEST_SKIP() << "Wine's ADO Command has no Parameters collection";
    ASSERT_EQ(Open(), 0);
    connection->noTransactions = true;
    ASSERT_EQ(Run("CREATE TABLE " + table + " (id INTEGER PRIMARY KEY, memo NTEXT)"), 0);
    std::string text(100000, 'x');
    text[40958] = 'a';
    text[99999] = 'z';
    char* params[] = {text.data()};
    ASSERT_EQ(connection->Execute(("INSERT INTO " + table + " (id, memo) VALUES (1, ?)").c_str(),
                                  nullptr, 0, params, 1),
              0);
    ASSERT_EQ(Run("SELECT memo FROM " + table), 0);
    char* value = nullptr;
    ASSERT_EQ(connection->GetValue(&value, 0, nullptr), 0);
    EXPECT_EQ(std::string(value), text);
    delete[] value;
}

}  // namespace
