// Embedded SQLite driver: a database file that must exist, statements
// rewritten from SQL Server's dialect, SQLite errors reported under the
// SQL Server numbers the connection knows.
#include <array>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "db/driver.h"
#include "db/sql_dialect.h"
#include "db/sqlite_file.h"
#include "db/sqlite_api.h"
#include "util/date_time.h"

namespace {

// Busy wait of a command without a configured time-out, in milliseconds.
constexpr int kDefaultBusyMillis = 30000;

// The SQLite library, loaded by the first Open; every other call follows a
// successful Open.
const SqliteApi* sqlite = nullptr;

bool Contains(const char* text, const char* part) { return text && strstr(text, part); }

// The SQL Server number and SQL state for a SQLite result.
void Classify(int code, const char* message, int* native, const char** state) {
    *state = "HY000";
    *native = code;
    switch (code & 0xFF) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            *state = "HYT00";
            return;
        case SQLITE_CONSTRAINT:
            *state = "23000";
            if (code == SQLITE_CONSTRAINT_UNIQUE || code == SQLITE_CONSTRAINT_PRIMARYKEY ||
                code == SQLITE_CONSTRAINT_ROWID) {
                *native = 2627;
            } else if (code == SQLITE_CONSTRAINT_NOTNULL) {
                *native = 515;
            } else if (code == SQLITE_CONSTRAINT_TRIGGER) {
                *native = 50000;  // raised by the database's own code
            } else {
                *native = 547;
            }
            return;
        case SQLITE_TOOBIG:
            *state = "22001";
            *native = 8152;
            return;
        case SQLITE_CORRUPT:
            *native = 824;  // never 11, which the connection retries as a network error
            return;
        case SQLITE_ERROR:
            if (Contains(message, "syntax error") || Contains(message, "incomplete input") ||
                Contains(message, "unrecognized token")) {
                *state = "42000";
                *native = 170;
            } else if (Contains(message, "no such table")) {
                *state = "42S02";
                *native = 208;
            } else if (Contains(message, "no such column")) {
                *state = "42S22";
                *native = 207;
            }
            return;
        default:
            return;
    }
}

// Column type from the declared type of a table column.
int TypeFromDeclaration(const char* declared) {
    if (!declared) return kDBTypeEmpty;
    std::string d;
    for (const char* p = declared; *p && *p != '('; ++p) {
        char c = *p;
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != ' ') d += c;
    }
    struct Entry {
        const char* name;
        int type;
    };
    static const Entry kTypes[] = {
        {"NVARCHAR", kDBTypeVarWChar}, {"NCHAR", kDBTypeWChar},
        {"NTEXT", kDBTypeLongVarWChar}, {"DECIMAL", kDBTypeNumeric},
        {"NUMERIC", kDBTypeNumeric},    {"MONEY", kDBTypeNumeric},
        {"VARCHAR", kDBTypeVarChar},    {"CHAR", kDBTypeChar},
        {"TEXT", kDBTypeLongVarChar},   {"BIGINT", kDBTypeBigInt},
        {"SMALLINT", kDBTypeSmallInt},  {"TINYINT", kDBTypeTinyInt},
        {"INT", kDBTypeInteger},        {"INTEGER", kDBTypeInteger},
        {"BIT", kDBTypeBoolean},        {"REAL", kDBTypeSingle},
        {"FLOAT", kDBTypeDouble},       {"DOUBLE", kDBTypeDouble},
        {"DATETIME", kDBTypeTimeStamp}, {"DATE", kDBTypeTimeStamp},
        {"TIMESTAMP", kDBTypeTimeStamp}, {"VARBINARY", kDBTypeVarBinary},
        {"BLOB", kDBTypeLongVarBinary}, {"IMAGE", kDBTypeLongVarBinary},
    };
    for (const Entry& e : kTypes) {
        if (d == e.name) return e.type;
    }
    return kDBTypeEmpty;
}

// Column type of an expression column from a value's storage class.
int TypeFromValue(int storage) {
    switch (storage) {
        case SQLITE_INTEGER:
            return kDBTypeInteger;
        case SQLITE_FLOAT:
            return kDBTypeDouble;
        case SQLITE_BLOB:
            return kDBTypeLongVarBinary;
        case SQLITE_TEXT:
            return kDBTypeVarWChar;
        default:
            return kDBTypeEmpty;
    }
}

bool OnlyBlanks(const char* text) {
    for (; text && *text; ++text) {
        if (!strchr(" \t\r\n;", *text)) return false;
    }
    return true;
}

class SqliteDriver;

// The rows of a prepared statement, stepped as the caller moves.
class SqliteRecordSet final : public DBRecordSet {
public:
    SqliteRecordSet(SqliteDriver* driver, sqlite3_stmt* statement);
    ~SqliteRecordSet() override { Release(); }

    // Steps to the end: 0 or the failure met (Execute of a statement that
    // changes data runs it whole).
    int RunToEnd() {
        int result = Start();
        return result != 0 ? result : KeepRest();
    }
    using DBRecordSet::Start;

private:
    int Step() override;
    void Capture(DBRow* row) override;
    int StepValue(int index, DBValue* value) override;
    void Release() override {
        sqlite->sqlite3_finalize(statement);
        statement = nullptr;
    }
    // The storage class of a value of the current row, and the column's
    // type from it when the database declared none.
    int Storage(int index);

    SqliteDriver* owner;
    sqlite3_stmt* statement;
    // Columns whose type is known: declared, or from a value read.
    std::vector<bool> typed;
    // The decimal text of integer values read in place, per column.
    std::vector<std::array<char, 24>> digits;
};

class SqliteDriver final : public DBDriver {
public:
    explicit SqliteDriver(const DBDriverSettings& s) : settings(s) {}
    ~SqliteDriver() override { Close(); }

    const char* Name() const override { return "SQLite"; }

    int Open(const DBConnectData& data, int connectTimeoutSeconds) override {
        ClearErrors();
        Close();
        if (data.database.empty()) return Fail(kDBDriverFailed, "no database file name");
        std::string missing;
        if (!sqlite) {
            sqlite = LoadSqliteApi(&missing);
            if (!sqlite) return Fail(kDBDriverFailed, missing);
            // SQLite counts the memory it holds, under a process-wide lock on
            // every allocation, for statistics nothing here reads: counting is
            // switched off before SQLite starts (had it started, SQLite would
            // refuse the call and nothing would change).
            sqlite->sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
        }
        std::string path = SqliteFilePath(settings.dataDir, data.database);
        // One thread uses the connection: SQLite need not lock around each call.
        int code = sqlite->sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                                   nullptr);
        if (code != SQLITE_OK) {
            std::string message = code == SQLITE_CANTOPEN
                                      ? "database file not found or not accessible: " + path
                                      : std::string(sqlite->sqlite3_errstr(code)) + ": " + path;
            sqlite->sqlite3_close(db);
            db = nullptr;
            // Not a connection failure (class 08): a missing or unreadable
            // file does not come back by trying again.
            return FailWith(kDBDriverFailed, {code, Name(), message, "HY000", code});
        }
        sqlite->sqlite3_extended_result_codes(db, 1);
        // A time-out of 0 does not wait for a locked file at open.
        sqlite->sqlite3_busy_timeout(db, MillisFromSeconds(connectTimeoutSeconds));
        // Reading the schema proves that the file is a database and readable now.
        int result = Run("PRAGMA foreign_keys = ON; SELECT count(*) FROM sqlite_master;");
        if (result != 0) {
            sqlite->sqlite3_close(db);
            db = nullptr;
        }
        return result;
    }

    bool IsOpen() override { return db != nullptr; }

    int Close() override {
        if (!db) return 0;
        KeepOpenRecordSet();
        if (!sqlite->sqlite3_get_autocommit(db)) sqlite->sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite->sqlite3_close_v2(db);
        db = nullptr;
        beginPending = false;
        begun = false;
        return 0;
    }

    int Execute(const std::string& sql, bool procedure, const std::vector<DBParam>& params,
                int commandTimeout, std::unique_ptr<DBRecordSet>* recordSet,
                long long* recordsAffected) override;

    // The write lock is taken with the transaction's first statement, so
    // that waiting for it follows that statement's time-out.
    int BeginTrans() override {
        ClearErrors();
        if (!db) return Fail(kDBDriverFailed, "database not open");
        beginPending = true;
        return 0;
    }

    int CommitTrans() override { return EndTransaction(true); }
    int RollbackTrans() override { return EndTransaction(false); }

    // SQLite rolls a transaction back by itself after disk full, I/O
    // errors or running out of memory; the connection is then back in
    // autocommit mode.
    int TransactionOpen() override {
        if (!db) return 0;
        return (beginPending || !sqlite->sqlite3_get_autocommit(db)) ? 1 : 0;
    }

private:
    int EndTransaction(bool commit) {
        ClearErrors();
        if (!db) return Fail(kDBDriverFailed, "database not open");
        KeepOpenRecordSet();
        beginPending = false;
        if (sqlite->sqlite3_get_autocommit(db)) {
            // Nothing to roll back; but a commit of a transaction the
            // database already ended would report lost rows as written.
            bool lost = commit && begun;
            begun = false;
            return lost ? Fail(kDBDriverFailed, "the database rolled the transaction back") : 0;
        }
        int result = Run(commit ? "COMMIT" : "ROLLBACK");
        if (result == 0) begun = false;
        return result;
    }

    void SetBusyTimeout(int commandTimeout) {
        int millis = kDefaultBusyMillis;
        if (commandTimeout == 0) {
            millis = INT_MAX;
        } else if (commandTimeout > 0) {
            millis = MillisFromSeconds(commandTimeout);
        }
        sqlite->sqlite3_busy_timeout(db, millis);
    }

    // Runs statements without results; 0 or the recorded failure.
    int Run(const char* statements) {
        char* message = nullptr;
        int code = sqlite->sqlite3_exec(db, statements, nullptr, nullptr, &message);
        if (code == SQLITE_OK) return 0;
        std::string text = message ? message : sqlite->sqlite3_errstr(code);
        sqlite->sqlite3_free(message);
        return Failure(sqlite->sqlite3_extended_errcode(db), text);
    }

    int Failure(int code, const std::string& message) {
        int native;
        const char* state;
        Classify(code, message.c_str(), &native, &state);
        return FailWith(kDBDriverFailed, {code, Name(), message, state, native});
    }

    friend class SqliteRecordSet;

    int Bind(sqlite3_stmt* statement, const std::vector<DBParam>& params);

    DBDriverSettings settings;
    sqlite3* db = nullptr;
    bool beginPending = false;
    bool begun = false;  // BEGIN ran: a transaction of ours was open
};

int SqliteDriver::Execute(const std::string& sql, bool procedure,
                          const std::vector<DBParam>& params, int commandTimeout,
                          std::unique_ptr<DBRecordSet>* recordSet, long long* recordsAffected) {
    ClearErrors();
    recordSet->reset();
    *recordsAffected = -1;
    if (!db) return Fail(kDBDriverFailed, "database not open");
    KeepOpenRecordSet();
    if (procedure) return Fail(kDBDriverFailed, "stored procedures are not available on SQLite");
    SetBusyTimeout(commandTimeout);
    if (beginPending) {
        int started = Run("BEGIN IMMEDIATE");
        if (started != 0) return started;
        beginPending = false;
        begun = true;
    }
    std::string text = RewriteForSqlite(sql);
    sqlite3_stmt* statement = nullptr;
    const char* tail = nullptr;
    int code = sqlite->sqlite3_prepare_v2(db, text.c_str(), static_cast<int>(text.size()), &statement,
                                  &tail);
    if (code != SQLITE_OK) return Failure(sqlite->sqlite3_extended_errcode(db), sqlite->sqlite3_errmsg(db));
    if (!statement || !OnlyBlanks(tail)) {
        sqlite->sqlite3_finalize(statement);
        return FailWith(kDBDriverFailed, {SQLITE_ERROR, Name(),
                                          statement ? "only one statement per command"
                                                    : "empty statement",
                                          "42000", 170});
    }
    // A statement text (ROLLBACK, COMMIT) may have ended our transaction:
    // a change now would commit on its own, beyond the caller's rollback.
    if (begun && sqlite->sqlite3_get_autocommit(db) && !sqlite->sqlite3_stmt_readonly(statement)) {
        sqlite->sqlite3_finalize(statement);
        return Fail(kDBDriverFailed, "the transaction was ended by an earlier statement");
    }
    int result = Bind(statement, params);
    if (result != 0) {
        sqlite->sqlite3_finalize(statement);
        return result;
    }
    bool readOnly = sqlite->sqlite3_stmt_readonly(statement) != 0;
    bool columns = sqlite->sqlite3_column_count(statement) > 0;
    auto rows = std::make_unique<SqliteRecordSet>(this, statement);
    // A statement that changes data runs to its end here; a query's rows
    // are read as the caller moves.
    result = readOnly ? rows->Start() : rows->RunToEnd();
    if (result != 0) return result;
    if (!readOnly) *recordsAffected = sqlite->sqlite3_changes64(db);
    if (columns) *recordSet = std::move(rows);
    return 0;
}

int SqliteDriver::Bind(sqlite3_stmt* statement, const std::vector<DBParam>& params) {
    int markers = sqlite->sqlite3_bind_parameter_count(statement);
    if (static_cast<int>(params.size()) > markers) {
        return FailWith(kDBDriverFailed, {SQLITE_RANGE, Name(),
                                          "more parameters than markers in the statement",
                                          "07001", SQLITE_RANGE});
    }
    for (size_t i = 0; i < params.size(); ++i) {
        int index = static_cast<int>(i) + 1;
        const DBParam& p = params[i];
        int code;
        if (p.type == DBParam::Type::LongText) {
            std::u16string whole;
            for (const std::u16string& chunk : p.chunks) whole += chunk;
            code = sqlite->sqlite3_bind_text16(statement, index, whole.data(),
                                       static_cast<int>(whole.size() * sizeof(char16_t)),
                                       SQLITE_TRANSIENT);
        } else if (p.type == DBParam::Type::Integer) {
            code = sqlite->sqlite3_bind_int64(statement, index, strtoll(p.text.c_str(), nullptr, 10));
        } else {
            code = sqlite->sqlite3_bind_text(statement, index, p.text.data(),
                                     static_cast<int>(p.text.size()), SQLITE_TRANSIENT);
        }
        if (code != SQLITE_OK) return Failure(sqlite->sqlite3_extended_errcode(db), sqlite->sqlite3_errmsg(db));
    }
    return 0;
}

SqliteRecordSet::SqliteRecordSet(SqliteDriver* driver, sqlite3_stmt* s)
    : DBRecordSet(driver), owner(driver), statement(s) {
    int columns = sqlite->sqlite3_column_count(statement);
    typed.resize(static_cast<size_t>(columns));
    digits.resize(static_cast<size_t>(columns));
    for (int c = 0; c < columns; ++c) {
        const char* name = sqlite->sqlite3_column_name(statement, c);
        int type = TypeFromDeclaration(sqlite->sqlite3_column_decltype(statement, c));
        typed[static_cast<size_t>(c)] = type != kDBTypeEmpty;
        AddColumn(name ? name : "", type);
    }
    driver->Opened(this);
}

int SqliteRecordSet::Step() {
    int code = sqlite->sqlite3_step(statement);
    if (code == SQLITE_ROW) return 1;
    if (code == SQLITE_DONE) return 0;
    return owner->Failure(sqlite->sqlite3_extended_errcode(owner->db), sqlite->sqlite3_errmsg(owner->db));
}

int SqliteRecordSet::Storage(int index) {
    int storage = sqlite->sqlite3_column_type(statement, index);
    if (storage != SQLITE_NULL && !typed[static_cast<size_t>(index)]) {
        SetType(index, TypeFromValue(storage));
        typed[static_cast<size_t>(index)] = true;
    }
    return storage;
}

int SqliteRecordSet::StepValue(int index, DBValue* value) {
    int storage = Storage(index);
    if (storage == SQLITE_NULL) {
        *value = DBValue();
    } else if (storage == SQLITE_INTEGER) {
        // The decimal text SQLite would give, without its conversion.
        char* text = digits[static_cast<size_t>(index)].data();
        char* end = std::to_chars(text, text + 23, sqlite->sqlite3_column_int64(statement, index)).ptr;
        *end = '\0';
        value->text = text;
        value->size = static_cast<size_t>(end - text);
    } else {
        const char* text = reinterpret_cast<const char*>(sqlite->sqlite3_column_text(statement, index));
        value->size = static_cast<size_t>(sqlite->sqlite3_column_bytes(statement, index));
        value->text = text ? text : "";
    }
    return 0;
}

void SqliteRecordSet::Capture(DBRow* row) {
    for (size_t c = 0; c < typed.size(); ++c) {
        DBCell& cell = (*row)[c];
        DBValue value;
        StepValue(static_cast<int>(c), &value);
        cell.null = value.text == nullptr;
        if (cell.null) {
            cell.text.clear();
        } else {
            cell.text.assign(value.text, value.size);
        }
    }
}

}  // namespace

std::unique_ptr<DBDriver> CreateSqliteDriver(const DBDriverSettings& settings) {
    return std::make_unique<SqliteDriver>(settings);
}
