// CdDBConnection: the framework's database connection, and the connection
// that runs its rules over a named driver (embedded SQLite, ODBC).
#pragma once

#include <cstddef>
#include <memory>
#include <string>

class DBDriver;
class DBRecordSet;
struct DBParam;
struct DBValue;

// Called after each statement and transaction step with the statement (or
// "BeginTransaction", "commit", "rollback"), its result, a detail (rows
// changed, rollback reason or the last error) and the error text or null.
// The connection ignores what it returns.
using CdDBCallback = int (*)(const char* what, int result, int detail, const char* message);

// Abstract connection. Virtual operations in dispatch order; the last seven
// are answered here from the fields below.
class CdDBConnection {
public:
    CdDBConnection() = default;
    CdDBConnection(const CdDBConnection&) = delete;
    CdDBConnection& operator=(const CdDBConnection&) = delete;
    virtual ~CdDBConnection() = default;

    // 0; -1001 open failed; -1002 network error or time-out after every
    // attempt; -1099 a null argument.
    virtual int Open(const char* user, const char* password, const char* server,
                     const char* database, int commandTimeout) = 0;
    // Rolls back an open transaction and closes. 0 or -1003.
    virtual int Close() = 0;
    virtual bool IsOpen() = 0;
    virtual bool IsRecordsetOpen() = 0;
    // Runs one statement; textParam and the non-null longParams bind, in
    // that order, to its "?" markers. reserved is ignored. 0; -1110 when an
    // UPDATE or DELETE changed no row; negative codes of the mapping table.
    virtual int Execute(const char* sql, const char* textParam, int reserved, char** longParams,
                        int longParamCount) = 0;
    // Runs a stored procedure; paramNames ends with a null entry. 0 or -1006.
    virtual int ExecuteProcedure(const char* name, char** paramNames, char** paramValues,
                                 int* paramIsInteger) = 0;
    // Columns of the open record set; 0 without one; -1007 on failure.
    virtual int FieldCount() = 0;
    // Copies the column's name into out (the caller's buffer, 256 bytes
    // suffice). 0 or -1007.
    virtual int FieldName(char* out, int index) = 0;
    // *out receives a new[] buffer the caller deletes, or null for a
    // database NULL. 0; -1013 no such column; -1110 at the end of the data;
    // -1101 not open; -1040 a value that is not convertible text; -1008
    // other failures (reported).
    virtual int GetValueByName(char** out, const char* column) = 0;
    // As GetValueByName without the copy: *text points at the value in the
    // current row (null for a database NULL) and stays valid until the row
    // or the record set changes. Same results.
    virtual int PeekValueByName(const char** text, const char* column) = 0;
    // As GetValueByName; *kind (when not null) becomes 1 for decimal and
    // numeric columns, 2 for long Unicode text, else 0.
    virtual int GetValue(char** out, int index, int* kind) = 0;
    // As PeekValueByName for the column at index, with the value's length
    // in bytes (0 for a database NULL).
    virtual int PeekValue(const char** text, size_t* size, int index) = 0;
    // Index of the first column of that name (letter case ignored) in the
    // open record set; -1 when there is none or no record set.
    virtual int FieldIndex(const char* name) = 0;
    // 0 or -1008.
    virtual int MoveNext() = 0;
    // True without an open record set, else at the end of the data.
    virtual bool IsEOF() = 0;
    // 0 or -1011.
    virtual int CloseRecordset() = 0;
    // 0; -1004 failed (the transaction stays open), also when a record set
    // of the transaction failed while its rows were read and no MoveNext
    // gave the caller that failure; -1101 no connection.
    virtual int Commit() = 0;
    // 0 or -1005; reason only travels to the callback.
    virtual int Rollback(int reason) = 0;

    virtual int LastError();
    virtual const char* LastMessage();
    virtual int GetCommandTimeout();
    virtual void SetCommandTimeout(int seconds);
    virtual void ResetCommandTimeout();
    virtual int RowsAffected();
    virtual bool TransactionsEnabled();

    // Sets tracePath, cut to 511 bytes; null or "" switches the trace off.
    void SetTracePath(const char* path);
    bool InTransaction() const { return inTransaction; }
    // Changes whenever the record set is replaced or closed: what a caller
    // learnt of one record set's columns holds while this stays the same.
    unsigned long long RecordsetSerial() const { return recordsetSerial; }

    // Settings filled by the environment and the session before Open.
    int connectAttempts = 5;
    int connectWaitSeconds = 10;
    char tracePath[512] = "";
    bool noTransactions = false;
    bool slowWarn = false;
    CdDBCallback callback = nullptr;

protected:
    int lastError = 0;
    char lastMessage[256] = "";
    int commandTimeout = -1;
    int rowsAffected = 0;
    bool inTransaction = false;
    int defaultCommandTimeout = -1;
    unsigned long long recordsetSerial = 0;
};

// The connection over a driver chosen by name ("sqlite", "odbc"). Every
// rule of opening, transactions, statements, tracing and error reporting
// lives here once; the driver only talks to the database.
class CdDBDriverConnection final : public CdDBConnection {
public:
    // Takes ownership of driver; a null driver (unknown provider) makes
    // every Open fail with -1001.
    explicit CdDBDriverConnection(std::unique_ptr<DBDriver> driver);
    ~CdDBDriverConnection() override;

    int Open(const char* user, const char* password, const char* server, const char* database,
             int commandTimeout) override;
    int Close() override;
    bool IsOpen() override;
    bool IsRecordsetOpen() override;
    int Execute(const char* sql, const char* textParam, int reserved, char** longParams,
                int longParamCount) override;
    int ExecuteProcedure(const char* name, char** paramNames, char** paramValues,
                         int* paramIsInteger) override;
    int FieldCount() override;
    int FieldName(char* out, int index) override;
    int GetValueByName(char** out, const char* column) override;
    int PeekValueByName(const char** text, const char* column) override;
    int GetValue(char** out, int index, int* kind) override;
    int PeekValue(const char** text, size_t* size, int index) override;
    int FieldIndex(const char* name) override;
    int MoveNext() override;
    bool IsEOF() override;
    int CloseRecordset() override;
    int Commit() override;
    int Rollback(int reason) override;

    // 0, or -1019 when the driver cannot begin (no transaction while one
    // is open or transactions are disabled), or when the database ended
    // the transaction by itself (see TransactionLost).
    int BeginTransaction();
    // True once a failed statement, read of rows or commit left the
    // database without the transaction the connection had open, or the
    // database cannot tell whether it did. Until Rollback (or Close, Open)
    // every changing statement and procedure is refused and Commit fails
    // with -1004, so that lost changes are never reported as written.
    bool TransactionLost() const { return transactionLost; }

    // Pause between two open attempts; tests replace it to count waits.
    void (*waitSeconds)(int seconds);

private:
    int ReadValue(char** out, int index, const char* column, int* kind);
    // The value of the column (by name when column is given, else by index)
    // in the current row, and the column's type (when type is not null).
    // 0, -1013, -1110, -1101, -1008.
    // -1040 when the value is not convertible text.
    int FindValue(int index, const char* column, DBValue* value, int* type);
    // The value FindValue finds, in place, with its length: PeekValue and
    // PeekValueByName.
    int PeekFound(const char** text, size_t* size, int index, const char* column);
    // Fills lastError / lastMessage from the driver's error list (or its
    // failure code) and writes the error report.
    void ReportError(int result);
    // The report of a failure without an error list; description null:
    // the message.
    void ReportFailure(int code, const char* message, const char* source,
                       const char* description = nullptr);
    // After a failed call inside a transaction: asks the driver whether the
    // transaction still exists and remembers when it does not or the
    // driver cannot tell.
    void CheckTransaction();
    // Reports the lost transaction as the current failure.
    void ReportLostTransaction();
    // Takes a failure the record set met reading ahead of the caller:
    // reported and checked against the transaction as a failed statement
    // is, and held until a MoveNext returns it.
    void TakeAheadFailure();
    // Lets the record set read its unread rows (taking a failure met).
    void KeepRecordset();
    // Makes set the current record set (null: none).
    void SetRecordset(std::unique_ptr<DBRecordSet> set);
    // Drops the record set. Inside a transaction, a failure it met that no
    // MoveNext returned is kept: the commit fails with it.
    void DropRecordset();
    void Notify(const char* what, int result, int detail, const char* message);
    bool TraceOn() const { return tracePath[0] != '\0'; }
    // The last failure is worth another open attempt: a network failure
    // or a time-out.
    bool Unreachable() const;
    void TraceLine(const char* line);
    // The elapsed-time line of a statement (and, when slow, the warning).
    void TraceStatement(long long elapsed, const char* sql, bool failed);

    std::unique_ptr<DBDriver> driver;
    std::unique_ptr<DBRecordSet> recordset;
    // The last failure said that the server could not be reached.
    bool connectionFailure = false;
    bool transactionLost = false;
    // The failure after which the transaction was found gone, and how.
    int lostError = 0;
    std::string lostMessage;
    const char* lostHow = "";
    // A failure met while rows were read and not yet given to the caller.
    struct ReadFailure {
        bool met = false;
        int error = 0;
        std::string message;
    };
    // Of the current record set, reported, until a MoveNext returns it.
    ReadFailure ahead;
    // Of a record set dropped inside the open transaction: until Rollback
    // the commit fails with it.
    ReadFailure unreached;
};

// Creates the connection for a provider ("sqlite", "odbc", "ado" on
// Windows; null or "" gives the platform's DefaultDBProvider()). dataDir
// resolves a relative SQLite file name; odbcDriver names the ODBC driver
// (null or "" gives "FreeTDS"); adoProvider names the ADO driver's OLE DB
// provider (null or "" gives "SQLOLEDB"). The caller owns the result; null
// only when memory runs out.
CdDBConnection* CreateDBConnection(const char* provider, const char* dataDir,
                                   const char* odbcDriver, const char* adoProvider = nullptr);
