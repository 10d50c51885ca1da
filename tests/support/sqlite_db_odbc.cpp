// SQLite database files for tests in a build without the SQLite library:
// made and read through the framework's ODBC driver over SQLite's ODBC
// driver, whose name KESTRUN_SQLITE_ODBC_DRIVER gives (the Windows build
// under Wine reaches the host's driver this way). The embedded provider
// stays missing, so SKIP_WITHOUT_SQLITE still skips the tests that need it.
#include <cstdlib>
#include <memory>

#include "db/connection.h"
#include "db/sql_dialect.h"
#include "support/db_value.h"
#include "support/sqlite_db.h"
#include "support/test_platform.h"

namespace {

const char kMissing[] = "this build has no SQLite library";

std::string OdbcDriverName() {
    const char* name = std::getenv("KESTRUN_SQLITE_ODBC_DRIVER");
    return name ? name : "";
}

// An open connection to the file at path, or the reason there is none.
std::unique_ptr<CdDBConnection> OpenFile(const std::string& path, std::string* error) {
    std::string driver = OdbcDriverName();
    if (driver.empty()) {
        *error = std::string(kMissing) + " and no SQLite ODBC driver is named";
        return nullptr;
    }
    std::unique_ptr<CdDBConnection> connection(CreateDBConnection("odbc", "", driver.c_str()));
    if (!connection) {
        *error = "no connection";
        return nullptr;
    }
    connection->connectAttempts = 1;
    connection->connectWaitSeconds = 1;
    if (connection->Open("", "", "", HostFilePath(path).c_str(), 30) != 0) {
        *error = std::string("cannot open: ") + connection->LastMessage();
        return nullptr;
    }
    return connection;
}

}  // namespace

bool SqliteAvailable() { return false; }

bool SqliteFilesAvailable() { return !OdbcDriverName().empty(); }

std::string SqliteSettings(const std::string& path) {
    return "dbprovider=odbc\ndbdriver=" + OdbcDriverName() + "\ndbname=" + HostFilePath(path) + "\n";
}

std::string MakeSqliteDb(const std::string& path, const std::string& script) {
    std::string error;
    std::unique_ptr<CdDBConnection> connection = OpenFile(path, &error);
    if (!connection) return error;
    // SQLite's ODBC driver prepares one statement at a time: the script is
    // split at the semicolons outside literals, names and comments. An
    // update of no rows has still run.
    std::string statement;
    auto run = [&]() {
        bool blank = statement.find_first_not_of(" \t\r\n") == std::string::npos;
        int ran = blank ? 0 : connection->Execute(statement.c_str(), nullptr, 0, nullptr, 0);
        statement.clear();
        return ran == 0 || ran == -1110;
    };
    for (const SqlToken& token : TokenizeSql(script)) {
        if (token.kind == SqlTokenKind::Comment) continue;
        if (token.kind == SqlTokenKind::Symbol && token.text == ";") {
            if (!run()) return connection->LastMessage();
            continue;
        }
        statement += token.text;
    }
    if (!run() || connection->Commit() != 0) return connection->LastMessage();
    return "";
}

std::string SqliteScalar(const std::string& path, const std::string& sql) {
    std::string error;
    std::unique_ptr<CdDBConnection> connection = OpenFile(path, &error);
    if (!connection) return "<error: " + error + ">";
    if (connection->Execute(sql.c_str(), nullptr, 0, nullptr, 0) != 0) {
        return std::string("<error: ") + connection->LastMessage() + ">";
    }
    if (connection->IsEOF()) return "<no row>";
    return ColumnText(*connection, 0);
}

std::string WithOpenTransaction(const std::string& file, const std::vector<std::string>& statements,
                                const std::function<std::string()>& whileOpen) {
    std::string result;
    std::unique_ptr<CdDBConnection> connection = OpenFile(file, &result);
    // The first statement begins the connection's transaction.
    for (const std::string& statement : statements) {
        if (connection && result.empty() &&
            connection->Execute(statement.c_str(), nullptr, 0, nullptr, 0) != 0) {
            result = connection->LastMessage();
        }
    }
    if (result.empty()) result = whileOpen();
    if (connection) connection->Rollback(0);
    return result;
}

SqliteResult SqliteQuery(const std::string&, const std::string&) {
    SqliteResult result;
    result.error = kMissing;
    return result;
}

SqliteHolder::SqliteHolder(const std::string&) {}

SqliteHolder::~SqliteHolder() {}

std::string SqliteHolder::Exec(const std::string&) { return kMissing; }
