// The database session over the environment's connection and real SQLite
// database files.
#include "db/session.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "db/connection.h"
#include "db/platform.h"
#include "env/environment.h"
#include "support/sqlite_db.h"
#include "support/temp_dir.h"
#include "support/trace_text.h"
#include "util/date_time.h"
#include "util/nu_string.h"

namespace {

const char kSchema[] =
    "CREATE TABLE t (id INT PRIMARY KEY, name NVARCHAR(50) NOT NULL, memo NTEXT,"
    " parent INT REFERENCES t(id));"
    "CREATE TABLE TM_GROUP (sid_corporate INT, name NVARCHAR(20));"
    "INSERT INTO t VALUES (1, 'one', NULL, NULL), (2, 'two', 'memo two', 1);"
    "INSERT INTO TM_GROUP VALUES (1, 'g');";

std::vector<int> reasons;
int RecordRollback(const char* what, int, int detail, const char*) {
    if (std::string(what) == "rollback") reasons.push_back(detail);
    return 0;
}

// The error trace's records, decoded (each line is hex).
std::vector<std::string> TraceRecords() {
    std::vector<std::string> records;
    std::string hex = AppEnvironment() ? AppEnvironment()->ErrorTrace().Get() : "";
    // A last line without its newline is not a record yet.
    size_t start = 0;
    for (size_t end; (end = hex.find('\n', start)) != std::string::npos; start = end + 1) {
        records.push_back(DecodeHex(hex.substr(start, end - start)));
    }
    return records;
}

bool TraceHas(const std::string& part) {
    for (const std::string& r : TraceRecords()) {
        if (r.find(part) != std::string::npos) return true;
    }
    return false;
}

class Session : public ::testing::Test {
protected:
    void SetUp() override {
        SKIP_WITHOUT_SQLITE();
        std::filesystem::create_directories(home.path() + "/data");
        dbPath = home.path() + "/data/kestrun.db";
        ASSERT_EQ(MakeSqliteDb(dbPath, kSchema), "");
    }
    void TearDown() override { ReleaseEnvironment(); }

    // Creates the environment from a configuration with extra lines.
    void Configure(const std::string& extra = "") {
        ASSERT_TRUE(WriteWholeFile(home.path() + "/data/app",
                                   "dbprovider=sqlite\ndbname=kestrun.db\nretrycnt=2\n"
                                   "retrytim=0\n" +
                                       extra));
        CreateAppEnvironment();
        ASSERT_EQ(ReadConfiguration(home.path().c_str()), 0);
    }

    void OpenConfigured(const std::string& extra = "") {
        Configure(extra);
        ASSERT_EQ(DBOpen(), 0);
    }

    CdDBConnection* Connection() { return AppEnvironment()->Connection(); }
    std::string Scalar(const std::string& sql) { return SqliteScalar(dbPath, sql); }

    TempDir home;
    std::string dbPath;
};

TEST_F(Session, OpenTwiceOpensOnce) {
    OpenConfigured();
    EXPECT_EQ(DBExecute(nullptr, "update t set name = 'x' where id = 1", 0, 0), 0);
    EXPECT_EQ(DBOpen(), 0);
    EXPECT_TRUE(Connection()->InTransaction());
    EXPECT_EQ(DBCommit(), 0);
    EXPECT_EQ(Scalar("select name from t where id = 1"), "x");
}

TEST_F(Session, MissingDatabaseFileFailsToOpen) {
    Configure("dbname=absent.db\n");
    EXPECT_EQ(DBOpen(), -1000001);
    EXPECT_FALSE(std::filesystem::exists(home.path() + "/data/absent.db"));
    EXPECT_TRUE(TraceHas("iret=[-1001] open=[vrnl:localhost:absent.db] db=[14:database file not found"));
    EXPECT_TRUE(TraceHas("iret=[-1000001]"));
    EXPECT_FALSE(TraceHas("pmxq"));
}

TEST_F(Session, LockedDatabaseIsATimeOutAfterEveryAttempt) {
    SqliteHolder other(dbPath);
    ASSERT_EQ(other.Exec("PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE;"
                         " UPDATE t SET name = 'held';"),
              "");
    Configure();
    EXPECT_EQ(DBOpen(), -1000002);
    EXPECT_TRUE(TraceHas("db=[-911:"));
}

TEST_F(Session, OpenNeedsAUser) {
    Configure();
    EXPECT_EQ(DBOpenWith("kestrun.db", "pw", "srv", ""), -99);
    EXPECT_EQ(DBOpenWith("kestrun.db", "pw", "srv", nullptr), -99);
    EXPECT_EQ(DBOpenWith("kestrun.db", "pw", "srv", "someone"), 0);
}

TEST_F(Session, RejectedTraceStatementClosesAgain) {
    Configure("sqltrace=1\n");
    EXPECT_EQ(DBOpen(), -1016);
    EXPECT_FALSE(Connection()->IsOpen());
}

TEST_F(Session, TraceFileOfTheDayRecordsTheSession) {
    char today[9];
    TodayDate(today, 1);
    std::string trace = home.file(std::string("sql") + today + ".txt");
    OpenConfigured("tracefname=" + trace + "\n");
    EXPECT_EQ(DBExecute(nullptr, "select * from t where id = ?", 2, 0), 0);
    DBClose();
    std::string path = AppEnvironment()->TraceFileName();
    ASSERT_FALSE(path.empty());
    std::string text = ReadWholeFile(path);
    EXPECT_NE(text.find("\"DB open\"\n"), std::string::npos) << text;
    EXPECT_NE(text.find(" \"select * from t where id = ?\"\n"), std::string::npos);
    EXPECT_NE(text.find("param=[2]\n"), std::string::npos);
    EXPECT_NE(text.find("\"DB close\"\n"), std::string::npos);
    EXPECT_EQ(text.find("pmxq"), std::string::npos);
}

TEST_F(Session, StatementResultsAreMapped) {
    OpenConfigured();
    EXPECT_EQ(DBExecute(nullptr, "UPDATE t SET name = 'x' WHERE 1=0", 0, 0), -110);
    EXPECT_TRUE(Connection()->InTransaction());
    EXPECT_EQ(DBExecute(nullptr, "insert into t (id, name) values (1, 'dup')", 0, 0), -50);
    EXPECT_EQ(DBExecute(nullptr, "insert into t (id) values (3)", 0, 0), -10006);
    EXPECT_EQ(DBExecute(nullptr, "insert into t (id, name, parent) values (3, 'c', 99)", 0, 0),
              -1000009);
    EXPECT_TRUE(TraceRecords().empty());
    EXPECT_EQ(DBExecute(nullptr, "insert into t values (", 0, 0), -1000006);
    EXPECT_TRUE(TraceHas("ret[-1016]sql[insert into t values (] dberr=[170] dbmsg=["));
    EXPECT_EQ(DBExecute(nullptr, nullptr, 0, 0), -1000006);
}

TEST_F(Session, IntegerParameterBindsUnlessZero) {
    OpenConfigured();
    NUString name;
    ASSERT_EQ(DBExecute(nullptr, "select name from t where id = ?", 2, 0), 0);
    ASSERT_EQ(DBCheckRow(), 0);
    EXPECT_EQ(DBGetColumn("name", &name), 0);
    EXPECT_STREQ(name.Get(), "two");
    // 0 binds nothing: the marker stays NULL and matches no row.
    ASSERT_EQ(DBExecute(nullptr, "select name from t where id = ?", 0, 0), 0);
    EXPECT_EQ(DBCheckRow(), -110);
}

TEST_F(Session, LongParametersReachTheDatabase) {
    OpenConfigured();
    std::string memo(100000, 'm');
    char* params[] = {memo.data()};
    EXPECT_EQ(DBExecute(params, "update t set memo = ? where id = ?", 1, 1), -110);
    EXPECT_EQ(DBExecute(params, "update t set memo = ? where id = 1", 0, 1), 0);
    EXPECT_EQ(DBCommit(), 0);
    EXPECT_EQ(Scalar("select length(memo) from t where id = 1"), "100000");
}

TEST_F(Session, ReadingRowsAndColumns) {
    OpenConfigured();
    ASSERT_EQ(DBExecute(nullptr, "select id, memo, name from t order by id", 0, 0), 0);
    EXPECT_TRUE(DBIsRecordsetOpen());
    NUString value;
    char column[256];
    std::vector<std::string> seen;
    while (DBCheckRow() == 0) {
        ASSERT_EQ(DBGetColumn("memo", &value), 0);
        seen.push_back(value.Get());
        EXPECT_EQ(DBGetColumn("nosuch", &value), -111);
        ASSERT_EQ(DBGetFirstColumn(&value, column), 0);
        EXPECT_STREQ(column, "id");
        seen.push_back(value.Get());
        ASSERT_EQ(DBNext(), 0);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"", "1", "memo two", "2"}));
    EXPECT_EQ(DBNext(), -110);
    EXPECT_EQ(DBGetColumn("name", &value), -110);
    EXPECT_EQ(DBGetColumn("nosuch", &value), -110);
    EXPECT_EQ(DBGetFirstColumn(&value, nullptr), -110);
    EXPECT_EQ(DBGetColumn(nullptr, &value), -99);
    DBCloseRecordset();
    EXPECT_FALSE(DBIsRecordsetOpen());
    EXPECT_EQ(DBGetFirstColumn(&value, nullptr), -1000020);
    EXPECT_EQ(DBGetColumn("name", &value), -1000008);
}

// Close rolls back what is open; the closed connection is reported.
TEST_F(Session, CloseRollsBackAndLeavesTheConnectionClosed) {
    OpenConfigured();
    EXPECT_EQ(DBExecute(nullptr, "delete from t where id = 2", 0, 0), 0);
    DBClose();
    EXPECT_EQ(Scalar("select count(*) from t"), "2");
    NUString value;
    EXPECT_EQ(DBCheckRow(), -1000020);
    EXPECT_EQ(DBGetFirstColumn(&value, nullptr), -1000020);
    EXPECT_EQ(DBExecute(nullptr, "select 1", 0, 0), -1000006);
}

TEST_F(Session, LockTableHoldsTheWriteLockUntilCommit) {
    OpenConfigured();
    SqliteHolder other(dbPath);
    EXPECT_EQ(DBLockTable("TM_GROUP"), 0);
    EXPECT_TRUE(Connection()->InTransaction());
    EXPECT_NE(other.Exec("BEGIN IMMEDIATE"), "");
    EXPECT_EQ(DBCommit(), 0);
    EXPECT_EQ(other.Exec("BEGIN IMMEDIATE"), "");
    // Held by the other side now: the lock times out.
    DBSetTimeout(1);
    EXPECT_EQ(DBLockTable("TM_GROUP"), -1000010);
    EXPECT_TRUE(TraceHas("sql[ SELECT sid_corporate FROM TM_GROUP WITH (TABLOCKX)] dberr=[-911]"));
    DBResetTimeout();
    EXPECT_EQ(Connection()->GetCommandTimeout(), -1);
    EXPECT_EQ(other.Exec("ROLLBACK"), "");
    EXPECT_EQ(DBLockTable("nosuch"), -1000006);
    EXPECT_EQ(DBLockTable(nullptr), -99);
    EXPECT_EQ(DBLockTable(std::string(1000, 'T').c_str()), -99);
}

TEST_F(Session, RollbackReasonsAreMapped) {
    OpenConfigured();
    Connection()->callback = RecordRollback;
    const int in[] = {-54102, -54101, -54100, -54099, -1066, -1062, -1061, -1060, -5};
    const int out[] = {-108, -108, -108, -54099, -1067, -1067, -1061, -1002, -5};
    for (size_t i = 0; i < std::size(in); ++i) {
        ASSERT_EQ(DBExecute(nullptr, "update t set name = 'r' where id = 1", 0, 0), 0);
        DBRollback(in[i]);
    }
    EXPECT_EQ(reasons, std::vector<int>(std::begin(out), std::end(out)));
    EXPECT_EQ(Scalar("select name from t where id = 1"), "one");
}

TEST_F(Session, LastErrorCopiesTheMessage) {
    OpenConfigured();
    DBExecute(nullptr, "select * from nosuch", 0, 0);
    char message[4096];
    EXPECT_EQ(DBLastError(message), 208);
    EXPECT_STREQ(message, "no such table: nosuch");
    EXPECT_EQ(DBLastError(nullptr), 208);
}

TEST_F(Session, CommonFilesDirectoryIsExported) {
    ASSERT_EQ(DBSetEnvVar("CommonProgramFiles_x86_", "C:\\Common"), 0);
    OpenConfigured();
    std::string value;
    EXPECT_TRUE(DBGetEnvVar("CommonProgramFiles(x86)", &value));
    EXPECT_EQ(value, "C:\\Common");
}

TEST(SessionWithoutEnvironment, EveryOperationDegrades) {
    NUString value;
    EXPECT_EQ(DBOpen(), -2000001);
    EXPECT_EQ(DBOpenWith("db", "pw", "srv", "user"), -2000001);
    EXPECT_EQ(DBCommit(), -2000001);
    EXPECT_EQ(DBExecute(nullptr, "select 1", 0, 0), -2000001);
    EXPECT_EQ(DBLockTable("TM_GROUP"), -2000001);
    EXPECT_EQ(DBCheckRow(), -2000001);
    EXPECT_EQ(DBNext(), -2000001);
    EXPECT_EQ(DBGetColumn("a", &value), -2000001);
    EXPECT_EQ(DBGetFirstColumn(&value, nullptr), -2000001);
    EXPECT_EQ(DBLastError(nullptr), -2000001);
    EXPECT_FALSE(DBIsRecordsetOpen());
    DBRollback(0);
    DBClose();
    DBSetTimeout(3);
    DBResetTimeout();
    DBCloseRecordset();
    EXPECT_EQ(DBOperationHook("commit", 0, 0, nullptr), 0);
}

TEST(SessionCodes, DatabaseErrorsAreRecognised) {
    const int yes[] = {-1000000, -1000006, -1999999, -110, -50};
    const int no[] = {-99, -999999, -2000000, -111, 0, -62};
    for (int code : yes) EXPECT_TRUE(IsDBError(code)) << code;
    for (int code : no) EXPECT_FALSE(IsDBError(code)) << code;
}

}  // namespace
