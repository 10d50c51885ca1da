// ZAppKestrunCheck: kestrun's start-up steps run as checks, each reported in
// one line with what a real run would do where it fails.
#include "app/kestrun_check.h"

#include <cerrno>
#include <cstdio>

#include "app/status_codes.h"
#include "db/session.h"
#include "db/sqlite_file.h"
#include "env/catalog.h"
#include "env/environment.h"
#include "util/console.h"
#include "util/file.h"
#include "util/file_dry_run.h"
#include "util/file_os.h"
#include "util/log.h"
#include "util/nv_io.h"
#include "util/process.h"

namespace {

const char kUsage[] = "usage : kestrun-check VRNHOME\n        kestrun-check -h VRNHOME\n";

// The console text of a step without its line ends.
std::string OneLine(const std::string& text) {
    std::string line;
    for (char c : text) {
        if (c == '\r') continue;
        if (c == '\n') {
            if (!line.empty() && line.back() != ' ') line += ' ';
            continue;
        }
        line += c;
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
}

std::string ExitStatusText(int status) {
    std::string text = std::to_string(status);
    if (status == kStoppedInInitExit) text += " (188 on Linux)";
    return text;
}

// What a run that stops with these console texts does.
std::string RunStops(const std::string& consoleText) {
    std::string shown = OneLine(consoleText);
    const KestrunConsoleStop* stop = FindKestrunConsoleStop(shown.c_str());
    std::string text = "a run prints \"" + shown + "\" before its result line, writes no status file";
    if (!stop) return text;
    return text + " and exits with " + ExitStatusText(stop->exitStatus) + ": " + stop->meaning;
}

// What a run that fails with code after taking the lock does.
std::string RunLeaves(int code) {
    std::string text = "a run leaves status=" + std::to_string(code) + " in kestrun.sts";
    const KestrunStatusCode* entry = FindKestrunStatusCode(code);
    return entry ? text + ": " + entry->meaning : text;
}

}  // namespace

int ZAppKestrunCheck::Check(int argc, const char* const* argv) {
    Line lines[7];
    // In the order a run meets them: its first failure is the first FAILED line.
    const char* const names[] = {"home argument", "configuration",    "installation", "batch lock",
                                 "database",      "status directory", "step program"};
    for (int i = 0; i < 7; ++i) lines[i].what = names[i];
    // The configuration may switch on logs that a run writes; the check
    // writes none of them.
    SuspendLogFiles();
    // Past a failed home or installation check nothing is an installation:
    // no lock, database or directory of it is looked at.
    if (CheckArguments(argc, argv, &lines[0], &lines[1]) && CheckInstallation(&lines[2])) {
        SetWorkPaths();
        CheckLock(&lines[3]);
        CheckDatabase(argc, argv, &lines[4]);
        CheckStatusDirectory(&lines[5]);
        CheckStepProgram(&lines[6]);
    }
    SetConsoleCapture(nullptr);
    ReleaseStatusObject();
    // Closing the connection rolls back whatever the checks left open.
    CMSApp::Finish(0);

    int failures = 0;
    int number = 0;
    for (const Line& line : lines) {
        const char* state = line.state == State::kOk ? "ok" : line.state == State::kFailed ? "FAILED" : "--";
        failures += line.state == State::kFailed;
        std::string detail = line.state == State::kNotChecked ? "not checked: an earlier check failed" : line.detail;
        ConsolePrint("%-6s %d %s: %s\n", state, ++number, line.what, detail.c_str());
    }
    if (lines[0].state == State::kFailed && !homeGiven) ConsolePrint("%s", kUsage);
    return failures == 0 ? 0 : 1;
}

bool ZAppKestrunCheck::CheckArguments(int argc, const char* const* argv, Line* home, Line* config) {
    console.clear();
    SetConsoleCapture(&console);
    int r = ReadArguments(argc, argv);
    homeGiven = false;
    if (r == 0) {
        // Whether "-h" has a usable value, apart from the configuration.
        std::string scratch;
        SetConsoleCapture(&scratch);
        char value[2048] = "";
        homeGiven = GetHomeArgument(argc, argv, value, sizeof value) == 0;
        SetConsoleCapture(&console);
        r = ReadEnvironment(argc, argv);
    }
    if (r != 0) {
        Line* failedLine = homeGiven ? config : home;
        if (homeGiven) home->state = State::kOk;
        home->detail = "-h value accepted";
        failedLine->state = State::kFailed;
        failedLine->detail = RunStops(console);
        return false;
    }
    CMSioObjApp* env = AppEnvironment();
    std::string homeDir = env ? env->HomeDir() : "";
    console.clear();
    if (CheckHomePaths() != 0) {
        home->state = State::kFailed;
        home->detail = RunStops(console);
        return false;
    }
    home->state = State::kOk;
    home->detail = homeDir + " (" + std::to_string(homeDir.size()) +
                   " bytes; every path a run derives from it fits the system)";
    std::string file = homeDir + "data/app";
    config->state = State::kOk;
    config->detail = file + (PathExists(file.c_str()) == 1 ? " read: " : " absent, defaults apply: ") + Settings();
    return true;
}

std::string ZAppKestrunCheck::Settings() {
    CMSioObjApp* env = AppEnvironment();
    if (!env) return "";
    char text[4096];
    std::snprintf(text, sizeof text,
                  "dbprovider=%s dbdriver=%s dbs=%s dbname=%s dbuser=%s dbpwd=%s retrycnt=%d retrytim=%d "
                  "dbtimeout=%d cid=%d",
                  env->DbProvider(), env->DbDriver(), env->DbServer(), env->DbName(), env->DbUser(),
                  MaskedPassword(), env->RetryCount(), env->RetryTime(), env->DbTimeout(), env->CompanyId());
    return text;
}

bool ZAppKestrunCheck::CheckInstallation(Line* line) {
    console.clear();
    if (CheckCatalog() != 0) {
        line->state = State::kFailed;
        line->detail = RunStops(console);
        return false;
    }
    line->state = State::kOk;
    CMSioObjApp* env = AppEnvironment();
    line->detail = std::string(env ? env->HomeDir() : "") + "local/ja_JP/message present";
    return true;
}

int ZAppKestrunCheck::DryStartStatus(const NUFileDryRun& dryRun, bool* held) {
    // As at a run's start, no failure of an earlier step shows in errno.
    errno = 0;
    int r = StartStatus();
    *held = r == -17 && dryRun.LastLockError() == kSysSharingViolation;
    statusIO.Unlock();
    ReleaseStatusObject();
    return r;
}

void ZAppKestrunCheck::CheckLock(Line* line) {
    std::string status = std::string(statusDir.Get()) + "/" + statusFileName.Get();
    std::string lock = status + ".lk";
    bool lockThere = FileOs().entryExists(lock.c_str()) == 1;
    bool dirThere = PathExists(statusDir.Get()) == 1;
    console.clear();
    bool held = false;
    int r;
    {
        // The run's own lock-taking save of the status file, changing nothing.
        NUFileDryRun dryRun;
        r = DryStartStatus(dryRun, &held);
    }
    if (r == 0) {
        line->state = State::kOk;
        line->detail = "free: " + (lockThere ? lock + " taken and released at once"
                                             : lock + " does not exist yet (a run creates it; left uncreated)");
        if (!dirThere) line->detail += "; " + std::string(statusDir.Get()) + " missing, a run creates it";
        return;
    }
    line->state = State::kFailed;
    const char* what = held        ? "held by another run: "
                       : r == -17 ? "the lock file cannot be opened by this user: "
                                   : "the status file cannot be saved under it: ";
    line->detail = what + RunStops(console);
}

void ZAppKestrunCheck::CheckDatabase(int argc, const char* const* argv, Line* line) {
    console.clear();
    CMSioObjApp* env = AppEnvironment();
    if (PendingRecovery(line)) return;
    const char* part = "opening the database";
    int r = ZAppBat::OpenDB(argc, argv);
    bool opened = r == 0;
    if (r == 0) {
        part = "reading the office row";
        r = LoadOfficeSettings();
    }
    if (r == 0) {
        part = "loading the catalogs com, com_locale and version";
        r = LoadMessages();
    }
    if (opened) DBRollback(1);
    if (r != 0) {
        line->state = State::kFailed;
        line->detail = std::string(part) + " failed: " + RunLeaves(r);
        char message[4096] = "";
        if (IsDBError(r) || r == -2000001) DBLastError(message);
        if (message[0]) line->detail += " (the driver: " + OneLine(message) + ")";
        return;
    }
    line->state = State::kOk;
    line->detail = std::string("opened ") + (env ? env->DbName() : "") + "; office row of company " +
                   std::to_string(env ? env->CompanyId() : 0) + " read, language " + CurrentLanguageCode() +
                   "; catalogs com, com_locale and version loaded";
}

bool ZAppKestrunCheck::PendingRecovery(Line* line) {
    CMSioObjApp* env = AppEnvironment();
    std::string file;
    if (!env || !SqliteDatabaseFile(env->DbProvider(), env->DbDriver(), env->DataDir(), env->DbName(), &file)) {
        return false;
    }
    SqliteRecovery recovery = PendingSqliteRecovery(file);
    if (recovery == SqliteRecovery::kNone) return false;
    // Opening the file would recover it: that is the run's to do.
    line->state = State::kOk;
    line->detail = recovery == SqliteRecovery::kRollback
                       ? file + "-journal: an interrupted transaction will be rolled back when a run opens "
                                "the database (unless its writer is still running: a run then waits for it)"
                       : file + "-wal: the write-ahead log holds changes not yet in the database file, which "
                                "a run's open and close may write into it";
    line->detail += "; not opened here, so the office row and the catalogs are not checked";
    return true;
}

void ZAppKestrunCheck::CheckStepProgram(Line* line) {
    const char* array[64] = {};
    BuildChildArguments(array);
    std::string program = ChildArgument(array[0]);
    std::string arguments;
    for (int i = 0; array[i]; ++i) {
        arguments += i == 0 ? "" : " ";
        arguments += ShownArgument(array[i]);
    }
    if (ProcessStartable(array) == 1) {
        line->state = State::kOk;
        line->detail = program + " can be started by this user; its arguments: " + arguments;
        return;
    }
    int error = errno;
    std::string why = error == ENOENT && PathExists(program.c_str()) == 1
                          ? program + " names in its #! line an interpreter that does not exist"
                      : error == ENOENT ? program + " does not exist"
                      : error == EISDIR ? program + " is a directory"
                      : error == ENOEXEC
                          ? program + " is not a program this system starts (empty, a text without a #! line, "
                                      "or built for another machine)"
                      : error == ELOOP ? program + " starts through too many interpreters"
                      : error == E2BIG ? "the step's command line does not fit the " +
                                             std::to_string(kCommandLineSize) +
                                             " bytes a run passes (dbs, dbuser, dbpwd or dbname too long)"
                      : error == EILSEQ ? "an argument of the step has no exact form in the system code page"
                                        : program + " cannot be started by this user";
    line->state = State::kFailed;
    line->detail = why + ": " + RunLeaves(-9910001) + " (its arguments: " + arguments + ")";
}

void ZAppKestrunCheck::CheckStatusDirectory(Line* line) {
    std::string dir = statusDir.Get();
    std::string stepStatus = dir + "/" + stepStatusFileName.Get();
    bool left = FileOs().entryExists(stepStatus.c_str()) == 1;
    console.clear();
    int r;
    {
        // After the lock the run clears the step status file an earlier run
        // left: the same steps, changing nothing.
        NUFileDryRun dryRun;
        bool held = false;
        r = DryStartStatus(dryRun, &held);
        if (r != 0) return;
        r = ClearStepStatus();
    }
    if (r == 0) {
        line->state = State::kOk;
        line->detail = left ? stepStatus + " left by an earlier run; a run removes it before the step"
                            : dir + " holds no step status file of an earlier run";
        return;
    }
    line->state = State::kFailed;
    line->detail = stepStatus + " cannot be removed (not a file, or this user may not remove it), so the step "
                   "does not start: " + RunLeaves(-6100020);
}
