// ZAppKestrunCheck: kestrun-check, a look at an installation through
// kestrun's own start-up steps that stops short of the step program.
#pragma once

#include <string>

#include "app/kestrun_app.h"

class NUFileDryRun;

// Seven checks in kestrun's order: home argument, configuration,
// installation, batch lock, database, status directory, step program. It
// writes no status file, keeps no lock and creates no lock file, starts no
// step and changes nothing in the database.
class ZAppKestrunCheck : public ZAppKestrun {
public:
    // Runs the checks for the command line argv (kestrun's own) and prints
    // one line per check. 0 when every check passes, 1 otherwise.
    int Check(int argc, const char* const* argv);

private:
    enum class State { kOk, kFailed, kNotChecked };
    struct Line {
        const char* what = "";
        State state = State::kNotChecked;
        std::string detail;
    };

    // The checks; each fills its line. False when the checks after it
    // cannot run.
    bool CheckArguments(int argc, const char* const* argv, Line* home, Line* config);
    bool CheckInstallation(Line* line);
    void CheckLock(Line* line);
    void CheckDatabase(int argc, const char* const* argv, Line* line);
    // A database file that a run's open would recover first (an SQLite
    // journal or write-ahead log a writer left) is not opened: true after
    // line tells what a run will do.
    bool PendingRecovery(Line* line);
    void CheckStepProgram(Line* line);
    void CheckStatusDirectory(Line* line);
    // The run's StartStatus under dryRun, the lock released at once: its
    // code; *held when another holder has the lock.
    int DryStartStatus(const NUFileDryRun& dryRun, bool* held);
    // The effective database settings, the password masked.
    static std::string Settings();

    // Whether the command line gave a usable "-h" value.
    bool homeGiven = false;
    // Console texts of kestrun's steps while a check runs them.
    std::string console;
};
