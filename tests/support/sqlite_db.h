// SQLite database files for tests: creating them with a script, reading a
// value back, and a second connection that holds locks.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

// True when the build has the SQLite library (and the "sqlite" provider).
bool SqliteAvailable();
// Skips the current test (from its body or its fixture's SetUp) when the
// build has no SQLite library.
#define SKIP_WITHOUT_SQLITE()                                                  \
    if (!SqliteAvailable())                                                    \
    GTEST_SKIP() << "this build has no SQLite library: the embedded provider " \
                    "and the test databases are left out"

// True when tests can make and read SQLite database files: with the SQLite
// library, or else over SQLite's ODBC driver on the host (the Windows build
// under Wine).
bool SqliteFilesAvailable();
#define SKIP_WITHOUT_SQLITE_FILES()                                             \
    if (!SqliteFilesAvailable())                                               \
    GTEST_SKIP() << "this build has no SQLite library and no SQLite ODBC "     \
                    "driver is named in KESTRUN_SQLITE_ODBC_DRIVER"
// Configuration lines that make the built programs open the database file
// at path: the embedded provider where the build has it, else ODBC.
std::string SqliteSettings(const std::string& path);

// Creates (or opens) the database file and runs script on it. "" on
// success, else SQLite's message.
std::string MakeSqliteDb(const std::string& path, const std::string& script);
// First column of the first row of sql on a fresh connection: its text,
// "NULL", "<no row>" or "<error: message>".
std::string SqliteScalar(const std::string& path, const std::string& sql);

// A query's whole result, read at once through the SQLite library.
struct SqliteResult {
    std::string error;                  // "" when the query ran
    std::vector<std::string> names;     // column names
    std::vector<std::string> declared;  // declared column types ("" for none)
    // Each row's values as SQLite gives them as text; nullopt for NULL.
    std::vector<std::vector<std::optional<std::string>>> rows;
};
// Runs sql on a fresh read-only connection and reads every row before it
// returns. Without the SQLite library: only error is set.
SqliteResult SqliteQuery(const std::string& path, const std::string& sql);

// Leaves the database file at path as a writer killed inside its
// transaction leaves it: the statements run in one transaction on a copy,
// and the copy's file and its journal, as they stand then, take path's
// place (the journal as path + "-journal"). The journal is hot once the
// writer has written pages into the file (its cache spilled). "" on
// success, else what failed.
std::string LeaveInterruptedTransaction(const std::string& path, const std::vector<std::string>& statements);
// Runs the statements in one transaction on the file and, when they all
// ran, whileOpen before the transaction is rolled back. "" on success, else
// the first failure.
std::string WithOpenTransaction(const std::string& file, const std::vector<std::string>& statements,
                                const std::function<std::string()>& whileOpen);

// A second connection to a database file, for holding locks.
class SqliteHolder {
public:
    explicit SqliteHolder(const std::string& path);
    ~SqliteHolder();
    SqliteHolder(const SqliteHolder&) = delete;
    SqliteHolder& operator=(const SqliteHolder&) = delete;

    // "" on success, else SQLite's message (no busy waiting).
    std::string Exec(const std::string& sql);

private:
    sqlite3* db_ = nullptr;
};
