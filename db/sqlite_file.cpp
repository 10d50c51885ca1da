// The SQLite database file of a connection's settings and the recovery
// that its first open would make.
#include "db/sqlite_file.h"

#include "util/file.h"

namespace {

bool IsAbsolutePath(const std::string& path) {
    return (!path.empty() && (path[0] == '/' || path[0] == '\\')) || (path.size() > 1 && path[1] == ':');
}

// Whether the file at path holds a first byte that is not zero: a journal
// whose header a writer has not cleared, a log with pages in it.
bool StartsWithData(const std::string& path) {
    unsigned char first = 0;
    return ReadFileStart(path.c_str(), &first, 1) == 1 && first != 0;
}

}  // namespace

std::string SqliteFilePath(const std::string& dataDir, const std::string& database) {
    if (IsAbsolutePath(database)) return database;
    std::string dir = dataDir;
    if (!dir.empty() && dir.back() != '/' && dir.back() != '\\') dir += '/';
    return dir + database;
}

bool SqliteDatabaseFile(const std::string& provider, const std::string& odbcDriver,
                        const std::string& dataDir, const std::string& database, std::string* path) {
    if (database.empty()) return false;
    if (provider == "sqlite") {
        *path = SqliteFilePath(dataDir, database);
        return true;
    }
    std::string driver;
    for (char c : odbcDriver) driver += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (provider == "odbc" && driver.find("sqlite") != std::string::npos) {
        *path = database;
        return true;
    }
    return false;
}

SqliteRecovery PendingSqliteRecovery(const std::string& path) {
    // A journal is hot while its header holds data: a committed or rolled
    // back transaction deletes, empties or zeroes it.
    if (StartsWithData(path + "-journal")) return SqliteRecovery::kRollback;
    if (StartsWithData(path + "-wal")) return SqliteRecovery::kWriteAheadLog;
    return SqliteRecovery::kNone;
}
