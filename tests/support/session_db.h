// A process environment whose database session runs on a fresh SQLite file,
// and a record of the statements the session's connection runs.
#pragma once

#include <string>
#include <vector>

class TempDir;

// Creates <dir>/data/app (SQLite provider, the database <dir>/session.db,
// company 1, then the extra lines), runs script on the database, creates
// the environment, reads the configuration and opens the session. "" on
// success, else what failed. ReleaseEnvironment ends it.
std::string OpenSessionDb(const TempDir& dir, const std::string& script,
                          const std::string& extraConfig = "");
// Path of the database file that OpenSessionDb made in dir.
std::string SessionDbPath(const TempDir& dir);

// Statements (and "commit", "rollback", "BeginTransaction") that the
// connection reported since the last ClearStatements, in order.
const std::vector<std::string>& Statements();
void ClearStatements();
// How many recorded statements contain text.
int CountStatements(const std::string& text);
