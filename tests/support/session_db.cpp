// A process environment whose database session runs on a fresh SQLite file.
#include "support/session_db.h"

#include "db/connection.h"
#include "db/session.h"
#include "env/environment.h"
#include "support/app_home.h"
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
    std::string made = MakeSqliteDb(SessionDbPath(dir), script);
    if (!made.empty()) return "script: " + made;
    std::string config = "dbprovider=sqlite\ndbname=" + SessionDbPath(dir) +
                         "\ndbuser=kestrun\ndbpwd=x\ndbs=localhost\ncid=1\n" + extraConfig;
    if (!WriteAppConfig(dir, config)) return "cannot write data/app";
    int read = 0;
    OpenAppEnvironment(dir, &read);
    if (read != 0) return "configuration not read";
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
