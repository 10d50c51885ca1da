// The driver connection against real SQLite database files.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "db/connection.h"
#include "db/driver.h"
#include "support/db_value.h"
#include "support/sqlite_db.h"
#include "support/temp_dir.h"
#include "util/log.h"

namespace {

struct Event {
    std::string what;
    int result;
    int detail;
    std::string message;
};
std::vector<Event> events;

int Record(const char* what, int result, int detail, const char* message) {
    events.push_back({what ? what : "", result, detail, message ? message : ""});
    return 0;
}

int CountEvents(const std::string& what) {
    int n = 0;
    for (const Event& e : events) n += e.what == what;
    return n;
}

std::vector<int> waits;
void RecordWait(int seconds) { waits.push_back(seconds); }

const char kSchema[] =
    "CREATE TABLE t (id INT PRIMARY KEY, name NVARCHAR(50) NOT NULL, amount DECIMAL(10,2),"
    " memo NTEXT, code VARCHAR(10));"
    "CREATE TABLE child (id INT PRIMARY KEY CHECK (id > 0), t_id INT REFERENCES t(id));"
    "CREATE TABLE guarded (id INT);"
    "CREATE TRIGGER guard BEFORE INSERT ON guarded BEGIN SELECT RAISE(ABORT, 'refused'); END;"
    "INSERT INTO t VALUES (1, 'one', 12.5, 'long text', NULL), (2, 'two', NULL, NULL, 'c2');";

class SqliteConnection : public ::testing::Test {
protected:
    void SetUp() override {
        SKIP_WITHOUT_SQLITE();
        events.clear();
        waits.clear();
        dbPath = dir.file("kestrun.db");
        ASSERT_EQ(MakeSqliteDb(dbPath, kSchema), "");
        connection = MakeConnection();
        ASSERT_EQ(connection->Open("vrnl", "secret", "localhost", "kestrun.db", -1), 0);
    }

    std::unique_ptr<CdDBDriverConnection> MakeConnection() {
        DBDriverSettings settings;
        settings.dataDir = dir.path();
        auto c = std::make_unique<CdDBDriverConnection>(CreateDBDriver("sqlite", settings));
        c->connectAttempts = 1;
        c->connectWaitSeconds = 0;
        c->callback = Record;
        c->waitSeconds = RecordWait;
        return c;
    }

    std::string Scalar(const std::string& sql) { return SqliteScalar(dbPath, sql); }
    int Run(const char* sql, const char* param = nullptr, char** longs = nullptr, int count = 0) {
        return connection->Execute(sql, param, 0, longs, count);
    }
    // The connection's last message holds part.
    void ExpectMessage(const char* part) {
        EXPECT_NE(std::string(connection->LastMessage()).find(part), std::string::npos)
            << connection->LastMessage();
    }

    std::string Value(int index, int* kind = nullptr) {
        return ColumnText(*connection, index, kind);
    }

    TempDir dir;
    std::string dbPath;
    std::unique_ptr<CdDBDriverConnection> connection;
};

// Only a plain select runs without a transaction; one that locks rows, or
// does not start the text, begins one and takes the database's write lock.
TEST_F(SqliteConnection, OnlyPlainSelectsRunWithoutTransaction) {
    struct Row {
        const char* sql;
        bool begins;
    } rows[] = {
        {"select * from t", false},
        {"SELECT * FROM t where id = 1", false},
        {"select ' with(updlock)x' from t", false},  // the hint stands as a word of its own
        {"SELECT * FROM t with(updlock) ", true},
        {" SELECT id FROM t", true},
        {"SELECT id FROM t with(updlock)", true},  // without WHERE the hint ends the text
        {"SELECT a.id FROM t a with(updlock),child c", true},  // before a table list's comma
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.sql);
        events.clear();
        EXPECT_EQ(Run(row.sql), 0);
        EXPECT_EQ(connection->InTransaction(), row.begins);
        EXPECT_EQ(CountEvents("BeginTransaction"), row.begins ? 1 : 0);
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.back().what, row.sql);
        EXPECT_EQ(events.back().result, 0);
        SqliteHolder other(dbPath);
        EXPECT_EQ(other.Exec("BEGIN IMMEDIATE").empty(), !row.begins);
        EXPECT_EQ(connection->Commit(), 0);
    }
}

TEST_F(SqliteConnection, ChangingStatementsShareOneTransactionUntilCommit) {
    EXPECT_EQ(Run("UPDATE t SET name = 'uno' WHERE id = 1"), 0);
    EXPECT_EQ(Run("insert into t (id, name) values (3, N'three')"), 0);
    EXPECT_EQ(CountEvents("BeginTransaction"), 1);
    // Uncommitted work is invisible to others, and they cannot write.
    EXPECT_EQ(Scalar("select name from t where id = 1"), "one");
    SqliteHolder other(dbPath);
    EXPECT_NE(other.Exec("BEGIN IMMEDIATE"), "");
    EXPECT_EQ(connection->Commit(), 0);
    EXPECT_EQ(Scalar("select name from t where id = 1"), "uno");
    EXPECT_EQ(Scalar("select name from t where id = 3"), "three");
    EXPECT_EQ(CountEvents("commit"), 1);
    // Nothing open: no second commit step.
    EXPECT_EQ(connection->Commit(), 0);
    EXPECT_EQ(connection->Rollback(0), 0);
    EXPECT_EQ(CountEvents("commit"), 1);
    EXPECT_EQ(CountEvents("rollback"), 0);
}

TEST_F(SqliteConnection, ATransactionTheDatabaseRolledBackIsNeitherContinuedNorCommitted) {
    // The file may not grow: the second insert finds the disk full, and
    // SQLite rolls the whole transaction back by itself.
    ASSERT_EQ(Run("PRAGMA max_page_count = 1"), 0);
    ASSERT_EQ(connection->Commit(), 0);
    ASSERT_EQ(Run("insert into t (id, name) values (3, 'three')"), 0);
    std::string big(20000, 'x');
    char* params[] = {big.data()};
    EXPECT_EQ(Run("insert into t (id, name, memo) values (4, 'four', ?)", nullptr, params, 1),
              -1006);
    EXPECT_TRUE(connection->TransactionLost());
    // Reading goes on; changing, alone in autocommit, does not.
    EXPECT_EQ(Run("select count(*) from t"), 0);
    EXPECT_EQ(Run("update t set name = 'uno' where id = 1"), -1019);
    EXPECT_EQ(connection->Commit(), -1004);
    ExpectMessage("transaction rolled back by the database");
    EXPECT_EQ(Scalar("select count(*) from t"), "2");
    // The caller's rollback ends the lost transaction; new work is accepted.
    EXPECT_EQ(connection->Rollback(0), 0);
    EXPECT_FALSE(connection->TransactionLost());
    EXPECT_EQ(Run("update t set name = 'uno' where id = 1"), 0);
    EXPECT_EQ(connection->Commit(), 0);
    EXPECT_EQ(Scalar("select name from t where id = 1"), "uno");
}

TEST_F(SqliteConnection, TheDriverDoesNotCommitATransactionTheDatabaseEnded) {
    connection.reset();
    DBDriverSettings settings;
    settings.dataDir = dir.path();
    std::unique_ptr<DBDriver> driver = CreateDBDriver("sqlite", settings);
    ASSERT_EQ(driver->Open({"vrnl", "", "", "kestrun.db"}, 0), 0);
    std::unique_ptr<DBRecordSet> rows;
    long long affected = 0;
    auto run = [&](const std::string& sql, std::vector<DBParam> params = {}) {
        return driver->Execute(sql, false, params, -1, &rows, &affected);
    };
    ASSERT_EQ(run("PRAGMA max_page_count = 1"), 0);
    ASSERT_EQ(driver->BeginTrans(), 0);
    ASSERT_EQ(run("insert into t (id, name) values (3, 'three')"), 0);
    DBParam big;
    big.type = DBParam::Type::LongText;
    big.chunks = {std::u16string(20000, u'x')};
    ASSERT_NE(run("insert into t (id, name, memo) values (4, 'four', ?)", {big}), 0);
    EXPECT_EQ(driver->TransactionOpen(), 0);
    EXPECT_NE(driver->CommitTrans(), 0);
}

TEST_F(SqliteConnection, ChangesAfterAStatementThatEndedTheTransactionAreRefused) {
    for (const char* end : {"ROLLBACK", "commit transaction"}) {
        SCOPED_TRACE(end);
        ASSERT_EQ(Run("update t set name = 'uno' where id = 1"), 0);
        ASSERT_EQ(Run(end), 0);
        // Alone in autocommit, this insert would stay whatever the caller's
        // rollback says.
        EXPECT_NE(Run("insert into t (id, name) values (3, 'three')"), 0);
        EXPECT_TRUE(connection->TransactionLost());
        EXPECT_NE(connection->Commit(), 0);
        EXPECT_EQ(connection->Rollback(0), 0);
        EXPECT_EQ(Scalar("select count(*) from t where id = 3"), "0");
    }
}

TEST_F(SqliteConnection, UpdateOfNoRowGivesNoRowAndKeepsTheTransaction) {
    const char* sql = "UPDATE t SET name = 'x' WHERE 1=0";
    EXPECT_EQ(Run(sql), -1110);
    EXPECT_EQ(connection->RowsAffected(), 0);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().what, sql);
    EXPECT_EQ(events.back().result, 0);
    EXPECT_EQ(events.back().detail, 0);
    EXPECT_TRUE(connection->InTransaction());
    EXPECT_EQ(Run("delete from t"), 0);
    EXPECT_EQ(connection->RowsAffected(), 2);
    EXPECT_EQ(events.back().detail, 2);
}

// A rollback passes its reason on; a close rolls back what is open, and
// opening again starts without a transaction.
TEST_F(SqliteConnection, RollbackAndCloseUndoWhatIsOpen) {
    EXPECT_EQ(Run("delete from t where id = 2"), 0);
    EXPECT_EQ(connection->Rollback(-108), 0);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().what, "rollback");
    EXPECT_EQ(events.back().detail, -108);
    EXPECT_FALSE(connection->InTransaction());
    EXPECT_EQ(Scalar("select count(*) from t"), "2");
    EXPECT_EQ(Run("delete from t"), 0);
    EXPECT_EQ(connection->Close(), 0);
    EXPECT_FALSE(connection->IsOpen());
    EXPECT_EQ(Scalar("select count(*) from t"), "2");
    EXPECT_EQ(Run("select * from t"), -1101);
    ASSERT_EQ(connection->Open("vrnl", "secret", "localhost", "kestrun.db", -1), 0);
    EXPECT_FALSE(connection->InTransaction());
}

TEST_F(SqliteConnection, WithoutTransactionsChangesCommitAtOnce) {
    connection->noTransactions = true;
    EXPECT_FALSE(connection->TransactionsEnabled());
    EXPECT_EQ(Run("delete from t where id = 1"), 0);
    EXPECT_FALSE(connection->InTransaction());
    EXPECT_EQ(Scalar("select count(*) from t"), "1");
    EXPECT_EQ(connection->Commit(), 0);
    EXPECT_EQ(CountEvents("BeginTransaction") + CountEvents("commit"), 0);
}

TEST_F(SqliteConnection, ConstraintFailuresMapToTheirCodes) {
    struct Case {
        const char* sql;
        int result;
        int error;
    };
    const Case cases[] = {
        {"insert into t (id, name) values (1, 'dup')", -1012, 2627},
        {"insert into t (id) values (9)", -1043, 515},
        {"insert into child values (1, 99)", -1009, 547},
        {"insert into child values (-1, 1)", -1009, 547},
        {"insert into guarded values (1)", -1009, 50000},
        {"insert into t values (", -1016, 170},
        {"delete from t; delete from child", -1016, 170},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql);
        events.clear();
        EXPECT_EQ(Run(c.sql), c.result);
        EXPECT_EQ(connection->LastError(), c.error);
        EXPECT_STRNE(connection->LastMessage(), "");
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.back().result, c.result);
        EXPECT_EQ(events.back().detail, c.error);
    }
    // The failures leave the transaction open, and nothing was deleted.
    EXPECT_TRUE(connection->InTransaction());
    EXPECT_EQ(Scalar("select count(*) from t"), "2");
}

TEST_F(SqliteConnection, MissingTableIsAnOtherFailureWithItsLine) {
    std::string log = dir.file("err.txt");
    SetLogPath(log.c_str(), nullptr);
    EXPECT_EQ(Run("select * from nosuch"), -1006);
    EXPECT_EQ(connection->LastError(), 208);
    std::string text = ReadWholeFile(log);
    for (const char* line :
         {"NativeError[208]", "SQL State  [42S02]",
          "DB access:sql[select * from nosuch]sts[208]err[no such table: nosuch]"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
    }
}

TEST_F(SqliteConnection, ValuesKindsAndNulls) {
    ASSERT_EQ(Run("select id, name, amount, memo, code, count(*) over () as n from t order by id"),
              0);
    EXPECT_TRUE(connection->IsRecordsetOpen());
    EXPECT_EQ(connection->FieldCount(), 6);
    char name[256];
    EXPECT_EQ(connection->FieldName(name, 2), 0);
    EXPECT_STREQ(name, "amount");
    EXPECT_EQ(connection->FieldName(name, 6), -1007);
    struct Row {
        int row;
        int index;
        const char* text;
        int kind;
    } rows[] = {{0, 0, "1", 0},    {0, 2, "12.5", 1}, {0, 3, "long text", 2},
                {0, 4, "NULL", 0}, {1, 2, "NULL", 1}, {1, 3, "NULL", 0}};
    int at = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.row) + "/" + std::to_string(row.index));
        for (; at < row.row; ++at) ASSERT_EQ(connection->MoveNext(), 0);
        int kind = -1;
        EXPECT_EQ(Value(row.index, &kind), row.text);
        EXPECT_EQ(kind, row.kind);
    }
    EXPECT_FALSE(connection->IsEOF());
    char* out = nullptr;
    EXPECT_EQ(connection->GetValueByName(&out, "CODE"), 0);
    ASSERT_NE(out, nullptr);
    EXPECT_STREQ(out, "c2");
    delete[] out;
    EXPECT_EQ(connection->GetValueByName(&out, "nosuch"), -1013);
    EXPECT_EQ(connection->GetValue(&out, 9, nullptr), -1013);

    EXPECT_EQ(connection->MoveNext(), 0);
    EXPECT_TRUE(connection->IsEOF());
    EXPECT_EQ(connection->GetValue(&out, 0, nullptr), -1110);
    EXPECT_EQ(connection->MoveNext(), -1008);
    EXPECT_EQ(connection->CloseRecordset(), 0);
    EXPECT_FALSE(connection->IsRecordsetOpen());
    EXPECT_TRUE(connection->IsEOF());
    EXPECT_EQ(connection->FieldCount(), 0);
    EXPECT_EQ(connection->GetValue(&out, 0, nullptr), -1008);
}

// A column name that two columns share (a join's second "id") reads the
// first of them, whatever was read before.
TEST_F(SqliteConnection, ASharedColumnNameAlwaysReadsItsFirstColumn) {
    ASSERT_EQ(Run("select id, name as v, id + 10 as ID from t order by id"), 0);
    for (const char* expected : {"1", "2"}) {
        for (const char* column : {"id", "v", "id", "ID", "id"}) {
            SCOPED_TRACE(std::string(expected) + " " + column);
            char* out = nullptr;
            ASSERT_EQ(connection->GetValueByName(&out, column), 0);
            if (column[0] != 'v') {
                EXPECT_STREQ(out, expected);
            }
            delete[] out;
        }
        ASSERT_EQ(connection->MoveNext(), 0);
    }
}

// The rows before a failing one are read; the move onto it fails, after
// the report, and the statement itself succeeded.
TEST_F(SqliteConnection, ARowThatFailsFailsOnlyTheMoveOntoIt) {
    ASSERT_EQ(Run("select id, abs(case when id = 2 then -9223372036854775807 - 1 else id end)"
                  " from t order by id"),
              0);
    ASSERT_FALSE(connection->IsEOF());
    EXPECT_EQ(Value(1), "1");
    EXPECT_EQ(connection->MoveNext(), -1008);
    ExpectMessage("integer overflow");
    EXPECT_TRUE(connection->IsEOF());
}

// A failure met while rows are read that no MoveNext gave the caller (the
// row read ahead at Execute, the rows kept before the commit) fails the
// commit, also once the set is dropped: the statement failed. Met outside
// a transaction, it fails none that begins after it.
TEST_F(SqliteConnection, AReadFailureTheCallerNeverGotFailsTheCommit) {
    const char* twoRows = "select abs(column1) from (values (1), (-9223372036854775807 - 1))";
    const char* threeRows =
        "select abs(column1) from (values (1), (2), (-9223372036854775807 - 1))";
    const char* change = "update t set name = 'uno' where id = 1";
    struct Row {
        const char* what;
        const char* before;  // a statement before the select, or null
        const char* select;
        const char* next;  // a statement after the select, or null
        int commit;
    } rows[] = {
        {"read ahead", change, twoRows, nullptr, -1004},
        {"kept before the commit", change, threeRows, nullptr, -1004},
        {"dropped by the next statement", change, twoRows, "select 1", -1004},
        {"outside a transaction", nullptr, twoRows, change, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(row.before ? Run(row.before) : 0, 0);
        ASSERT_EQ(Run(row.select), 0);
        EXPECT_EQ(Value(0), "1");
        EXPECT_EQ(row.next ? Run(row.next) : 0, 0);
        EXPECT_EQ(connection->Commit(), row.commit);
        if (row.commit == 0) {
            EXPECT_EQ(Scalar("select name from t where id = 1"), "uno");
            continue;
        }
        ExpectMessage("integer overflow");
        EXPECT_EQ(connection->Rollback(0), 0);
        EXPECT_EQ(Scalar("select name from t where id = 1"), "one");
    }
}

TEST_F(SqliteConnection, ParametersBindInOrderAndTextRoundTrips) {
    const std::string wide = "日本語テキスト 😀 done";
    std::string longText(100000, 'x');
    longText.replace(40950, wide.size(), wide);
    char* longParams[] = {nullptr, longText.data(), const_cast<char*>(wide.c_str())};
    ASSERT_EQ(Run("insert into t (id, name, memo) values (?, ?, ?)", "7", longParams, 3), 0);
    // The null entry is skipped: the long texts take the second and third marker.
    ASSERT_EQ(Run("select name, memo from t where id = ?", "7"), 0);
    ASSERT_FALSE(connection->IsEOF());
    EXPECT_TRUE(Value(0) == longText);
    EXPECT_EQ(Value(1), wide);
}

TEST_F(SqliteConnection, InvalidUtf8IsRefusedBeforeReachingTheDatabase) {
    char bad[] = "\xC3\x28";
    char* longParams[] = {bad};
    EXPECT_EQ(Run("update t set memo = ? where id = 1", nullptr, longParams, 1), -1040);
    EXPECT_EQ(Run("select '\xFF' from t"), -1040);
}

TEST_F(SqliteConnection, SecondConnectionHoldingTheWriteLockTimesOut) {
    SqliteHolder other(dbPath);
    ASSERT_EQ(other.Exec("BEGIN IMMEDIATE"), "");
    connection->SetCommandTimeout(1);
    EXPECT_EQ(Run("update t set name = 'x' where id = 1"), -1010);
    EXPECT_EQ(connection->LastError(), -911);
    ASSERT_EQ(other.Exec("COMMIT"), "");
    // The transaction takes the lock with its next statement.
    EXPECT_EQ(Run("update t set name = 'x' where id = 1"), 0);
    EXPECT_EQ(connection->Commit(), 0);
    EXPECT_EQ(Scalar("select name from t where id = 1"), "x");
    connection->ResetCommandTimeout();
    EXPECT_EQ(connection->GetCommandTimeout(), -1);
}

TEST_F(SqliteConnection, ProceduresAreNotAvailable) {
    char* names[] = {const_cast<char*>("@a"), nullptr};
    char* values[] = {const_cast<char*>("1"), nullptr};
    int isInteger[] = {1};
    EXPECT_EQ(connection->ExecuteProcedure("sp_x", names, values, isInteger), -1006);
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().what, "sp_x");
    EXPECT_EQ(events.back().result, -1006);
}

TEST_F(SqliteConnection, MissingFileFailsAndIsNotCreated) {
    auto other = MakeConnection();
    other->connectAttempts = 3;
    EXPECT_EQ(other->Open("vrnl", "pw", "srv", "absent.db", -1), -1001);
    EXPECT_NE(std::string(other->LastMessage()).find("not found"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.file("absent.db")));
    EXPECT_TRUE(waits.empty());
    EXPECT_FALSE(other->IsOpen());
}

TEST_F(SqliteConnection, LockedFileIsRetriedWithWaits) {
    connection.reset();
    SqliteHolder other(dbPath);
    ASSERT_EQ(other.Exec("PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE;"
                         " UPDATE t SET name = 'held';"),
              "");
    auto locked = MakeConnection();
    locked->connectAttempts = 3;
    EXPECT_EQ(locked->Open("vrnl", "pw", "srv", "kestrun.db", -1), -1002);
    EXPECT_EQ(locked->LastError(), -911);
    EXPECT_EQ(waits, (std::vector<int>{0, 0}));
    ASSERT_EQ(other.Exec("ROLLBACK; PRAGMA locking_mode = NORMAL; SELECT 1 FROM t;"), "");
    locked->connectAttempts = 0;
    EXPECT_EQ(locked->Open("vrnl", "pw", "srv", "kestrun.db", -1), -1002);
    EXPECT_FALSE(locked->IsOpen());
    locked->connectAttempts = 1;
    EXPECT_EQ(locked->Open("vrnl", "pw", "srv", "kestrun.db", -1), 0);
}

// The waits in milliseconds are clamped (the sanitizer build stops at an
// overflow).
TEST_F(SqliteConnection, TheLongestWaitSettingsDoNotOverflow) {
    connection = MakeConnection();
    connection->connectWaitSeconds = INT_MAX;
    ASSERT_EQ(connection->Open("vrnl", "pw", "srv", "kestrun.db", INT_MAX), 0);
    EXPECT_EQ(Run("update t set name = 'x' where id = 1"), 0);
}

TEST(SqliteConnectionOpen, ArgumentsAndProvidersAreChecked) {
    std::unique_ptr<CdDBConnection> connection(CreateDBConnection("sqlite", "", nullptr));
    EXPECT_EQ(connection->Execute(nullptr, nullptr, 0, nullptr, 0), -1099);
    EXPECT_EQ(connection->Execute("select 1", nullptr, 0, nullptr, 0), -1101);
    EXPECT_EQ(connection->Commit(), -1101);
    std::unique_ptr<CdDBConnection> unknown(CreateDBConnection("nosuch", "", nullptr));
    EXPECT_EQ(unknown->Open("vrnl", "pw", "srv", "db", -1), -1001);
    EXPECT_NE(std::string(unknown->LastMessage()).find("provider"), std::string::npos);
    EXPECT_EQ(unknown->Commit(), -1101);
    EXPECT_EQ(unknown->Close(), 0);
}

TEST_F(SqliteConnection, TraceFileGetsOpenStatementsTransactionsAndClose) {
    std::string trace = dir.file("sql.txt");
    connection = MakeConnection();
    connection->SetTracePath(trace.c_str());
    ASSERT_EQ(connection->Open("vrnl", "secret", "srv", "kestrun.db", -1), 0);
    EXPECT_EQ(Run("select id from t where id = ?", "1"), 0);
    EXPECT_EQ(Run("update t set code = 'c' where id = 1"), 0);
    EXPECT_EQ(connection->Commit(), 0);
    EXPECT_EQ(Run("update t set code = 'd' where id = 1"), 0);
    EXPECT_EQ(connection->Close(), 0);
    std::string text = ReadWholeFile(trace);
    const char* expected[] = {"\"DB open\"\n",
                              " \"select id from t where id = ?\"\n",
                              "param=[1]\n",
                              "TranBegin\n",
                              " \"update t set code = 'c' where id = 1\"\n",
                              "commit\n",
                              "TranBegin\n",
                              "rollback\n",
                              "\"DB close\"\n"};
    size_t at = 0;
    for (const char* line : expected) {
        size_t found = text.find(line, at);
        EXPECT_NE(found, std::string::npos) << line << "\n" << text;
        if (found != std::string::npos) at = found;
    }
    EXPECT_EQ(text.find("secret"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(trace + ".warn"));
}

}  // namespace
