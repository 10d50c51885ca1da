// An in-process ADO for the tests: class objects for ADO's Connection and
// Command, registered in the test process, that answer as a scripted SQL
// Server provider would and record what the driver passed them.
#pragma once

#include <deque>
#include <string>
#include <vector>

// One entry of the connection's Errors collection.
struct AdoStandinError {
    long number = 0;
    std::u16string source;
    std::u16string description;
    std::u16string sqlState;
    long nativeError = 0;
};

// One column value of a record set.
struct AdoStandinValue {
    enum class Kind { Null, Text, Number, Binary, Failure };
    Kind kind = Kind::Null;
    std::u16string text;  // Text
    long number = 0;      // Number; Failure: the result of reading it
    std::string bytes;    // Binary
};

struct AdoStandinColumn {
    std::u16string name;
    long type = 0;  // ADO data type
};

// The answer to a call that can fail. A failing result fills the
// connection's Errors collection with errors; infoSource and
// infoDescription, when given, become the thread's COM error information.
struct AdoStandinAnswer {
    long result = 0;
    std::vector<AdoStandinError> errors;
    std::u16string infoSource;
    std::u16string infoDescription;
};

// The answer to one Execute (of a Command or of the connection).
struct AdoStandinResult : AdoStandinAnswer {
    long affected = 0;
    bool recordset = false;
    long recordsetState = 0;  // a failing result makes the record set's get_State fail
    std::vector<AdoStandinColumn> columns;
    std::vector<std::vector<AdoStandinValue>> rows;
    // The MoveNext onto this row (from 1) fails with rowFailure, as the
    // server's error after the rows it sent; the set ends there.
    long failingRow = -1;
    AdoStandinAnswer rowFailure;
};

// Like SQL Server's provider, the connection is strict about its state:
// - while a transaction is open and a record set still has unread rows,
//   every other command and BeginTrans, CommitTrans and RollbackTrans fail
//   with 0x80004005 (the provider cannot open a second connection inside a
//   transaction);
// - the server's transaction ends with a deadlock (native 1205) and with a
//   statement COMMIT or ROLLBACK; CommitTrans and RollbackTrans then fail
//   with native 3902 and 3903 (the provider's transaction ends with the
//   failed RollbackTrans), and "SELECT @@TRANCOUNT" on the connection
//   answers the server's count.
struct AdoStandin {
    // Answers, taken in order; a call with none left succeeds.
    std::deque<AdoStandinAnswer> opens;
    std::deque<AdoStandinResult> executes;
    std::deque<AdoStandinAnswer> transactions;  // BeginTrans, CommitTrans, RollbackTrans
    long connectionTimeoutResult = 0;
    // false: "SELECT @@TRANCOUNT" fails, as on a database that does not know it.
    bool countsTransactions = true;

    // What the driver passed, one line per call ("CommandType 1",
    // "CreateParameter type=129 direction=1 size=5 value=abc",
    // "AppendChunk 40959", "Execute options=8", ...).
    std::vector<std::string> calls;
    // Statements other than SELECT that the server ran with no transaction
    // open: they stay whatever a later rollback says.
    std::vector<std::string> autocommitted;
    // The text of the long parameters, chunks joined.
    std::vector<std::u16string> longTexts;
    // The row of the last value read from a record set (-1: none yet).
    long lastRowRead = -1;
    // The server ended the transaction by itself (a deadlock or a lost
    // session met elsewhere): the connection's next call finds it gone.
    bool serverRollback = false;
    // The class objects are registered.
    bool registered = false;
};

// Registers the class objects on the calling thread (initializing COM for
// it), once per process, and returns the script and record they share,
// emptied.
AdoStandin& InstallAdoStandin();
