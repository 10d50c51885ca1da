// DBDriver: what a database driver gives the connection (open, statements,
// transactions, record sets, error lists), and the registry of drivers by name.
#pragma once

#include <memory>
#include <optional>
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

// A record set read completely at execution: column names and types, then
// rows of text values (UTF-8) where a missing value is a database NULL.
class DBRecordSet {
public:
    using Row = std::vector<std::optional<std::string>>;

    void AddColumn(std::string name, int type);
    // Appends a row; it must have one entry per column.
    void AddRow(Row row);

    int FieldCount() const { return static_cast<int>(names.size()); }
    // Name of the column, or null for an index out of range.
    const char* FieldName(int index) const;
    int FieldType(int index) const;
    // Index of the column named name (letter case ignored), or -1.
    int FieldIndex(const char* name) const;
    // Value in the current row: null for NULL. Only valid while !IsEOF()
    // and index is in range.
    const std::optional<std::string>& Value(int index) const;
    bool IsEOF() const { return current >= rows.size(); }
    // false when already at the end.
    bool MoveNext();
    // Sets the type of columns that the driver could not name from a
    // declaration, once every row is in (from the first non-null value).
    void SetType(int index, int type);

private:
    std::vector<std::string> names;
    std::vector<int> types;
    std::vector<Row> rows;
    size_t current = 0;
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
    virtual ~DBDriver() = default;

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

    std::vector<DBDriverError> errors;
    int failureCode = 0;
    std::string failureMessage;
    std::string failureSource;
    std::string failureDescription;
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

// Generic driver result for failures that have no better number.
constexpr int kDBDriverFailed = -2147467259;  // 0x80004005

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
