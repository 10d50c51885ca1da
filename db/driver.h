// DBDriver: what a database driver gives the connection (open, statements,
// transactions, record sets, error lists), and the registry of drivers by name.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// Column types, numbered as the framework has always numbered them.
enum DBColumnType {
    kDBTypeEmpty = 0,
    kDBTypeSmallInt = 2,
    kDBTypeInteger = 3,
    kDBTypeSingle = 4,
    kDBTypeDouble = 5,
    kDBTypeBoolean = 11,
    kDBTypeDecimal = 14,
    kDBTypeTinyInt = 17,
    kDBTypeBigInt = 20,
    kDBTypeGuid = 72,
    kDBTypeBinary = 128,
    kDBTypeChar = 129,
    kDBTypeWChar = 130,
    kDBTypeNumeric = 131,
    kDBTypeTimeStamp = 135,
    kDBTypeVarChar = 200,
    kDBTypeLongVarChar = 201,
    kDBTypeVarWChar = 202,
    kDBTypeLongVarWChar = 203,
    kDBTypeVarBinary = 204,
    kDBTypeLongVarBinary = 205,
};

// One entry of a driver's error list.
struct DBDriverError {
    int number = 0;
    std::string source;
    std::string description;  // UTF-8
    std::string sqlState;
    int nativeError = 0;
};

// A statement parameter, bound by position.
struct DBParam {
    enum class Type { Char, Integer, LongText };
    Type type = Type::Char;
    std::string name;                    // procedure parameters only
    std::string text;                    // Char, Integer: the value as text
    std::vector<std::u16string> chunks;  // LongText: UTF-16 in send order
};

// Generic driver result for failures that have no better number.
constexpr int kDBDriverFailed = -2147467259;  // 0x80004005
// Result of a value read whose text cannot be converted to UTF-8.
constexpr int kDBDriverBadText = -2147024883;  // 0x8007000D

class DBDriver;

// Everything a driver's failure left: its error list, code and texts.
struct DBDriverFailure {
    std::vector<DBDriverError> errors;
    int code = 0;
    std::string message;
    std::string source;
    std::string description;
};

// One value of a row as the driver read it: UTF-8 text, or a database NULL,
// or a text that could not be made UTF-8.
struct DBCell {
    bool null = true;
    bool badText = false;
    // A value whose read failed: the driver's result, with its message in
    // text (0 when the read succeeded).
    int failure = 0;
    std::string text;
};
using DBRow = std::vector<DBCell>;

// A value of the current row: NUL-terminated UTF-8 text and its length in
// bytes; text is null for a database NULL.
struct DBValue {
    const char* text = nullptr;
    size_t size = 0;
};

// The result of a statement: its columns, known at Execute, and a cursor
// over its rows, which the driver reads as the caller moves. The first row
// (if any) is current after Execute.
//
// A record set belongs to its caller but reads through its driver: it must
// be destroyed before the driver. Before the driver uses its connection for
// anything else (the next Execute, a transaction step, Close), it keeps the
// rows still unread in memory and lets go of the statement, so the set stays
// readable to its end; a failure met while keeping them is returned by the
// MoveNext that reaches it. Failures of MoveNext and Value are recorded in
// the driver (Errors(), FailureCode(), FailureMessage()).
class DBRecordSet {
public:
    // driver: the driver whose errors record this set's failures.
    explicit DBRecordSet(DBDriver* driver);
    DBRecordSet(const DBRecordSet&) = delete;
    DBRecordSet& operator=(const DBRecordSet&) = delete;
    virtual ~DBRecordSet();

    int FieldCount() const { return static_cast<int>(names.size()); }
    // Name of the column, or null for an index out of range.
    const char* FieldName(int index) const;
    // Type of the column; a column whose type the database did not declare
    // takes it from its first non-null value read.
    int FieldType(int index) const;
    // Index of the first column named name (letter case ignored), or -1.
    int FieldIndex(const char* name) const;
    bool IsEOF() const { return eof; }
    // Moves to the next row: 0 (at the end too), or a negative driver
    // result; the set is then at its end.
    int MoveNext();
    // The value of column index in the current row (index in range, not at
    // the end): 0, kDBDriverBadText when it is not convertible text, or
    // another negative driver result. The text stays valid until the row
    // changes or the set is destroyed.
    int Value(int index, DBValue* value);
    // Reads every row the driver still holds into memory and lets go of
    // the statement; returns the failure met on the way (0 when none), which
    // the MoveNext that reaches it returns again.
    int KeepRest();
    // A failure met while reading ahead of the caller (the row after the
    // first, at Execute, or the rows kept by KeepRest) and not taken
    // before: its driver result, with its errors put back into the driver;
    // 0 when there is none. The MoveNext that reaches it still returns it.
    int TakeAheadFailure();

protected:
    void AddColumn(std::string name, int type);
    void SetType(int index, int type);
    // Makes the driver's first row current: 0, or the failure of reading
    // it (the set is then at its end). The first row is copied and the
    // driver steps on to the second, so that a statement of one row ends
    // (and frees what it holds in the database) at once; later rows are read
    // in place.
    int Start();
    // The value of a row kept in memory.
    static int CellValue(const DBCell& cell, DBValue* value);

    // The driver's side, for a set that reads from a statement:
    // Moves the statement to its next row: 1, 0 at the end, or a negative
    // driver result recorded in the driver.
    virtual int Step() { return 0; }
    // Copies the statement's current row into *row (one cell per column).
    virtual void Capture(DBRow*) {}
    // The value of column index in the statement's current row.
    virtual int StepValue(int, DBValue*) { return kDBDriverFailed; }
    // Frees what the driver holds for the rows; Step is not called after.
    virtual void Release() {}

    DBDriver* driver;

private:
    friend class DBDriver;

    // Ends stepping with result (0 or a failure, kept with its errors).
    void Finish(int result);

    std::vector<std::string> names;
    std::vector<int> types;
    // Per column: the column FieldIndex tries first after finding this
    // one: at first the next whose name no earlier column has (letter case
    // ignored), else column 0; then the column a search found after it
    // last, so that a row read in any fixed order is guessed throughout.
    // Always a column that no earlier column's name shadows.
    mutable std::vector<size_t> nextGuess;
    mutable size_t lastFound = 0;  // the column FieldIndex found last
    DBRow current;
    std::deque<DBRow> kept;
    bool eof = true;
    bool stepping = false;  // the driver still holds the statement
    bool ahead = false;     // the statement is on the row after the current one
    bool onStatement = false;  // the current row is the statement's
    // The failure met after the kept rows, with what the driver recorded.
    int keptFailure = 0;
    DBDriverFailure keptErrors;
    bool aheadTaken = false;  // TakeAheadFailure gave keptFailure out
};

// Connection data the driver turns into its own connection string.
struct DBConnectData {
    std::string user;
    std::string password;
    std::string server;
    std::string database;
};

// A database driver. Calls return 0 or a negative driver result; after a
// failure Errors() lists what the database said, or, when it said nothing,
// FailureCode() and FailureMessage() describe the failure.
class DBDriver {
public:
    virtual ~DBDriver();

    // Short name for error reports ("SQLite", "ODBC").
    virtual const char* Name() const = 0;
    // Connects within connectTimeoutSeconds.
    virtual int Open(const DBConnectData& data, int connectTimeoutSeconds) = 0;
    virtual bool IsOpen() = 0;
    virtual int Close() = 0;
    // Runs sql (or the procedure named sql) with params. commandTimeout
    // below 0: the driver's default. On success *recordSet is set when the
    // statement returned columns, and *recordsAffected is the count of
    // changed rows (-1 when unknown).
    virtual int Execute(const std::string& sql, bool procedure, const std::vector<DBParam>& params,
                        int commandTimeout, std::unique_ptr<DBRecordSet>* recordSet,
                        long long* recordsAffected) = 0;
    virtual int BeginTrans() = 0;
    virtual int CommitTrans() = 0;
    virtual int RollbackTrans() = 0;
    // Whether the transaction begun with BeginTrans still exists: 1 yes, 0
    // no (the database ended it by itself, after a disk-full, I/O or
    // deadlock failure), negative when the driver cannot tell. Keeps the
    // errors of the previous call.
    virtual int TransactionOpen() { return -1; }
    // After a call failed inside the transaction begun with BeginTrans:
    // 1 when that transaction is still open, 0 when the database ended it,
    // -1 when the database cannot tell. Unless it is open, the transaction
    // is taken as lost: a change now might commit on its own, so changes are
    // refused as after a statement that ended it, until the next transaction
    // step. Keeps the errors of the failed call.
    int TransactionAfterFailure();
    // Whether error says, in this driver's own terms, that the server could
    // not be reached, so that opening is tried again (native error 11 and a
    // time-out are retried with every driver).
    virtual bool ConnectionFailure(const DBDriverError&) const { return false; }

    const std::vector<DBDriverError>& Errors() const { return errors; }
    int FailureCode() const { return failureCode; }
    const std::string& FailureMessage() const { return failureMessage; }
    // Where the failure without an error list came from and what it said,
    // when the database's interface told ("" when not).
    const std::string& FailureSource() const { return failureSource; }
    const std::string& FailureDescription() const { return failureDescription; }

protected:
    // Starts a call: forgets the errors of the previous one.
    void ClearErrors();
    // Records a failure the database itself described; returns code.
    int FailWith(int code, DBDriverError error);
    // Records a failure without an error list; returns code.
    int Fail(int code, std::string message);
    // As Fail, with the source and description the interface gave.
    int Fail(int code, std::string message, std::string source, std::string description);

    // Lets the open record set keep its unread rows in memory and free its
    // statement, before the connection is used for anything else. Keeps the
    // errors of the previous call.
    void KeepOpenRecordSet();
    // After sql ran inside the transaction begun with BeginTrans: whether
    // it ended that transaction (a COMMIT or ROLLBACK of its own), so that
    // a change now would commit on its own. A text that names COMMIT or
    // ROLLBACK is checked with TransactionOpen; when the database cannot
    // tell, a statement that begins with COMMIT, ROLLBACK or END ended it.
    bool StatementEndedTransaction(const std::string& sql);
    // After sql ran without failing inside the transaction begun with
    // BeginTrans: remembers when it ended that transaction.
    void NoteTransactionEnd(const std::string& sql, bool procedure);
    // Once a statement ended the transaction, a change would commit on its
    // own whatever the caller's rollback says: 0, or the recorded failure
    // when sql (a procedure, or anything but a plain read) would change.
    int RefuseChangeAfterTransactionEnd(const std::string& sql, bool procedure);
    // Nor may it be committed: a commit would report what the transaction
    // lost, or what ended it committed, as written by the caller's commit.
    // 0, or the recorded failure.
    int RefuseCommitAfterTransactionEnd();
    // A rollback that failed (refused, the driver's result) after the
    // transaction had ended: nothing of it is left to undo, but the
    // database's interface may still hold it as open and refuse every later
    // rollback (SQLite's ODBC driver then never begins a transaction
    // again). begin() opens a transaction and rollBack() ends it, each 0 or
    // a recorded failure: when both succeed the connection is out of any
    // transaction and the result is 0; otherwise refused, with its errors.
    // Any other result is returned as it is.
    int RollbackEndedTransaction(int refused, const std::function<int()>& begin,
                                 const std::function<int()>& rollBack);
    // Makes set the driver's open record set.
    void Opened(DBRecordSet* set);

    // A statement ended the transaction begun with BeginTrans, or failed
    // and left it lost (see TransactionAfterFailure); the driver clears it
    // at open, close and each transaction step.
    bool transactionEnded = false;
    std::vector<DBDriverError> errors;
    int failureCode = 0;
    std::string failureMessage;
    std::string failureSource;
    std::string failureDescription;

private:
    friend class DBRecordSet;

    // Takes what the last failure left (the driver is then clear), and
    // puts it back.
    DBDriverFailure TakeFailure();
    void PutFailure(DBDriverFailure failure);

    DBRecordSet* openSet = nullptr;
};

// Settings every driver may read at creation.
struct DBDriverSettings {
    std::string dataDir;     // resolves relative database file names
    std::string odbcDriver;  // ODBC driver name
    std::string adoProvider;  // OLE DB provider of the ADO driver ("" gives "SQLOLEDB")
};

using DBDriverFactory = std::unique_ptr<DBDriver> (*)(const DBDriverSettings& settings);

// Registers a driver under name (replacing one of the same name); the
// built-in "sqlite" and "odbc", and the platform's own drivers, are always
// there.
void RegisterDBDriver(const char* name, DBDriverFactory factory);
// A new driver for name, or null when no driver has that name.
std::unique_ptr<DBDriver> CreateDBDriver(const char* name, const DBDriverSettings& settings);


// The provider used when the configuration names none: "odbc", or "ado"
// where the platform has ADO.
const char* DefaultDBProvider();
// Drivers that only this platform has, by name (each platform's file).
std::vector<std::pair<const char*, DBDriverFactory>> PlatformDBDrivers();

// The built-in drivers, each in its own file.
std::unique_ptr<DBDriver> CreateSqliteDriver(const DBDriverSettings& settings);
std::unique_ptr<DBDriver> CreateOdbcDriver(const DBDriverSettings& settings);
// "Driver={..};Server=..;Database=..;UID=..;PWD=..;" where a value holding
// ";", "{" or "}" is braced with "}" doubled, so no value can add an
// attribute. The text holds the password: never log it.
std::string BuildOdbcConnectionString(const std::string& driver, const DBConnectData& data);
// "Provider=..;Data Source=..;Initial Catalog=..;Password=..;User ID=..;"
// (server, database, password, user in that order). A value holding ";",
// a quote, or a leading or trailing blank is enclosed in double quotes, so
// no value can add an attribute. The text holds the password: never log it.
std::string BuildAdoConnectionString(const std::string& provider, const DBConnectData& data);
// The framework's column type for an ODBC SQL data type (kDBTypeEmpty for
// types it does not name).
int OdbcColumnType(int odbcType);
