// The ODBC driver through the driver manager against SQLite's ODBC driver,
// registered in a test-local driver list, with statements both dialects
// accept.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "db/connection.h"
#include "db/driver.h"
#include "db/platform.h"
#include "support/closed_port.h"
#include "support/db_value.h"
#include "support/odbc_driver.h"
#include "support/sqlite_db.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"
#include "util/log.h"

namespace {

const char kDriverName[] = "SQLite3 Test";

const char kSchema[] =
    "CREATE TABLE t (id INTEGER PRIMARY KEY, name NVARCHAR(50) NOT NULL, amount DECIMAL(10,2),"
    " memo NTEXT);"
    "INSERT INTO t VALUES (1, 'one', 12.5, 'long text'), (2, 'two', NULL, NULL);";

class OdbcDriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        SKIP_WITHOUT_SQLITE_FILES();
        if (OnWindows()) {
            // Under Wine the host's driver manager reads the driver list of
            // the environment Wine started with, which names the driver so.
            const char* named = std::getenv("KESTRUN_SQLITE_ODBC_DRIVER");
            ASSERT_STREQ(named ? named : "", kDriverName);
        } else {
            std::string library = FindOdbcLibrary("libsqlite3odbc.so");
            if (library.empty()) GTEST_SKIP() << "SQLite's ODBC driver is not installed";
            ASSERT_TRUE(RegisterOdbcDriver(dir, kDriverName, library));
        }
        dbPath = dir.file("odbc.db");
        // The driver may run on the host: it opens the file by the host's name.
        dbName = HostFilePath(dbPath);
        ASSERT_EQ(MakeSqliteDb(dbPath, kSchema), "");
        log = dir.file("log.txt");
        SetLogPath(log.c_str(), nullptr);
        connection.reset(CreateDBConnection("odbc", "", kDriverName));
        connection->connectAttempts = 1;
        connection->connectWaitSeconds = 5;
    }

    int Open() { return connection->Open("vrnl", "secret", "localhost", dbName.c_str(), 10); }
    int Run(const char* sql, const char* param = nullptr, char** longs = nullptr, int count = 0) {
        return connection->Execute(sql, param, 0, longs, count);
    }
    std::string Scalar(const std::string& sql) { return SqliteScalar(dbPath, sql); }

    std::string Value(int index, int* kind = nullptr) {
        return ColumnText(*connection, index, kind);
    }

    TempDir dir;
    std::string dbPath;
    std::string dbName;
    std::string log;
    std::unique_ptr<CdDBConnection> connection;
};

TEST_F(OdbcDriverTest, OpensExecutesAndFetches) {
    ASSERT_EQ(Open(), 0);
    EXPECT_TRUE(connection->IsOpen());
    ASSERT_EQ(Run("select id, name, amount, memo from t order by id"), 0);
    EXPECT_EQ(connection->FieldCount(), 4);
    char name[256];
    ASSERT_EQ(connection->FieldName(name, 1), 0);
    EXPECT_STREQ(name, "name");
    // SQLite's ODBC driver reports these columns as plain text; the kinds of
    // wide and decimal types are checked against the type table below.
    const char* rows[][4] = {{"1", "one", "12.5", "long text"}, {"2", "two", "NULL", "NULL"}};
    for (const auto& row : rows) {
        for (int i = 0; i < 4; ++i) EXPECT_EQ(Value(i), row[i]) << i;
        ASSERT_EQ(connection->MoveNext(), 0);
    }
    EXPECT_TRUE(connection->IsEOF());
}

TEST_F(OdbcDriverTest, ConnectionDataIsTextOfTheSystemCodePage) {
    // A password in the system code page's bytes (UTF-8 off Windows) reaches
    // the driver; bytes that are no character there are refused.
    int page = SystemCodePage();
    ASSERT_EQ(page, RegisteredCodePage()) << "the locale of LC_ALL is missing (scripts/common.sh makes it)";
    const char* password = page == 1252 ? "p\xE9" : page == 932 ? "p\x95\x5C" : "p\xC3\xA9";
    EXPECT_EQ(connection->Open("vrnl", password, "localhost", dbName.c_str(), 10), 0);
    connection->Close();
    if (page != 1252) {
        EXPECT_NE(connection->Open("vrnl", "p\x82", "localhost", dbName.c_str(), 10), 0);
        EXPECT_FALSE(connection->IsOpen());
    }
}

TEST_F(OdbcDriverTest, WideTextRoundTrips) {
    ASSERT_EQ(Open(), 0);
    const std::string wide = "日本語テキスト 😀 ü";
    std::string longText(100000, 'x');
    longText.replace(40957, wide.size(), wide);
    char* params[] = {longText.data(), const_cast<char*>(wide.c_str())};
    ASSERT_EQ(Run("insert into t (id, name, memo) values (?, ?, ?)", "3", params, 2), 0);
    ASSERT_EQ(Run("update t set name = '名前' where id = 1"), 0);
    ASSERT_EQ(connection->Commit(), 0);
    ASSERT_EQ(Run("select name, memo from t where id = ?", "3"), 0);
    ASSERT_FALSE(connection->IsEOF());
    EXPECT_TRUE(Value(0) == longText);
    EXPECT_EQ(Value(1), wide);
    ASSERT_EQ(Run("select name from t where id = 1"), 0);
    EXPECT_EQ(Value(0), "名前");
    EXPECT_EQ(Scalar("select length(cast(name as blob)) from t where id = 3"), "100000");
}

TEST_F(OdbcDriverTest, TransactionsCommitAndRollBack) {
    ASSERT_EQ(Open(), 0);
    ASSERT_EQ(Run("update t set name = 'uno' where id = 1"), 0);
    EXPECT_EQ(connection->RowsAffected(), 1);
    ASSERT_EQ(connection->Rollback(0), 0);
    EXPECT_EQ(Scalar("select name from t where id = 1"), "one");
    EXPECT_EQ(Run("update t set name = 'x' where 1=0"), -1110);
    ASSERT_EQ(Run("update t set name = 'uno' where id = 1"), 0);
    ASSERT_EQ(connection->Commit(), 0);
    EXPECT_EQ(Scalar("select name from t where id = 1"), "uno");
    // Back in autocommit: a statement without transaction is visible at once.
    connection->noTransactions = true;
    ASSERT_EQ(Run("delete from t where id = 2"), 0);
    EXPECT_EQ(Scalar("select count(*) from t"), "1");
}

// After a statement that ended the transaction (its own COMMIT, END or
// ROLLBACK, or a failure SQLite answers by rolling back, which SQLite's
// ODBC driver does not notice), a change would be stored on its own: it is
// refused and the commit fails. The rollback then leaves the connection
// ready for the next transaction, although the database has none left to
// roll back.
TEST_F(OdbcDriverTest, AfterATransactionEndedOrMayHaveNothingIsStoredOnItsOwn) {
    struct Row {
        const char* statement;
        int result;         // of the statement
        int change;         // of the change after it
        const char* kept;   // rows 3 the statement left committed
        const char* logged;
    } rows[] = {
        {"insert or rollback into t (id, name) values (1, 'dup')", -1006, -1019, "0",
         "transaction rolled back by the database"},
        {"commit transaction", 0, -1006, "1", "the transaction was ended by an earlier statement"},
        {"END", 0, -1006, "1", "the transaction was ended by an earlier statement"},
        {"ROLLBACK", 0, -1006, "0", "the transaction was ended by an earlier statement"},
    };
    ASSERT_EQ(Open(), 0);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.statement);
        ASSERT_EQ(Run("insert into t (id, name) values (3, 'three')"), 0);
        EXPECT_EQ(Run(row.statement), row.result);
        EXPECT_EQ(Run("insert into t (id, name) values (4, 'four')"), row.change);
        EXPECT_EQ(connection->Commit(), -1004);
        EXPECT_NE(ReadTextFile(log).find(row.logged), std::string::npos) << ReadTextFile(log);
        size_t logged = ReadTextFile(log).size();
        EXPECT_EQ(connection->Rollback(0), 0);
        EXPECT_EQ(ReadTextFile(log).substr(logged), "");
        EXPECT_EQ(Scalar("select count(*) from t where id = 4"), "0");
        EXPECT_EQ(Scalar("select count(*) from t where id = 3"), row.kept);
        EXPECT_EQ(Run("delete from t where id = 3"), std::string(row.kept) == "1" ? 0 : -1110);
        EXPECT_EQ(connection->Commit(), 0);
        EXPECT_EQ(Scalar("select count(*) from t where id = 3"), "0");
    }
}

TEST_F(OdbcDriverTest, ErrorsCarryTheDiagnostics) {
    ASSERT_EQ(Open(), 0);
    EXPECT_EQ(Run("select * from nosuch"), -1006);
    EXPECT_NE(connection->LastError(), 0);
    EXPECT_NE(std::string(connection->LastMessage()).find("nosuch"), std::string::npos)
        << connection->LastMessage();
    std::string text = ReadTextFile(log);
    EXPECT_NE(text.find("Source     [ODBC]\n"), std::string::npos) << text;
    EXPECT_NE(text.find("SQL State  ["), std::string::npos);
    EXPECT_NE(text.find("DB access:sql[select * from nosuch]"), std::string::npos);
    EXPECT_LT(Run("insert into t (id, name) values (1, 'dup')"), -1000);
}

TEST_F(OdbcDriverTest, UnknownDriverFailsToOpen) {
    std::unique_ptr<CdDBConnection> other(CreateDBConnection("odbc", "", "No Such Driver"));
    other->connectAttempts = 1;
    EXPECT_EQ(other->Open("vrnl", "secret", "srv", dbName.c_str(), 5), -1001);
    EXPECT_STRNE(other->LastMessage(), "");
    EXPECT_EQ(ReadWholeFile(log).find("secret"), std::string::npos);
}

TEST_F(OdbcDriverTest, SeparatorsInValuesKeepTheConnectionData) {
    // Braced values reach the driver whole; the database stays the one named.
    std::string other = dir.file("other.db");
    std::string user = "vrnl;Database=" + HostFilePath(other);
    ASSERT_EQ(connection->Open(user.c_str(), "p;w}d{", "localhost", dbName.c_str(), 10), 0);
    ASSERT_EQ(Run("select count(*) from t"), 0);
    EXPECT_EQ(Value(0), "2");
    EXPECT_FALSE(std::filesystem::exists(other));
}

std::vector<int> waits;
void RecordWait(int seconds) { waits.push_back(seconds); }

TEST(OdbcUnreachableServer, IsRetriedAndReportedAsANetworkFailure) {
    TempDir dir;
    if (OnWindows()) {
        // The driver list of the environment Wine started with names it.
        const char* named = std::getenv("KESTRUN_TDS_ODBC_DRIVER");
        if (!named || std::string(named) != "TDS Test") GTEST_SKIP() << "FreeTDS's ODBC driver is not named";
    } else {
        std::string library = FindOdbcLibrary("libtdsodbc.so");
        if (library.empty()) GTEST_SKIP() << "FreeTDS's ODBC driver is not installed";
        ASSERT_TRUE(RegisterOdbcDriver(dir, "TDS Test", library));
    }
    std::string log = dir.file("log.txt");
    SetLogPath(log.c_str(), nullptr);
    DBDriverSettings settings;
    settings.odbcDriver = "TDS Test";
    CdDBDriverConnection connection(CreateDBDriver("odbc", settings));
    connection.connectAttempts = 3;
    connection.connectWaitSeconds = 1;
    connection.waitSeconds = RecordWait;
    int port = ClosedLocalPort();
    ASSERT_NE(port, 0);
    std::string server = "127.0.0.1," + std::to_string(port);
    EXPECT_EQ(connection.Open("vrnl", "pw", server.c_str(), "vrnldb", 5), -1002);
    EXPECT_EQ(waits, (std::vector<int>{1, 1}));
    // One report per attempt, each led by the connection failure.
    EXPECT_EQ(CountOccurrences(ReadTextFile(log), "******************************[0]\n"), 3);
}

TEST(OdbcColumnTypes, WideAndDecimalTypesKeepTheirNumbers) {
    EXPECT_EQ(OdbcColumnType(-8), kDBTypeWChar);          // SQL_WCHAR
    EXPECT_EQ(OdbcColumnType(-9), kDBTypeVarWChar);       // SQL_WVARCHAR
    EXPECT_EQ(OdbcColumnType(-10), kDBTypeLongVarWChar);  // SQL_WLONGVARCHAR
    EXPECT_EQ(OdbcColumnType(3), kDBTypeNumeric);         // SQL_DECIMAL
    EXPECT_EQ(OdbcColumnType(2), kDBTypeNumeric);         // SQL_NUMERIC
    EXPECT_EQ(OdbcColumnType(12), kDBTypeVarChar);        // SQL_VARCHAR
    EXPECT_EQ(OdbcColumnType(4), kDBTypeInteger);         // SQL_INTEGER
    EXPECT_EQ(OdbcColumnType(9999), kDBTypeEmpty);
}

TEST(OdbcConnectionString, ValuesAreBracedWhenNeeded) {
    DBConnectData data{"vrnl", "pmxq", "db1\\inst", "vrnldb"};
    EXPECT_EQ(BuildOdbcConnectionString("FreeTDS", data),
              "Driver={FreeTDS};Server=db1\\inst;Database=vrnldb;UID=vrnl;PWD=pmxq;");
    data.password = "a;b}c{";
    data.user = "u;x";
    EXPECT_EQ(BuildOdbcConnectionString("My {Driver}", data),
              "Driver={My {Driver}}};Server=db1\\inst;Database=vrnldb;UID={u;x};PWD={a;b}}c{};");
}

}  // namespace
