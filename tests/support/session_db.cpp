// A process environment whose database session runs on a fresh SQLite file.
#include "support/session_db.h"

#include <filesystem>

#include "db/connection.h"
#include "db/session.h"
#include "env/environment.h"
#include "support/sqlite_db.h"
#include "support/temp_dir.h"

namespace {

std::vector<std::string> statements;

int RecordStatement(const char* what, int, int, const char*) {
    statements.emplace_back(what ? what : "");
    return 0;
}

}  // namespace

std::string SessionDbPath(const TempDir& dir) { return dir.file("session.db"); }

std::string OpenSessionDb(const TempDir& dir, const std::string& script,
                          const std::string& extraConfig) {
    std::error_code error;
    std::filesystem::create_directories(dir.file("data"), error);
    if (error) return "cannot create the data directory";
    std::string made = MakeSqliteDb(SessionDbPath(dir), script);
    if (!made.empty()) return "script: " + made;
    std::string config = "dbprovider=sqlite\ndbname=" + SessionDbPath(dir) +
                         "\ndbuser=kestrun\ndbpwd=x\ndbs=localhost\ncid=1\n" + extraConfig;
    if (!WriteWholeFile(dir.file("data/app"), config)) return "cannot write data/app";
    CreateAppEnvironment();
    if (ReadConfiguration(dir.path().c_str()) != 0) return "configuration not read";
    int rc = DBOpen();
    if (rc != 0) return "DBOpen " + std::to_string(rc);
    AppEnvironment()->Connection()->callback = RecordStatement;
    statements.clear();
    return "";
}

const std::vector<std::string>& Statements() { return statements; }

void ClearStatements() { statements.clear(); }

int CountStatements(const std::string& text) {
    int n = 0;
    for (const std::string& s : statements) n += s.find(text) != std::string::npos;
    return n;
}
