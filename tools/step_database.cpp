// The step stand-in's database upgrade, through the framework's environment
// and database session, as kestrun itself opens the database.
#include "tools/step_database.h"

#include <string>

#include "db/session.h"
#include "env/environment.h"

namespace {

// Waiting for a lock another connection holds: a few seconds, as an
// ordinary program waits, never for good and never not at all.
constexpr int kBusySeconds = 5;

const char kUpdate[] = "UPDATE TM_STEP_VERSION SET RUN_COUNT = RUN_COUNT + 1 WHERE STEP = 'bookmarkv30'";
const char kCreate[] =
    "CREATE TABLE TM_STEP_VERSION (STEP NVARCHAR(63) NOT NULL PRIMARY KEY, VERSION INT NOT NULL,"
    " RUN_COUNT INT NOT NULL)";
const char kInsert[] = "INSERT INTO TM_STEP_VERSION (STEP, VERSION, RUN_COUNT) VALUES ('bookmarkv30', 30, 1)";

int Failed(const char* what, int code, std::string* error) {
    char message[4096] = "";
    DBLastError(message);
    *error = std::string(what) + " failed (" + std::to_string(code) + "): " + message;
    return code;
}

// The run's row in the version table: counted up, or added (with the table
// when it is missing: the update fails without it).
int RecordRun(std::string* error) {
    int result = DBExecute(nullptr, kUpdate, 0, 0);
    if (result == 0) return 0;
    if (result != -110 && (result = DBExecute(nullptr, kCreate, 0, 0)) != 0) {
        return Failed("creating the version table", result, error);
    }
    result = DBExecute(nullptr, kInsert, 0, 0);
    return result == 0 ? 0 : Failed("adding the version row", result, error);
}

}  // namespace

int UpgradeDatabase(const std::vector<std::string>& args, std::string* error) {
    if (args.size() < 8) {
        *error = "expected the work directory, home, server, 0, user, password and database name";
        return -99;
    }
    // kestrun passes its home directory with a "/" appended.
    std::string home = args[2];
    if (home.size() > 1 && home.back() == '/') home.pop_back();
    CreateAppEnvironment();
    int result = ReadConfiguration(home.c_str());
    if (result != 0) {
        *error = "cannot read the configuration of " + home + " (" + std::to_string(result) + ")";
        return result;
    }
    result = DBOpenWith(args[7].c_str(), args[6].c_str(), args[3].c_str(), args[5].c_str());
    if (result != 0) return Failed("opening the database", result, error);
    DBSetTimeout(kBusySeconds);
    result = RecordRun(error);
    if (result == 0) {
        result = DBCommit();
        if (result != 0) Failed("commit", result, error);
    }
    if (result != 0) DBRollback(result);
    DBClose();
    if (CMSioObjApp* env = AppEnvironment()) env->ReleaseEnvironment();
    return result;
}
