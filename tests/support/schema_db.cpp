// Test databases: SQLite files made from the shipped schema script.
#include "support/schema_db.h"

#include <sqlite3.h>

#include "support/temp_dir.h"

bool ExecSql(const std::string& path, const std::string& sql, std::string* error) {
    sqlite3* db = nullptr;
    bool ok = sqlite3_open(path.c_str(), &db) == SQLITE_OK;
    char* message = nullptr;
    if (ok) ok = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK;
    if (!ok && error) *error = message ? message : (db ? sqlite3_errmsg(db) : "cannot open");
    sqlite3_free(message);
    sqlite3_close(db);
    return ok;
}

bool MakeSchemaDatabase(const std::string& path, std::string* error) {
    std::string script = ReadWholeFile(std::string(KESTRUN_SOURCE_DIR) + "/data/schema/sqlite.sql");
    if (script.empty()) {
        if (error) *error = "data/schema/sqlite.sql cannot be read";
        return false;
    }
    return ExecSql(path, script, error);
}
