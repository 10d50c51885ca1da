// The connection's rules for failures SQLite cannot produce, over a
// scripted driver: error mapping, open retries, error reports, slow
// statements, long-text pieces and failing transaction steps.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "db/connection.h"
#include "db/driver.h"
#include "support/temp_dir.h"
#include "util/log.h"

namespace {

// What the scripted driver answers and what it saw.
struct Script {
    std::vector<DBDriverError> openErrors;  // one failing Open per entry
    DBDriverError executeError;
    bool failExecute = false;
    bool failWithoutList = false;
    bool failBegin = false;
    bool failCommit = false;
    bool failRollback = false;
    bool failClose = false;
    int transactionOpen = 1;  // what TransactionOpen answers
    int executeMillis = 0;
    long long affected = 1;
    int opens = 0;
    int begins = 0;
    std::vector<DBParam> params;
    int timeout = -2;
    bool procedure = false;
};
Script script;

class ScriptedDriver final : public DBDriver {
public:
    const char* Name() const override { return "Scripted"; }
    int Open(const DBConnectData&, int) override {
        ClearErrors();
        size_t attempt = static_cast<size_t>(script.opens++);
        if (attempt < script.openErrors.size()) {
            return FailWith(kDBDriverFailed, script.openErrors[attempt]);
        }
        open = true;
        return 0;
    }
    bool IsOpen() override { return open; }
    int Close() override {
        ClearErrors();
        open = false;
        return script.failClose ? Fail(kDBDriverFailed, "close refused") : 0;
    }
    int Execute(const std::string& sql, bool procedure, const std::vector<DBParam>& params, int timeout,
                std::unique_ptr<DBRecordSet>*, long long* affected) override {
        ClearErrors();
        // A change after a statement ended the transaction is refused, and a
        // statement run inside one may end it, as the drivers do.
        if (int refused = RefuseChangeAfterTransactionEnd(sql, procedure)) return refused;
        script.params = params;
        script.timeout = timeout;
        script.procedure = procedure;
        if (script.executeMillis > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(script.executeMillis));
        }
        if (script.failWithoutList) return Fail(-2147217900, "statement refused");
        if (script.failExecute) return FailWith(kDBDriverFailed, script.executeError);
        *affected = script.affected;
        if (begun) NoteTransactionEnd(sql, procedure);
        return 0;
    }
    int BeginTrans() override {
        ClearErrors();
        ++script.begins;
        begun = !script.failBegin;
        transactionEnded = false;
        return script.failBegin ? FailWith(kDBDriverFailed, {1, "Scripted", "no begin", "HY000", 3902})
                                : 0;
    }
    int CommitTrans() override {
        ClearErrors();
        if (int refused = RefuseCommitAfterTransactionEnd()) return refused;
        begun = script.failCommit;
        return script.failCommit ? FailWith(kDBDriverFailed, {1, "Scripted", "no commit", "HY000", 3902})
                                 : 0;
    }
    int RollbackTrans() override {
        ClearErrors();
        if (!script.failRollback) begun = transactionEnded = false;
        return script.failRollback
                   ? FailWith(kDBDriverFailed, {1, "Scripted", "no rollback", "HY000", 3903})
                   : 0;
    }
    int TransactionOpen() override { return script.transactionOpen; }

private:
    bool open = false;
    bool begun = false;
};

std::vector<int> waits;
void RecordWait(int seconds) { waits.push_back(seconds); }

int lastCallbackResult = 0;
int lastCallbackDetail = 0;
int Record(const char*, int result, int detail, const char*) {
    lastCallbackResult = result;
    lastCallbackDetail = detail;
    return 0;
}

DBDriverError Native(int native, const char* state = "42000") {
    return {native, "Scripted", "failure " + std::to_string(native), state, native};
}

class ConnectionRules : public ::testing::Test {
protected:
    void SetUp() override {
        script = Script();
        waits.clear();
        RegisterDBDriver("scripted", [](const DBDriverSettings&) -> std::unique_ptr<DBDriver> {
            return std::make_unique<ScriptedDriver>();
        });
        connection = std::make_unique<CdDBDriverConnection>(
            CreateDBDriver("scripted", DBDriverSettings{}));
        connection->connectAttempts = 1;
        connection->waitSeconds = RecordWait;
        connection->callback = Record;
        log = dir.file("log.txt");
        SetLogPath(log.c_str(), nullptr);
    }

    void Open() { ASSERT_EQ(connection->Open("vrnl", "pw", "srv", "db", -1), 0); }
    int Run(const char* sql, const char* param = nullptr) {
        return connection->Execute(sql, param, 0, nullptr, 0);
    }
    // Each part is in the file, in this order.
    static void ExpectInOrder(const std::string& path, std::initializer_list<const char*> parts) {
        std::string text = ReadTextFile(path);
        size_t at = 0;
        for (const char* part : parts) {
            at = text.find(part, at);
            ASSERT_NE(at, std::string::npos) << part << "\n" << text;
        }
    }

    TempDir dir;
    std::string log;
    std::unique_ptr<CdDBDriverConnection> connection;
};

TEST_F(ConnectionRules, NativeErrorsMapToStatementResults) {
    Open();
    struct Row {
        int native;
        const char* state;
        int result;
    };
    const Row rows[] = {
        {2601, "23000", -1012}, {2627, "23000", -1012}, {547, "23000", -1009},
        {50000, "42000", -1009}, {50001, "42000", -1009}, {1205, "40001", -1015},
        {0, "HYT00", -1010},     {170, "42000", -1016},  {515, "23000", -1043},
        {8115, "22003", -1044},  {8152, "22001", -1014}, {7601, "42000", -1017},
        {7619, "42000", -1018},  {208, "42S02", -1006},  {49999, "42000", -1006},
    };
    script.failExecute = true;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.native);
        script.executeError = Native(row.native, row.state);
        EXPECT_EQ(Run("update t set a = 1"), row.result);
        EXPECT_EQ(connection->LastError(), std::string(row.state) == "HYT00" ? -911 : row.native);
        EXPECT_EQ(lastCallbackResult, row.result);
    }
    ExpectInOrder(log, {"DB access:sql[update t set a = 1]sts[208]err[failure 208]\n",
                        "DB access:sql[update t set a = 1]sts[49999]"});
    EXPECT_EQ(ReadTextFile(log).find("sts[2627]"), std::string::npos);
    // One transaction for all of them: failures leave it open.
    EXPECT_EQ(script.begins, 1);
    EXPECT_TRUE(connection->InTransaction());
}

// A failure's report lists each entry of the driver's list, or the code
// and message of a failure without one; the message is cut at a character.
TEST_F(ConnectionRules, ErrorReportsListTheDriversEntries) {
    Open();
    script.failExecute = true;
    script.executeError = Native(2627, "23000");
    Run("insert into t values (1)");
    EXPECT_STREQ(connection->LastMessage(), "failure 2627");
    ExpectInOrder(log,
                  {"******************************[0]\n", "Error      [2627]\n",
                   "Description[failure 2627]\n", "Source     [Scripted]\n", "SQL State  [23000]\n",
                   "NativeError[2627]\n", "******************************\n"});
    script.failWithoutList = true;
    EXPECT_EQ(Run("select x from t"), -1006);
    EXPECT_EQ(connection->LastError(), -2147217900);
    EXPECT_STREQ(connection->LastMessage(), "statement refused");
    ExpectInOrder(log, {"Error      [80040e14]\n", "Message    [statement refused]\n",
                        "Source     [Scripted]\n"});
    script.failWithoutList = false;
    script.executeError = Native(208);
    script.executeError.description = std::string(254, 'a') + "é tail";
    Run("select 1");
    EXPECT_EQ(std::string(connection->LastMessage()), std::string(254, 'a'));
}

TEST_F(ConnectionRules, OpenRefusesEachMissingArgument) {
    const char* given[] = {"vrnl", "pw", "srv", "db"};
    for (int missing = 0; missing < 4; ++missing) {
        SCOPED_TRACE(missing);
        const char* a[4] = {given[0], given[1], given[2], given[3]};
        a[missing] = nullptr;
        EXPECT_EQ(connection->Open(a[0], a[1], a[2], a[3], -1), -1099);
    }
    EXPECT_EQ(script.opens, 0);
}

TEST_F(ConnectionRules, OpenRetriesNetworkErrorsAndTimeOuts) {
    connection->connectAttempts = 3;
    connection->connectWaitSeconds = 7;
    script.openErrors = {Native(11, "08001"), Native(0, "HYT00"), Native(11, "08001")};
    EXPECT_EQ(connection->Open("vrnl", "pw", "srv", "db", 30), -1002);
    EXPECT_EQ(script.opens, 3);
    EXPECT_EQ(waits, (std::vector<int>{7, 7}));
    EXPECT_EQ(connection->LastError(), 11);

    script = Script();
    waits.clear();
    script.openErrors = {Native(11, "08001"), Native(18456, "28000")};
    EXPECT_EQ(connection->Open("vrnl", "pw", "srv", "db", 30), -1001);
    EXPECT_EQ(script.opens, 2);
    EXPECT_EQ(waits, (std::vector<int>{7}));

    script = Script();
    script.openErrors = {Native(11, "08001")};
    EXPECT_EQ(connection->Open("vrnl", "pw", "srv", "db", 30), 0);
    EXPECT_EQ(connection->GetCommandTimeout(), 30);
}

// Long texts follow the text parameter, in pieces of 40959 UTF-16 units;
// a piece never ends inside a surrogate pair.
TEST_F(ConnectionRules, LongTextsGoInPiecesAfterTheTextParameter) {
    Open();
    std::string hundredK(100000, 'x');
    std::string small = "short";
    std::string pair = std::string(40958, 'x') + "😀" + "y";  // the pair across the boundary
    char* longParams[] = {hundredK.data(), nullptr, small.data(), pair.data()};
    ASSERT_EQ(connection->Execute("update t set a = ?, b = ?, c = ?, d = ?", "12", 0, longParams, 4),
              0);
    ASSERT_EQ(script.params.size(), 4u);
    EXPECT_EQ(script.params[0].type, DBParam::Type::Char);
    EXPECT_EQ(script.params[0].text, "12");
    const std::vector<size_t> pieces[] = {{40959, 40959, 18082}, {5}, {40958, 3}};
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        std::vector<size_t> sizes;
        for (const std::u16string& chunk : script.params[i + 1].chunks) sizes.push_back(chunk.size());
        EXPECT_EQ(sizes, pieces[i]);
    }
    EXPECT_EQ(script.params[2].chunks[0], u"short");
}

TEST_F(ConnectionRules, CommandTimeOutReachesTheDriver) {
    Open();
    Run("select 1");
    EXPECT_EQ(script.timeout, -1);
    connection->SetCommandTimeout(0);
    Run("select 1");
    EXPECT_EQ(script.timeout, 0);
    // A procedure takes the time-out only when it is above 0.
    char* none[] = {nullptr};
    connection->ExecuteProcedure("sp", none, none, nullptr);
    EXPECT_EQ(script.timeout, -1);
    EXPECT_TRUE(script.procedure);
    connection->SetCommandTimeout(5);
    connection->ExecuteProcedure("sp", none, none, nullptr);
    EXPECT_EQ(script.timeout, 5);
}

TEST_F(ConnectionRules, SlowStatementsGoToTheWarningFile) {
    std::string trace = dir.file("sql.txt");
    connection->SetTracePath(trace.c_str());
    Open();
    script.executeMillis = 150;
    Run("select slow", "p1");
    script.executeMillis = 0;
    Run("select quick");
    std::string warn = ReadTextFile(trace + ".warn");
    EXPECT_NE(warn.find(" \"select slow\"\n"), std::string::npos) << warn;
    EXPECT_EQ(warn.find("select quick"), std::string::npos);
    ExpectInOrder(trace, {" \"select slow\"\n", "param=[p1]\n", " \"select quick\"\n"});
}

TEST_F(ConnectionRules, SlowStatementsWithoutTraceWarnInTheLog) {
    connection->slowWarn = true;
    Open();
    script.executeMillis = 150;
    Run("select slow");
    ExpectInOrder(log, {"[WARN] ", " \"select slow\"\n"});
}

TEST_F(ConnectionRules, ProcedureTraceListsParametersAndFailuresAreNotMapped) {
    std::string trace = dir.file("sql.txt");
    connection->SetTracePath(trace.c_str());
    Open();
    char* names[] = {const_cast<char*>("@id"), const_cast<char*>("@name"), nullptr};
    char* values[] = {const_cast<char*>("5"), const_cast<char*>("x")};
    // The trace shows each flag as the caller gave it.
    int isInteger[] = {2, 0};
    EXPECT_EQ(connection->ExecuteProcedure("sp_get", names, values, isInteger), 0);
    ASSERT_EQ(script.params.size(), 2u);
    EXPECT_EQ(script.params[0].type, DBParam::Type::Integer);
    EXPECT_EQ(script.params[1].name, "@name");
    EXPECT_FALSE(connection->InTransaction());
    script.failExecute = true;
    script.executeError = Native(2627, "23000");
    EXPECT_EQ(connection->ExecuteProcedure("sp_get", names, values, isInteger), -1006);
    EXPECT_EQ(lastCallbackResult, -1006);
    ExpectInOrder(trace, {"[@id]=[2]\n", "[@name]=[0]\n", "DB access:sql[sp_get]sts[2627]"});
}

TEST_F(ConnectionRules, FailingTransactionStepsKeepTheirState) {
    Open();
    script.failBegin = true;
    EXPECT_EQ(Run("update t set a = 1"), -1019);
    EXPECT_EQ(lastCallbackResult, -1019);
    EXPECT_EQ(lastCallbackDetail, 3902);
    EXPECT_FALSE(connection->InTransaction());
    script.failBegin = false;
    EXPECT_EQ(Run("update t set a = 1"), 0);
    script.failCommit = true;
    EXPECT_EQ(connection->Commit(), -1004);
    EXPECT_TRUE(connection->InTransaction());
    script.failRollback = true;
    EXPECT_EQ(connection->Rollback(3), -1005);
    EXPECT_EQ(lastCallbackResult, -1005);
    EXPECT_TRUE(connection->InTransaction());
    script.failRollback = false;
    EXPECT_EQ(connection->Rollback(3), 0);
    EXPECT_EQ(lastCallbackDetail, 3);
    EXPECT_FALSE(connection->InTransaction());
}

// After a statement failed inside the transaction, a change and the
// commit go on only when the driver says the transaction is still open.
TEST_F(ConnectionRules, AFailureLosesTheTransactionUnlessTheDriverSaysItSurvived) {
    struct Row {
        int open;  // the driver's answer: open, ended, cannot tell
        int change;
        int commit;
    } rows[] = {{1, 0, 0}, {0, -1019, -1004}, {-1, -1019, -1004}};
    Open();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.open);
        script.transactionOpen = row.open;
        script.failExecute = true;
        script.executeError = Native(2627, "23000");
        EXPECT_EQ(Run("insert into t values (1)"), -1012);
        script.failExecute = false;
        EXPECT_EQ(Run("update t set a = 1"), row.change);
        EXPECT_EQ(connection->Commit(), row.commit);
        EXPECT_EQ(connection->Rollback(0), 0);
        EXPECT_EQ(Run("update t set a = 1"), 0);
        EXPECT_EQ(connection->Commit(), 0);
    }
}

// A statement that ends the transaction itself: one that starts with the end
// always does; one with a COMMIT further in does when the driver says none
// is open, and is not taken for an end when the driver cannot tell.
TEST_F(ConnectionRules, AStatementThatEndsTheTransactionLosesIt) {
    const struct {
        const char* sql;
        int open;
        bool lost;
    } rows[] = {{"update t set a = 1; commit", 0, true},
                {"update t set a = 1; commit", 1, false},
                {"update t set a = 1; commit", -1, false},
                {"commit", -1, true}};
    Open();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.sql + std::string(" open ") + std::to_string(row.open));
        ASSERT_EQ(Run("update t set a = 2"), 0);
        script.transactionOpen = row.open;
        EXPECT_EQ(Run(row.sql), 0);
        EXPECT_EQ(Run("update t set a = 3") != 0, row.lost);
        EXPECT_EQ(connection->Commit() != 0, row.lost);
        EXPECT_EQ(connection->Rollback(0), 0);
    }
}

TEST_F(ConnectionRules, CloseFailureIsReported) {
    std::string trace = dir.file("sql.txt");
    connection->SetTracePath(trace.c_str());
    Open();
    script.failClose = true;
    EXPECT_EQ(connection->Close(), -1003);
    EXPECT_NE(ReadTextFile(trace).find("\"DB close error\"\n"), std::string::npos);
    EXPECT_STREQ(connection->LastMessage(), "close refused");
}

TEST_F(ConnectionRules, UpdateAndDeleteCountOthersDoNot) {
    Open();
    script.affected = 4;
    EXPECT_EQ(Run("DELETE FROM t"), 0);
    EXPECT_EQ(connection->RowsAffected(), 4);
    EXPECT_EQ(lastCallbackDetail, 4);
    EXPECT_EQ(Run("insert into t values (1)"), 0);
    EXPECT_EQ(connection->RowsAffected(), 0);
    EXPECT_EQ(lastCallbackDetail, 0);
    script.affected = 0;
    // Only the lower- or upper-case word followed by a blank counts.
    EXPECT_EQ(Run("Update t set a = 1"), 0);
    EXPECT_EQ(Run("update t set a = 1"), -1110);
}

}  // namespace
