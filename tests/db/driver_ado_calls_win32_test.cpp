// The ADO driver against the tests' in-process ADO (declared as the SDK
// declares it): what the driver passes to ADO, and how it reads ADO's
// record sets, Errors collections and error information.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "db/connection.h"
#include "support/ado_standin_win32.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"
#include "util/log.h"

namespace {

using Kind = AdoStandinValue::Kind;

int waits = 0;

AdoStandinError SqlError(long native, const char16_t* state, const char16_t* text) {
    AdoStandinError error;
    error.number = -2147217900;
    error.source = u"Microsoft OLE DB Provider for SQL Server";
    error.description = text;
    error.sqlState = state;
    error.nativeError = native;
    return error;
}

AdoStandinResult Failure(long native, const char16_t* state, const char16_t* text) {
    AdoStandinResult result;
    result.result = static_cast<long>(0x80040E14);
    result.errors.push_back(SqlError(native, state, text));
    return result;
}

AdoStandinValue Text(const char16_t* text) {
    AdoStandinValue value;
    value.kind = Kind::Text;
    value.text = text;
    return value;
}

AdoStandinValue Number(long number) {
    AdoStandinValue value;
    value.kind = Kind::Number;
    value.number = number;
    return value;
}

// A record set answer.
AdoStandinResult Rows(std::vector<AdoStandinColumn> columns,
                      std::vector<std::vector<AdoStandinValue>> rows = {}) {
    AdoStandinResult result;
    result.recordset = true;
    result.columns = std::move(columns);
    result.rows = std::move(rows);
    return result;
}

class AdoCallsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(ado.registered);
        log = dir.file("log.txt");
        SetLogPath(log.c_str(), nullptr);
        connection.reset(static_cast<CdDBDriverConnection*>(
            CreateDBConnection("ado", "", nullptr, "SQLOLEDB")));
        connection->connectAttempts = 3;
        connection->connectWaitSeconds = 7;
        connection->waitSeconds = [](int) { ++waits; };
    }

    int Open() { return connection->Open("sa", "pw", "server", "db", -1); }
    int Run(const std::string& sql) {
        return connection->Execute(sql.c_str(), nullptr, 0, nullptr, 0);
    }
    std::string Log() { return ReadTextFile(log); }
    void ExpectLogged(const std::string& part) {
        EXPECT_NE(Log().find(part), std::string::npos) << part << "\n" << Log();
    }
    // Neither the change nor CommitTrans reached ADO since the last look.
    void ExpectNeitherSent(const char* change) {
        for (const std::string& call : Calls()) {
            EXPECT_EQ(call.find(change), std::string::npos);
            EXPECT_NE(call, "CommitTrans");
        }
    }
    // The calls recorded since the last look.
    std::vector<std::string> Calls() {
        std::vector<std::string> calls;
        calls.swap(ado.calls);
        return calls;
    }

    AdoStandin& ado = InstallAdoStandin();
    TempDir dir;
    std::string log;
    std::unique_ptr<CdDBDriverConnection> connection;
};

TEST_F(AdoCallsTest, OpensWithTheTimeoutAndTheConnectionString) {
    ASSERT_EQ(Open(), 0);
    EXPECT_EQ(Calls(), (std::vector<std::string>{
                           "ConnectionTimeout 7",
                           "Open Provider=SQLOLEDB;Data Source=server;Initial Catalog=db;"
                           "Password=pw;User ID=sa; user= password= options=-1"}));
    EXPECT_TRUE(connection->IsOpen());
}

TEST_F(AdoCallsTest, OpenRetriesOnlyNetworkErrorsAndTimeouts) {
    struct Case {
        long native;
        const char16_t* state;
        int result;
        int attempts;
    } cases[] = {
        {17, u"08001", -1001, 1},  // no such server: not retried
        {11, u"08001", -1002, 3},  // network error
        {0, u"HYT00", -1002, 3},   // time-out
        {18456, u"28000", -1001, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.native);
        waits = 0;
        for (int i = 0; i < 3; ++i) ado.opens.push_back(Failure(c.native, c.state, u"failed"));
        EXPECT_EQ(Open(), c.result);
        EXPECT_EQ(waits, c.attempts - 1);
        ado.opens.clear();
        int opens = 0;
        for (const std::string& call : Calls()) opens += call.rfind("Open ", 0) == 0;
        EXPECT_EQ(opens, c.attempts);
    }
}

TEST_F(AdoCallsTest, AFailedConnectionTimeoutFailsTheOpen) {
    ado.connectionTimeoutResult = static_cast<long>(0x800A0E79);
    EXPECT_EQ(Open(), -1001);
    EXPECT_EQ(Calls(), std::vector<std::string>{"ConnectionTimeout 7"});
    EXPECT_EQ(connection->LastError(), static_cast<int>(0x800A0E79));
}

TEST_F(AdoCallsTest, AnEmptyErrorListTakesTheErrorInformation) {
    AdoStandinAnswer answer;
    answer.result = static_cast<long>(0x80004005);
    answer.infoSource = u"Provider";
    answer.infoDescription = u"the provider's own words";
    ado.opens.push_back(answer);
    EXPECT_EQ(Open(), -1001);
    EXPECT_EQ(connection->LastError(), static_cast<int>(0x80004005));
    ExpectLogged("Source     [Provider]\n");
    ExpectLogged("Description[the provider's own words]\n");
}

TEST_F(AdoCallsTest, ParametersArriveWithTheirTypesSizesAndChunks) {
    ASSERT_EQ(Open(), 0);
    connection->noTransactions = true;
    connection->SetCommandTimeout(30);
    Calls();
    std::string text(100000, 'x');
    char* longParams[] = {text.data(), nullptr};
    ASSERT_EQ(connection->Execute("INSERT INTO t (a, m) VALUES (?, ?)", "abc", 0, longParams, 2), 0);
    EXPECT_EQ(Calls(), (std::vector<std::string>{
                           "CommandType 1",
                           "CommandText INSERT INTO t (a, m) VALUES (?, ?)",
                           "CommandTimeout 30",
                           "CreateParameter name= type=129 direction=1 size=3 value=abc",
                           "Append",
                           "CreateParameter name= type=203 direction=1 size=100001",
                           "AppendChunk 40959",
                           "AppendChunk 40959",
                           "AppendChunk 18082",
                           "Append",
                           "Execute options=8",
                       }));
    ASSERT_EQ(ado.longTexts.size(), 1u);
    EXPECT_EQ(ado.longTexts[0], std::u16string(100000, u'x'));

    char name[] = "@id";
    char* names[] = {name, nullptr};
    char value[] = "42";
    char* values[] = {value};
    int integer[] = {1};
    ASSERT_EQ(connection->ExecuteProcedure("up_get", names, values, integer), 0);
    EXPECT_EQ(Calls(), (std::vector<std::string>{
                           "CommandType 4",
                           "CommandText up_get",
                           "CommandTimeout 30",
                           "CreateParameter name=@id type=3 direction=1 size=-1 value=42",
                           "Value 42",
                           "Append",
                           "Execute options=4",
                       }));
}

TEST_F(AdoCallsTest, TransactionsBeginCommitAndRollBack) {
    ASSERT_EQ(Open(), 0);
    Calls();
    ASSERT_EQ(Run("INSERT INTO t VALUES (1)"), 0);
    ASSERT_EQ(Run("INSERT INTO t VALUES (2)"), 0);
    ASSERT_EQ(connection->Rollback(0), 0);
    ASSERT_EQ(Run("UPDATE t SET a = 1"), -1110);
    ASSERT_EQ(connection->Commit(), 0);
    std::vector<std::string> begins;
    for (const std::string& call : Calls()) {
        if (call.find("Trans") != std::string::npos) begins.push_back(call);
    }
    EXPECT_EQ(begins, (std::vector<std::string>{"BeginTrans", "RollbackTrans", "BeginTrans",
                                                "CommitTrans"}));

    ASSERT_EQ(Run("INSERT INTO t VALUES (3)"), 0);
    AdoStandinResult refused = Failure(3902, u"25000", u"no transaction");
    ado.transactions.push_back(refused);
    EXPECT_EQ(connection->Commit(), -1004);
    EXPECT_EQ(connection->LastError(), 3902);
    EXPECT_TRUE(connection->InTransaction());
}

TEST_F(AdoCallsTest, StatementFailuresMapByNativeError) {
    struct Case {
        long native;
        const char16_t* state;
        int result;
        int lastError;
    } cases[] = {
        {2627, u"23000", -1012, 2627},
        {2601, u"23000", -1012, 2601},
        {547, u"23000", -1009, 547},
        {50001, u"42000", -1009, 50001},
        {0, u"HYT00", -1010, -911},
        {208, u"42S02", -1006, 208},
    };
    ASSERT_EQ(Open(), 0);
    connection->noTransactions = true;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.native);
        ado.executes.push_back(Failure(c.native, c.state, u"refused"));
        EXPECT_EQ(Run("INSERT INTO t VALUES (1)"), c.result);
        EXPECT_EQ(connection->LastError(), c.lastError);
    }
    ExpectLogged("DB access:sql[INSERT INTO t VALUES (1)]sts[208]err[refused]");
}

TEST_F(AdoCallsTest, RecordSetsGiveTextNullsAndKinds) {
    ado.executes.push_back(Rows({{u"id", 3}, {u"name", 202}, {u"memo", 203}, {u"amount", 131}},
                                {{Number(1), Text(u"\u65E5\u672C"), Text(u"long"), {}}}));
    ASSERT_EQ(Open(), 0);
    ASSERT_EQ(Run("SELECT id, name, memo, amount FROM t"), 0);
    ASSERT_EQ(connection->FieldCount(), 4);
    struct Case {
        int index;
        const char* text;
        int kind;
    } cases[] = {
        {0, "1", 0},
        {1, "\xE6\x97\xA5\xE6\x9C\xAC", 0},
        {2, "long", 2},
        {3, nullptr, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        char* value = nullptr;
        int kind = -1;
        ASSERT_EQ(connection->GetValue(&value, c.index, &kind), 0);
        if (c.text) {
            EXPECT_STREQ(value, c.text);
        } else {
            EXPECT_EQ(value, nullptr);
        }
        EXPECT_EQ(kind, c.kind);
        delete[] value;
    }
    char* value = nullptr;
    EXPECT_EQ(connection->GetValueByName(&value, "nosuch"), -1013);
    EXPECT_EQ(connection->MoveNext(), 0);
    EXPECT_TRUE(connection->IsEOF());
}

TEST_F(AdoCallsTest, AFailingRecordSetStateFailsTheStatement) {
    AdoStandinResult result = Rows({});
    result.recordsetState = static_cast<long>(0x80004005);
    ado.executes.push_back(result);
    ASSERT_EQ(Open(), 0);
    EXPECT_EQ(Run("SELECT id FROM t"), -1006);
    EXPECT_EQ(connection->LastError(), static_cast<int>(0x80004005));
}

TEST_F(AdoCallsTest, ValuesAreReadRowByRowAndAFailingValueFailsOnlyItsRead) {
    AdoStandinValue failing;
    failing.kind = Kind::Failure;
    failing.number = static_cast<long>(0x80040E21);
    AdoStandinValue binary;
    binary.kind = Kind::Binary;
    binary.bytes = "\x41\x00";
    ado.executes.push_back(Rows(
        {{u"name", 202}, {u"data", 204}},
        {{Text(u"one"), failing}, {Text(u"bad \xD800 half"), binary}, {Text(u"three"), failing}}));
    ASSERT_EQ(Open(), 0);
    ASSERT_EQ(Run("SELECT name, data FROM t"), 0);
    // Only the first row is read at Execute; the second is reached, not read.
    EXPECT_EQ(ado.lastRowRead, 0);
    struct Case {
        int row;
        int index;
        int result;
        const char* text;
    } cases[] = {
        {0, 0, 0, "one"},
        {0, 1, -1008, nullptr},  // the provider fails to read it
        {1, 0, -1040, nullptr},  // an unpaired surrogate
        {1, 1, 0, nullptr},      // binary: read, whatever its text
        {2, 0, 0, "three"},
        {2, 1, -1008, nullptr},
    };
    int row = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.row) + "/" + std::to_string(c.index));
        for (; row < c.row; ++row) ASSERT_EQ(connection->MoveNext(), 0);
        char* value = nullptr;
        EXPECT_EQ(connection->GetValue(&value, c.index, nullptr), c.result);
        if (c.text) {
            EXPECT_STREQ(value, c.text);
        }
        delete[] value;
    }
    // The two failed reads, each reported once (the first kept since Execute).
    EXPECT_EQ(CountOccurrences(Log(), "Error      [80040e21]"), 2) << Log();
}

TEST_F(AdoCallsTest, RowsStillUnreadAreKeptBeforeTheConnectionCommits) {
    ASSERT_EQ(Open(), 0);
    ASSERT_EQ(Run("INSERT INTO t VALUES (1)"), 0);
    ado.executes.push_back(Rows({{u"id", 3}}, {{Number(1)}, {Number(2)}, {Number(3)}}));
    ASSERT_EQ(Run("SELECT id FROM t"), 0);
    Calls();
    ASSERT_EQ(connection->Commit(), 0);
    // The record set is read to its end and closed before the commit.
    EXPECT_EQ(Calls(), (std::vector<std::string>{"RecordsetClose", "CommitTrans"}));
    for (const char* expected : {"1", "2", "3"}) {
        SCOPED_TRACE(expected);
        char* value = nullptr;
        ASSERT_EQ(connection->GetValue(&value, 0, nullptr), 0);
        EXPECT_STREQ(value, expected);
        delete[] value;
        ASSERT_EQ(connection->MoveNext(), 0);
    }
    EXPECT_TRUE(connection->IsEOF());
}

// A deadlock the server reports after the rows it sent has rolled the
// transaction back. Met reading ahead, by a move or while the rows are kept
// before the commit, it runs the transaction check: no later change runs
// on its own, and the commit fails with the deadlock.
TEST_F(AdoCallsTest, ADeadlockAfterSomeRowsEndsTheTransaction) {
    struct Row {
        const char* what;
        long failingRow;
        int moves;         // MoveNext calls, the last one failing when the row fails there
        bool changeAfter;  // a change before the commit
    } rows[] = {
        {"read ahead", 1, 0, true},
        {"a move", 2, 2, true},
        {"kept before the commit", 2, 0, false},
    };
    ASSERT_EQ(Open(), 0);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        AdoStandinResult result = Rows({{u"id", 3}}, {{Number(1)}, {Number(2)}, {Number(3)}});
        result.failingRow = row.failingRow;
        result.rowFailure = Failure(1205, u"40001", u"deadlock victim");
        ASSERT_EQ(Run("INSERT INTO t VALUES (1)"), 0);
        ado.executes.push_back(result);
        ASSERT_EQ(Run("SELECT id FROM t"), 0);
        for (int i = 1; i <= row.moves; ++i) {
            EXPECT_EQ(connection->MoveNext(), i == row.failingRow ? -1008 : 0);
        }
        Calls();
        if (row.changeAfter) {
            EXPECT_NE(Run("INSERT INTO t VALUES (2)"), 0);
        }
        EXPECT_EQ(connection->Commit(), -1004);
        EXPECT_EQ(connection->LastError(), 1205);
        ExpectNeitherSent("INSERT INTO t VALUES (2)");
        EXPECT_EQ(connection->Rollback(0), 0);
    }
}

// After a statement that ended the transaction (its own ROLLBACK or
// COMMIT), or one that failed where the server cannot tell whether the
// transaction survived, a change might run on its own: it is refused, not
// sent, and the commit fails. The rollback then leaves the connection ready
// for the next transaction, although the server has none left to roll back.
TEST_F(AdoCallsTest, AfterATransactionEndedOrMayHaveNothingRunsOnItsOwn) {
    struct Row {
        const char* statement;
        AdoStandinResult answer;
        bool counted;  // the server answers SELECT @@TRANCOUNT
        int result;    // of the statement
        int change;    // of the change after it
        const char* logged;
    } rows[] = {
        {"UPDATE t SET a = 1", Failure(1205, u"40001", u"deadlock victim"), false, -1015, -1019,
         "transaction taken as rolled back (the database cannot tell): err[1205]"},
        {"INSERT INTO t VALUES (1)", Failure(2627, u"23000", u"duplicate"), false, -1012, -1019,
         "transaction taken as rolled back (the database cannot tell): err[2627]"},
        {"ROLLBACK", {}, true, 0, -1006, "the transaction was ended by an earlier statement"},
        {"COMMIT TRANSACTION", {}, true, 0, -1006,
         "the transaction was ended by an earlier statement"},
    };
    ASSERT_EQ(Open(), 0);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.statement);
        ado.countsTransactions = row.counted;
        ASSERT_EQ(Run("INSERT INTO t VALUES (1)"), 0);
        ado.executes.push_back(row.answer);
        EXPECT_EQ(Run(row.statement), row.result);
        Calls();
        EXPECT_EQ(Run("INSERT INTO t VALUES (2)"), row.change);
        EXPECT_EQ(connection->Commit(), -1004);
        ExpectNeitherSent("INSERT INTO t VALUES (2)");
        ExpectLogged(row.logged);
        size_t logged = Log().size();
        EXPECT_EQ(connection->Rollback(0), 0);
        EXPECT_EQ(Log().substr(logged), "");
        EXPECT_EQ(Run("INSERT INTO t VALUES (3)"), 0);
        EXPECT_EQ(connection->Commit(), 0);
        EXPECT_EQ(ado.autocommitted, std::vector<std::string>{});
    }
}

TEST_F(AdoCallsTest, TextOfTheSystemCodePageConvertsExactly) {
    int page = SystemCodePage();
    ASSERT_EQ(page, RegisteredCodePage())
        << "the locale of LC_ALL is missing (scripts/common.sh makes it)";
    if (page != 1252 && page != 932) GTEST_SKIP() << "rows for the code pages 1252 and 932 only";
    // A character without an exact form in the code page (a look-alike
    // would stand in for it), and bytes that are no character there (1252
    // gives every byte one).
    const std::u16string noForm = page == 1252 ? u"\u3042" : u"\u00A5";
    const char* noCharacter = page == 932 ? "pw\x82" : nullptr;
    ASSERT_EQ(Open(), 0);
    connection->noTransactions = true;

    // A statement whose text cannot be passed or described fails with -1040
    // and says why; a parameter fails before anything reaches ADO.
    struct Row {
        const char* what;
        std::u16string column;
        const char* paramName;
        const char* paramValue;
        const char* textParam;
        bool bytes;
    } rows[] = {
        {"column name", u"n" + noForm, nullptr, nullptr, nullptr, false},
        {"parameter name", u"id", noCharacter, "1", nullptr, true},
        {"parameter value", u"id", "@a", noCharacter, nullptr, true},
        {"text parameter", u"id", nullptr, nullptr, noCharacter, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        if (row.bytes && !noCharacter) continue;
        ado.executes.assign({Rows({{row.column, 200}})});
        Calls();
        char* names[] = {const_cast<char*>(row.paramName), nullptr};
        char* values[] = {const_cast<char*>(row.paramValue)};
        int integer[] = {0};
        int status = row.paramName
                         ? connection->ExecuteProcedure("up_get", names, values, integer)
                         : connection->Execute("SELECT id FROM t", row.textParam, 0, nullptr, 0);
        EXPECT_EQ(status, -1040);
        EXPECT_NE(
            std::string(connection->LastMessage()).find("is not text of the system code page"),
            std::string::npos);
        int sent = 0;
        for (const std::string& call : Calls()) {
            sent += call.rfind("Execute", 0) == 0 || call.rfind("CreateParameter", 0) == 0;
        }
        EXPECT_EQ(sent, row.column == u"id" ? 0 : 1);
    }

    // A value of a column that is not wide fails only its own read.
    ado.executes.assign({Rows({{u"name", 200}, {u"id", 3}}, {{Text(noForm.c_str()), Number(7)}})});
    ASSERT_EQ(Run("SELECT name, id FROM t"), 0);
    char* value = nullptr;
    EXPECT_EQ(connection->GetValue(&value, 0, nullptr), -1040);
    EXPECT_EQ(connection->GetValue(&value, 1, nullptr), 0);
    EXPECT_STREQ(value, "7");
    delete[] value;

    // A diagnostic text keeps its report, with the character escaped.
    AdoStandinResult failure = Failure(208, u"42S02", u"refused");
    failure.errors[0].source = u"Provider " + noForm;
    ado.executes.assign({failure});
    EXPECT_EQ(Run("SELECT id FROM t"), -1006);
    const std::string escaped = page == 1252 ? "\\u3042" : "\\u00a5";
    ExpectLogged("Source     [Provider " + escaped + "]\n");
}

}  // namespace
