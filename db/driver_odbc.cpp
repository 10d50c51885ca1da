// ODBC driver: SQL Server (or any database) through an ODBC driver manager.
// Statements go as UTF-16, wide columns come back as UTF-8, long texts are
// sent in pieces at execution time.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "db/driver.h"
#include "db/odbc_api.h"
#include "db/platform.h"
#include "db/utf16.h"

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "ODBC wide characters must be UTF-16 units");

namespace {

bool Succeeded(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

// The driver manager, loaded by the first Open; every other call follows a
// successful Open.
const OdbcApi* odbc = nullptr;

// A connection-string value, braced when it holds a character that could
// end it or open another attribute.
std::string AttributeValue(const std::string& value, bool alwaysBrace) {
    if (!alwaysBrace && value.find_first_of(";{}") == std::string::npos) return value;
    std::string braced = "{";
    for (char c : value) {
        braced += c;
        if (c == '}') braced += '}';
    }
    return braced + "}";
}

}  // namespace

int OdbcColumnType(int odbcType) {
    switch (odbcType) {
        case SQL_WCHAR:
            return kDBTypeWChar;
        case SQL_WVARCHAR:
            return kDBTypeVarWChar;
        case SQL_WLONGVARCHAR:
            return kDBTypeLongVarWChar;
        case SQL_DECIMAL:
        case SQL_NUMERIC:
            return kDBTypeNumeric;
        case SQL_CHAR:
            return kDBTypeChar;
        case SQL_VARCHAR:
            return kDBTypeVarChar;
        case SQL_LONGVARCHAR:
            return kDBTypeLongVarChar;
        case SQL_INTEGER:
            return kDBTypeInteger;
        case SQL_SMALLINT:
            return kDBTypeSmallInt;
        case SQL_TINYINT:
            return kDBTypeTinyInt;
        case SQL_BIGINT:
            return kDBTypeBigInt;
        case SQL_BIT:
            return kDBTypeBoolean;
        case SQL_REAL:
            return kDBTypeSingle;
        case SQL_FLOAT:
        case SQL_DOUBLE:
            return kDBTypeDouble;
        case SQL_TYPE_DATE:
        case SQL_TYPE_TIME:
        case SQL_TYPE_TIMESTAMP:
            return kDBTypeTimeStamp;
        case SQL_GUID:
            return kDBTypeGuid;
        case SQL_BINARY:
            return kDBTypeBinary;
        case SQL_VARBINARY:
            return kDBTypeVarBinary;
        case SQL_LONGVARBINARY:
            return kDBTypeLongVarBinary;
        default:
            return kDBTypeEmpty;
    }
}

namespace {

bool IsWide(SQLSMALLINT odbcType) {
    return odbcType == SQL_WCHAR || odbcType == SQL_WVARCHAR || odbcType == SQL_WLONGVARCHAR;
}

std::u16string FromOdbc(const SQLWCHAR* text, size_t units) {
    return std::u16string(reinterpret_cast<const char16_t*>(text), units);
}

SQLRETURN ExecText(SQLHSTMT statement, const char* sql) {
    return odbc->SQLExecDirect(statement, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql)),
                               SQL_NTS);
}

// Frees a statement handle when it goes out of scope.
struct StatementHandle {
    SQLHSTMT handle = SQL_NULL_HSTMT;
    ~StatementHandle() {
        if (handle != SQL_NULL_HSTMT) odbc->SQLFreeHandle(SQL_HANDLE_STMT, handle);
    }
};

class OdbcDriver;

// The rows of an executed statement, fetched as the caller moves; the set
// owns the statement handle.
class OdbcRecordSet final : public DBRecordSet {
public:
    OdbcRecordSet(OdbcDriver* driver, SQLHSTMT statement);
    ~OdbcRecordSet() override { Release(); }

    // Describes the columns: 0 or the recorded failure.
    int Describe(SQLSMALLINT columns);
    using DBRecordSet::Start;

private:
    int Step() override;
    void Capture(DBRow* row) override { std::swap(*row, live); }
    int StepValue(int index, DBValue* value) override {
        return CellValue(live[static_cast<size_t>(index)], value);
    }
    void Release() override {
        if (statement != SQL_NULL_HSTMT) odbc->SQLFreeHandle(SQL_HANDLE_STMT, statement);
        statement = SQL_NULL_HSTMT;
    }

    OdbcDriver* owner;
    SQLHSTMT statement;
    std::vector<bool> wide;
    DBRow live;  // the statement's current row, read whole at the fetch
};

class OdbcDriver final : public DBDriver {
public:
    explicit OdbcDriver(const DBDriverSettings& s) : settings(s) {}
    ~OdbcDriver() override {
        Close();
        if (env != SQL_NULL_HENV) odbc->SQLFreeHandle(SQL_HANDLE_ENV, env);
    }

    const char* Name() const override { return "ODBC"; }

    int Open(const DBConnectData& data, int connectTimeoutSeconds) override;
    bool IsOpen() override { return connected; }
    int Close() override;
    int Execute(const std::string& sql, bool procedure, const std::vector<DBParam>& params,
                int commandTimeout, std::unique_ptr<DBRecordSet>* recordSet,
                long long* recordsAffected) override;
    int BeginTrans() override;
    int CommitTrans() override { return EndTransaction(SQL_COMMIT); }
    int RollbackTrans() override { return EndTransaction(SQL_ROLLBACK); }
    int TransactionOpen() override;
    // An ODBC connection failure (SQL state class "08", such as 08001 or
    // 08S01), or FreeTDS's "unable to connect" (native 20009).
    bool ConnectionFailure(const DBDriverError& error) const override {
        return error.sqlState.compare(0, 2, "08") == 0 || error.nativeError == 20009;
    }

private:
    // Records the diagnostics of handle after a failed call.
    int Diagnose(SQLSMALLINT type, SQLHANDLE handle, const char* what);
    int EndTransaction(SQLSMALLINT completion);
    // The server's count of open transactions: 1 some, 0 none, -1 unknown.
    int CountTransactions();
    // Whether SQLite has a transaction open: 1, 0 or -1 (see TransactionOpen).
    int SqliteTransactionOpen();
    // SQLEndTran: 0 or the recorded failure.
    int EndTran(SQLSMALLINT completion);
    // Runs a statement without parameters or rows: 0 or the recorded failure.
    int Run(const char* sql);
    int Bind(SQLHSTMT statement, const std::vector<DBParam>& params,
             std::vector<SQLLEN>* indicators);
    int SendLongTexts(SQLHSTMT statement, const std::vector<DBParam>& params, SQLRETURN* rc);
    friend class OdbcRecordSet;

    int ReadValue(SQLHSTMT statement, SQLUSMALLINT column, bool wide, DBCell* cell);

    DBDriverSettings settings;
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    bool connected = false;
    bool manualCommit = false;
    bool sqlite = false;  // the database is SQLite
};

int OdbcDriver::Diagnose(SQLSMALLINT type, SQLHANDLE handle, const char* what) {
    for (SQLSMALLINT i = 1;; ++i) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLWCHAR message[1024];
        SQLSMALLINT length = 0;
        SQLRETURN rc = odbc->SQLGetDiagRecW(type, handle, i, state, &native, message,
                                      static_cast<SQLSMALLINT>(sizeof(message) / sizeof(SQLWCHAR)),
                                      &length);
        if (!Succeeded(rc)) break;
        size_t units = length < 0 ? 0 : static_cast<size_t>(length);
        if (units >= sizeof(message) / sizeof(SQLWCHAR)) units = sizeof(message) / sizeof(SQLWCHAR) - 1;
        DBDriverError error;
        error.number = static_cast<int>(native);
        error.nativeError = static_cast<int>(native);
        error.source = Name();
        if (!Utf16ToUtf8(FromOdbc(message, units), &error.description)) {
            error.description = "(message not readable)";
        }
        Utf16ToUtf8(FromOdbc(state, 5), &error.sqlState);
        errors.push_back(std::move(error));
    }
    if (errors.empty()) return Fail(kDBDriverFailed, std::string(what) + " failed");
    failureCode = kDBDriverFailed;
    return kDBDriverFailed;
}

int OdbcDriver::Open(const DBConnectData& data, int connectTimeoutSeconds) {
    ClearErrors();
    Close();
    if (env == SQL_NULL_HENV) {
        std::string missing;
        if (!odbc) odbc = LoadOdbcApi(&missing);
        if (!odbc) return Fail(kDBDriverFailed, missing);
        DBUseUtf8CharacterSet();
        if (!Succeeded(odbc->SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) {
            env = SQL_NULL_HENV;
            return Fail(kDBDriverFailed, "ODBC driver manager not available");
        }
        odbc->SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    }
    if (!Succeeded(odbc->SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc))) {
        dbc = SQL_NULL_HDBC;
        return Diagnose(SQL_HANDLE_ENV, env, "connection handle");
    }
    if (connectTimeoutSeconds >= 0) {
        odbc->SQLSetConnectAttr(dbc, SQL_ATTR_LOGIN_TIMEOUT,
                          reinterpret_cast<SQLPOINTER>(static_cast<uintptr_t>(connectTimeoutSeconds)),
                          0);
    }
    // The wide entry point on every platform: some driver managers (Wine's
    // among them) implement only the wide connect.
    std::string text = BuildOdbcConnectionString(settings.odbcDriver, data);
    std::u16string wide;
    bool converted = DBSystemTextToUtf16(text, &wide);
    std::fill(text.begin(), text.end(), '\0');
    if (!converted) {
        std::fill(wide.begin(), wide.end(), u'\0');
        odbc->SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        dbc = SQL_NULL_HDBC;
        return Fail(kDBDriverFailed, "connection data is not text of the system code page");
    }
    SQLRETURN rc = odbc->SQLDriverConnectW(dbc, nullptr, reinterpret_cast<SQLWCHAR*>(wide.data()),
                                     static_cast<SQLSMALLINT>(wide.size()), nullptr, 0, nullptr,
                                     SQL_DRIVER_NOPROMPT);
    // The text holds the password: leave no copy of it behind.
    std::fill(wide.begin(), wide.end(), u'\0');
    if (!Succeeded(rc)) {
        int result = Diagnose(SQL_HANDLE_DBC, dbc, "connect");
        odbc->SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        dbc = SQL_NULL_HDBC;
        return result;
    }
    connected = true;
    SQLWCHAR name[16] = {};
    SQLSMALLINT bytes = 0;
    sqlite = Succeeded(odbc->SQLGetInfoW(dbc, SQL_DBMS_NAME, name, sizeof(name), &bytes)) &&
             FromOdbc(name, std::min<size_t>(static_cast<size_t>(bytes < 0 ? 0 : bytes) / 2, 15)) ==
                 u"SQLite";
    return 0;
}

int OdbcDriver::Close() {
    if (dbc == SQL_NULL_HDBC) return 0;
    KeepOpenRecordSet();
    int result = 0;
    if (connected) {
        if (manualCommit) EndTransaction(SQL_ROLLBACK);
        if (!Succeeded(odbc->SQLDisconnect(dbc))) result = Diagnose(SQL_HANDLE_DBC, dbc, "disconnect");
    }
    odbc->SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    dbc = SQL_NULL_HDBC;
    connected = false;
    manualCommit = false;
    transactionEnded = false;
    return result;
}

int OdbcDriver::BeginTrans() {
    ClearErrors();
    if (!connected) return Fail(kDBDriverFailed, "database not open");
    KeepOpenRecordSet();
    SQLRETURN rc = odbc->SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT,
                                     reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0);
    if (!Succeeded(rc)) return Diagnose(SQL_HANDLE_DBC, dbc, "begin transaction");
    manualCommit = true;
    transactionEnded = false;
    return 0;
}

int OdbcDriver::EndTran(SQLSMALLINT completion) {
    if (Succeeded(odbc->SQLEndTran(SQL_HANDLE_DBC, dbc, completion))) return 0;
    return Diagnose(SQL_HANDLE_DBC, dbc, completion == SQL_COMMIT ? "commit" : "rollback");
}

int OdbcDriver::Run(const char* sql) {
    StatementHandle statement;
    if (!Succeeded(odbc->SQLAllocHandle(SQL_HANDLE_STMT, dbc, &statement.handle))) {
        statement.handle = SQL_NULL_HSTMT;
        return Diagnose(SQL_HANDLE_DBC, dbc, "statement handle");
    }
    if (Succeeded(ExecText(statement.handle, sql))) return 0;
    return Diagnose(SQL_HANDLE_STMT, statement.handle, "execute");
}

int OdbcDriver::EndTransaction(SQLSMALLINT completion) {
    ClearErrors();
    if (!connected) return Fail(kDBDriverFailed, "database not open");
    if (!manualCommit) return 0;
    KeepOpenRecordSet();
    int result = 0;
    if (completion == SQL_COMMIT) {
        result = RefuseCommitAfterTransactionEnd();
        if (result == 0) result = EndTran(SQL_COMMIT);
    } else {
        // ODBC has no call that begins a transaction: the statement gives
        // the driver one to roll back.
        result = RollbackEndedTransaction(
            EndTran(SQL_ROLLBACK), [this] { return Run("BEGIN TRANSACTION"); },
            [this] { return EndTran(SQL_ROLLBACK); });
    }
    if (result != 0) return result;
    manualCommit = false;
    transactionEnded = false;
    SQLRETURN rc = odbc->SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT,
                                     reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
    if (!Succeeded(rc)) return Diagnose(SQL_HANDLE_DBC, dbc, "autocommit");
    return 0;
}

// SQL Server ends a transaction by itself after a deadlock or an error
// under XACT_ABORT; its count of open transactions tells. SQLite, which
// ends one after a conflict under ON CONFLICT ROLLBACK, disk full or an I/O
// error, has no count, but its BEGIN fails inside a transaction. Any other
// database that does not know the query cannot tell (-1). A connection back
// in autocommit mode has none.
int OdbcDriver::TransactionOpen() {
    if (!connected || !manualCommit || transactionEnded) return 0;
    SQLULEN autocommit = SQL_AUTOCOMMIT_OFF;
    if (Succeeded(odbc->SQLGetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT, &autocommit, 0, nullptr)) &&
        autocommit == SQL_AUTOCOMMIT_ON) {
        return 0;
    }
    KeepOpenRecordSet();
    int counted = CountTransactions();
    return counted < 0 && sqlite ? SqliteTransactionOpen() : counted;
}

int OdbcDriver::SqliteTransactionOpen() {
    StatementHandle statement;
    if (!Succeeded(odbc->SQLAllocHandle(SQL_HANDLE_STMT, dbc, &statement.handle))) {
        statement.handle = SQL_NULL_HSTMT;
        return -1;
    }
    if (Succeeded(ExecText(statement.handle, "BEGIN"))) {
        // None was open: the one just begun ends at once.
        ExecText(statement.handle, "ROLLBACK");
        return 0;
    }
    SQLWCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLWCHAR message[512];
    SQLSMALLINT length = 0;
    if (!Succeeded(odbc->SQLGetDiagRecW(SQL_HANDLE_STMT, statement.handle, 1, state, &native,
                                        message, 512, &length))) {
        return -1;
    }
    std::string text;
    size_t units = length < 0 ? 0 : std::min<size_t>(static_cast<size_t>(length), 511);
    if (!Utf16ToUtf8(FromOdbc(message, units), &text)) return -1;
    return text.find("within a transaction") != std::string::npos ? 1 : -1;
}

int OdbcDriver::CountTransactions() {
    StatementHandle statement;
    if (!Succeeded(odbc->SQLAllocHandle(SQL_HANDLE_STMT, dbc, &statement.handle))) {
        statement.handle = SQL_NULL_HSTMT;
        return -1;
    }
    SQLINTEGER count = 0;
    SQLLEN indicator = 0;
    if (!Succeeded(ExecText(statement.handle, "SELECT @@TRANCOUNT")) ||
        !Succeeded(odbc->SQLFetch(statement.handle)) ||
        !Succeeded(odbc->SQLGetData(statement.handle, 1, SQL_C_SLONG, &count, sizeof(count),
                              &indicator)) ||
        indicator == SQL_NULL_DATA) {
        return -1;
    }
    return count > 0 ? 1 : 0;
}

int OdbcDriver::Bind(SQLHSTMT statement, const std::vector<DBParam>& params,
                     std::vector<SQLLEN>* indicators) {
    indicators->assign(params.size(), 0);
    for (size_t i = 0; i < params.size(); ++i) {
        const DBParam& p = params[i];
        SQLUSMALLINT number = static_cast<SQLUSMALLINT>(i + 1);
        SQLLEN* indicator = &(*indicators)[i];
        SQLRETURN rc;
        if (p.type == DBParam::Type::LongText) {
            size_t units = 0;
            for (const std::u16string& chunk : p.chunks) units += chunk.size();
            *indicator = SQL_LEN_DATA_AT_EXEC(static_cast<SQLLEN>(units * sizeof(SQLWCHAR)));
            // The parameter's index comes back from SQLParamData.
            rc = odbc->SQLBindParameter(statement, number, SQL_PARAM_INPUT, SQL_C_WCHAR,
                                  SQL_WLONGVARCHAR, units > 0 ? units : 1, 0,
                                  reinterpret_cast<SQLPOINTER>(static_cast<uintptr_t>(i)), 0,
                                  indicator);
        } else {
            *indicator = static_cast<SQLLEN>(p.text.size());
            SQLSMALLINT sqlType = p.type == DBParam::Type::Integer ? SQL_INTEGER : SQL_VARCHAR;
            rc = odbc->SQLBindParameter(statement, number, SQL_PARAM_INPUT, SQL_C_CHAR, sqlType,
                                  p.text.empty() ? 1 : p.text.size(), 0,
                                  const_cast<char*>(p.text.c_str()),
                                  static_cast<SQLLEN>(p.text.size() + 1), indicator);
        }
        if (!Succeeded(rc)) return Diagnose(SQL_HANDLE_STMT, statement, "bind");
    }
    return 0;
}

int OdbcDriver::SendLongTexts(SQLHSTMT statement, const std::vector<DBParam>& params,
                              SQLRETURN* rc) {
    while (*rc == SQL_NEED_DATA) {
        SQLPOINTER token = nullptr;
        *rc = odbc->SQLParamData(statement, &token);
        if (*rc != SQL_NEED_DATA) break;
        size_t index = static_cast<size_t>(reinterpret_cast<uintptr_t>(token));
        if (index >= params.size()) return Fail(kDBDriverFailed, "unexpected parameter request");
        const std::vector<std::u16string>& chunks = params[index].chunks;
        if (chunks.empty()) {
            static const SQLWCHAR empty[1] = {0};
            if (!Succeeded(odbc->SQLPutData(statement, const_cast<SQLWCHAR*>(empty), 0))) {
                return Diagnose(SQL_HANDLE_STMT, statement, "send parameter");
            }
        }
        for (const std::u16string& chunk : chunks) {
            SQLRETURN put =
                odbc->SQLPutData(statement, const_cast<char16_t*>(chunk.data()),
                           static_cast<SQLLEN>(chunk.size() * sizeof(SQLWCHAR)));
            if (!Succeeded(put)) return Diagnose(SQL_HANDLE_STMT, statement, "send parameter");
        }
    }
    return 0;
}

int OdbcDriver::Execute(const std::string& sql, bool procedure, const std::vector<DBParam>& params,
                        int commandTimeout, std::unique_ptr<DBRecordSet>* recordSet,
                        long long* recordsAffected) {
    ClearErrors();
    recordSet->reset();
    *recordsAffected = -1;
    if (!connected) return Fail(kDBDriverFailed, "database not open");
    KeepOpenRecordSet();
    if (int refused = RefuseChangeAfterTransactionEnd(sql, procedure)) return refused;
    StatementHandle statement;
    if (!Succeeded(odbc->SQLAllocHandle(SQL_HANDLE_STMT, dbc, &statement.handle))) {
        statement.handle = SQL_NULL_HSTMT;
        return Diagnose(SQL_HANDLE_DBC, dbc, "statement handle");
    }
    if (commandTimeout >= 0) {
        odbc->SQLSetStmtAttr(statement.handle, SQL_ATTR_QUERY_TIMEOUT,
                       reinterpret_cast<SQLPOINTER>(static_cast<uintptr_t>(commandTimeout)), 0);
    }
    std::string text = sql;
    if (procedure) {
        text = "{call " + sql;
        for (size_t i = 0; i < params.size(); ++i) text += i == 0 ? "(?" : ",?";
        text += params.empty() ? "}" : ")}";
    }
    std::u16string wide;
    if (!Utf8ToUtf16(text, &wide)) return Fail(kDBDriverFailed, "statement is not UTF-8 text");
    std::vector<SQLLEN> indicators;
    int result = Bind(statement.handle, params, &indicators);
    if (result != 0) return result;
    SQLRETURN rc = odbc->SQLExecDirectW(statement.handle, reinterpret_cast<SQLWCHAR*>(wide.data()),
                                  static_cast<SQLINTEGER>(wide.size()));
    result = SendLongTexts(statement.handle, params, &rc);
    if (result != 0) return result;
    if (rc == SQL_NO_DATA) {
        *recordsAffected = 0;
    } else if (!Succeeded(rc)) {
        return Diagnose(SQL_HANDLE_STMT, statement.handle, "execute");
    } else {
        SQLLEN count = -1;
        if (Succeeded(odbc->SQLRowCount(statement.handle, &count))) *recordsAffected = count;
        SQLSMALLINT columns = 0;
        if (!Succeeded(odbc->SQLNumResultCols(statement.handle, &columns))) {
            return Diagnose(SQL_HANDLE_STMT, statement.handle, "result columns");
        }
        if (columns > 0) {
            auto rows = std::make_unique<OdbcRecordSet>(this, statement.handle);
            statement.handle = SQL_NULL_HSTMT;
            result = rows->Describe(columns);
            if (result == 0) result = rows->Start();
            if (result != 0) return result;
            *recordSet = std::move(rows);
        }
    }
    // Asked once the statement is done with the connection.
    if (statement.handle != SQL_NULL_HSTMT) odbc->SQLFreeHandle(SQL_HANDLE_STMT, statement.handle);
    statement.handle = SQL_NULL_HSTMT;
    if (manualCommit) NoteTransactionEnd(sql, procedure);
    return 0;
}

OdbcRecordSet::OdbcRecordSet(OdbcDriver* driver, SQLHSTMT s)
    : DBRecordSet(driver), owner(driver), statement(s) {
    driver->Opened(this);
}

int OdbcRecordSet::Describe(SQLSMALLINT columns) {
    wide.resize(static_cast<size_t>(columns));
    for (SQLSMALLINT c = 1; c <= columns; ++c) {
        SQLWCHAR name[256];
        SQLSMALLINT length = 0;
        SQLSMALLINT type = 0;
        SQLULEN size = 0;
        SQLSMALLINT digits = 0;
        SQLSMALLINT nullable = 0;
        SQLRETURN rc = odbc->SQLDescribeColW(statement, static_cast<SQLUSMALLINT>(c), name, 256,
                                       &length, &type, &size, &digits, &nullable);
        if (!Succeeded(rc)) return owner->Diagnose(SQL_HANDLE_STMT, statement, "describe column");
        std::string text;
        if (!Utf16ToUtf8(FromOdbc(name, length < 0 ? 0 : std::min<size_t>(static_cast<size_t>(length), 255)),
                         &text)) {
            text.clear();
        }
        wide[static_cast<size_t>(c - 1)] = IsWide(type);
        AddColumn(std::move(text), OdbcColumnType(type));
    }
    return 0;
}

// Every column of the row is read at the fetch: drivers need not let a
// column be read twice, or after a later one.
int OdbcRecordSet::Step() {
    SQLRETURN rc = odbc->SQLFetch(statement);
    if (rc == SQL_NO_DATA) return 0;
    if (!Succeeded(rc)) return owner->Diagnose(SQL_HANDLE_STMT, statement, "fetch");
    live.resize(wide.size());
    for (size_t c = 0; c < wide.size(); ++c) {
        int result = owner->ReadValue(statement, static_cast<SQLUSMALLINT>(c + 1), wide[c],
                                      &live[c]);
        if (result != 0) return result;
    }
    return 1;
}

// Reads one column of the current row in pieces into cell; wide columns
// as UTF-16 converted to UTF-8, all others as the driver's text.
int OdbcDriver::ReadValue(SQLHSTMT statement, SQLUSMALLINT column, bool wide, DBCell* cell) {
    std::string& narrow = cell->text;
    narrow.clear();
    cell->badText = false;
    std::u16string units;
    bool isNull = false;
    while (true) {
        char buffer[8192];
        SQLLEN indicator = 0;
        SQLRETURN rc = odbc->SQLGetData(statement, column, wide ? SQL_C_WCHAR : SQL_C_CHAR, buffer,
                                  sizeof(buffer), &indicator);
        if (rc == SQL_NO_DATA) break;
        if (!Succeeded(rc)) return Diagnose(SQL_HANDLE_STMT, statement, "read column");
        if (indicator == SQL_NULL_DATA) {
            isNull = true;
            break;
        }
        // A piece fills the buffer except its terminator while more follows.
        size_t room = wide ? sizeof(buffer) / sizeof(SQLWCHAR) - 1 : sizeof(buffer) - 1;
        size_t got = room;
        if (indicator != SQL_NO_TOTAL) {
            size_t total = static_cast<size_t>(indicator) / (wide ? sizeof(SQLWCHAR) : 1);
            if (total < got) got = total;
        }
        if (wide) {
            units.append(reinterpret_cast<const char16_t*>(buffer), got);
        } else {
            narrow.append(buffer, got);
        }
        if (rc == SQL_SUCCESS) break;
    }
    cell->null = isNull;
    // Text that is not valid UTF-16 fails the read of this value only.
    if (!isNull && wide && !Utf16ToUtf8(units, &narrow)) cell->badText = true;
    return 0;
}

}  // namespace

std::string BuildOdbcConnectionString(const std::string& driver, const DBConnectData& data) {
    return "Driver=" + AttributeValue(driver, true) + ";Server=" + AttributeValue(data.server, false) +
           ";Database=" + AttributeValue(data.database, false) +
           ";UID=" + AttributeValue(data.user, false) + ";PWD=" + AttributeValue(data.password, false) +
           ";";
}

std::unique_ptr<DBDriver> CreateOdbcDriver(const DBDriverSettings& settings) {
    return std::make_unique<OdbcDriver>(settings);
}
