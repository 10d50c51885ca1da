// The SQLite database file behind a connection's settings, and what opening
// it would recover first.
#pragma once

#include <string>

// The file an SQLite connection opens for database: the name itself when
// it is absolute, else the name in dataDir.
std::string SqliteFilePath(const std::string& dataDir, const std::string& database);

// The file the settings reach SQLite in: the embedded provider "sqlite"
// (relative names in dataDir), or "odbc" with a driver whose name holds
// "sqlite" in any letter case (the name as given). false for any other.
bool SqliteDatabaseFile(const std::string& provider, const std::string& odbcDriver,
                        const std::string& dataDir, const std::string& database, std::string* path);

// What SQLite does to the file at path before its first read, when a
// writer left it mid-way: the rollback of a transaction whose journal
// ("-journal") a writer left, or the write-ahead log ("-wal") that still
// holds pages. Either changes the files. kNone when neither is there.
enum class SqliteRecovery { kNone, kRollback, kWriteAheadLog };
SqliteRecovery PendingSqliteRecovery(const std::string& path);
