// SQLite database files for tests.
#include "support/sqlite_db.h"

#include <sqlite3.h>

namespace {

std::string ExecOn(sqlite3* db, const std::string& sql) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK) return "";
    std::string text = message ? message : "error";
    sqlite3_free(message);
    return text;
}

}  // namespace

bool SqliteAvailable() { return true; }

bool SqliteFilesAvailable() { return true; }

std::string SqliteSettings(const std::string& path) { return "dbprovider=sqlite\ndbname=" + path + "\n"; }

std::string MakeSqliteDb(const std::string& path, const std::string& script) {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) {
        std::string text = db ? sqlite3_errmsg(db) : "cannot open";
        sqlite3_close(db);
        return text;
    }
    // The files are scratch data: no need to wait for the disk.
    std::string result = ExecOn(db, "PRAGMA synchronous = OFF;" + script);
    sqlite3_close(db);
    return result;
}

std::string SqliteScalar(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return "<error: open>";
    }
    sqlite3_stmt* statement = nullptr;
    std::string result;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        result = std::string("<error: ") + sqlite3_errmsg(db) + ">";
    } else {
        int code = sqlite3_step(statement);
        if (code == SQLITE_ROW) {
            const unsigned char* text = sqlite3_column_text(statement, 0);
            result = text ? reinterpret_cast<const char*>(text) : "NULL";
        } else if (code == SQLITE_DONE) {
            result = "<no row>";
        } else {
            result = std::string("<error: ") + sqlite3_errmsg(db) + ">";
        }
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return result;
}

SqliteResult SqliteQuery(const std::string& path, const std::string& sql) {
    SqliteResult result;
    sqlite3* db = nullptr;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        result.error = db ? sqlite3_errmsg(db) : "cannot open";
        sqlite3_close(db);
        return result;
    }
    int columns = sqlite3_column_count(statement);
    for (int c = 0; c < columns; ++c) {
        const char* declared = sqlite3_column_decltype(statement, c);
        result.names.emplace_back(sqlite3_column_name(statement, c));
        result.declared.emplace_back(declared ? declared : "");
    }
    int code;
    while ((code = sqlite3_step(statement)) == SQLITE_ROW) {
        std::vector<std::optional<std::string>>& row = result.rows.emplace_back();
        for (int c = 0; c < columns; ++c) {
            if (sqlite3_column_type(statement, c) == SQLITE_NULL) {
                row.emplace_back();
                continue;
            }
            const char* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, c));
            row.emplace_back(std::string(text, static_cast<size_t>(sqlite3_column_bytes(statement, c))));
        }
    }
    if (code != SQLITE_DONE) result.error = sqlite3_errmsg(db);
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return result;
}

std::string WithOpenTransaction(const std::string& file, const std::vector<std::string>& statements,
                                const std::function<std::string()>& whileOpen) {
    sqlite3* db = nullptr;
    std::string result =
        sqlite3_open(file.c_str(), &db) == SQLITE_OK ? ExecOn(db, "BEGIN") : "cannot open";
    for (const std::string& statement : statements) {
        if (result.empty()) result = ExecOn(db, statement);
    }
    if (result.empty()) result = whileOpen();
    ExecOn(db, "ROLLBACK");
    sqlite3_close(db);
    return result;
}

SqliteHolder::SqliteHolder(const std::string& path) {
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db_);
        db_ = nullptr;
    }
}

SqliteHolder::~SqliteHolder() { sqlite3_close(db_); }

std::string SqliteHolder::Exec(const std::string& sql) {
    return db_ ? ExecOn(db_, sql) : "not open";
}
