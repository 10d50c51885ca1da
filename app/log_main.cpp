#include <cerrno>
// Entry point of kestrun-log: tells the latest run's story of an
// installation (or prints one log or error record file) as text, with the
// meaning of each code.
#include <cstdio>
#include <string>
#include <vector>

#include "app/driver_log.h"
#include "app/home_argument.h"
#include "app/kestrun_app.h"
#include "app/latest_run.h"
#include "app/system_error.h"
#include "env/environment.h"
#include "util/console.h"
#include "util/program_arguments.h"
#include "util/visible_text.h"

namespace {

const char kUsage[] =
    "usage : kestrun-log VRNHOME\n        kestrun-log -h VRNHOME\n        kestrun-log -f LOGFILE\n";

// Why a file could not be shown, or "" when it was read.
std::string Trouble(const RunFile& file) {
    const std::string path = VisibleText(file.path);
    switch (file.content.result) {
        case kFileReadOk:
            return "";
        case kFileReadMissing:
            return "No file at " + path + ".";
        case kFileReadDirectory:
            return path + " is a directory, not a log.";
        case kFileReadNotRegular:
            return path + " is not a regular file (a FIFO, socket or device); it is not read.";
        case kFileReadFailed:
        default: {
            errno = file.content.error;
            char text[256] = "";
            ErrnoText(text, sizeof text);
            return path + " cannot be read: errno[" + std::to_string(file.content.error) + "] " +
                   VisibleText(text) + ".";
        }
    }
}

// Prints the file decoded; the cut, when there is one, is said.
void Show(const RunFile& file) {
    ConsolePrint("%s:\n", VisibleText(file.path).c_str());
    ConsoleWrite(DecodeDriverLog(file.content.text));
    if (file.content.cut) {
        ConsolePrint("(Only the first %zu bytes of %s are shown: the file is longer.)\n", kLogReadLimit,
                     VisibleText(file.path).c_str());
    }
}

int ShowFile(const std::string& path) {
    RunFile file = ReadRunFile(path);
    if (file.content.result != kFileReadOk) {
        ConsolePrint("%s\n", Trouble(file).c_str());
        return 1;
    }
    Show(file);
    return 0;
}

int ShowLatestRun(const std::string& homeDir, const std::string& tempRoot) {
    LatestRun run = FindLatestRun(homeDir, tempRoot);
    std::string statusPath = VisibleText(run.status.path);
    std::string status = VisibleText(run.statusValue);
    bool haveStatus = run.status.content.result == kFileReadOk;
    if (!haveStatus && run.status.content.result != kFileReadMissing) {
        ConsolePrint("%s\n", Trouble(run.status).c_str());
    }
    if (run.driverLog.content.result != kFileReadOk && run.driverLog.content.result != kFileReadMissing) {
        ConsolePrint("%s\n", Trouble(run.driverLog).c_str());
    }
    if (haveStatus && run.statusLater) {
        if (run.statusValue == "0") {
            ConsolePrint("The latest run succeeded (%s: status=0).\n", statusPath.c_str());
        } else if (run.statusValue.empty()) {
            ConsolePrint("The latest run has not ended (%s has no status yet): it still runs, or it was "
                         "stopped before its end.\n",
                         statusPath.c_str());
        } else {
            ConsolePrint("The latest run failed (%s: status=%s) but left no record here: its record went "
                         "to its standard error.\n",
                         statusPath.c_str(), status.c_str());
        }
        if (!run.hasLatest) {
            ConsolePrint("No earlier run's record was found.\n");
            return 1;
        }
        ConsolePrint("The record below is an earlier run's.\n");
        Show(run.latest);
        return 0;
    }
    if (!run.hasLatest) {
        ConsolePrint("No record of a failed run was found: not %s, nor an error record of this home in %s.\n",
                     VisibleText(run.driverLog.path).c_str(),
                     tempRoot.empty() ? "the temporary directory (the configuration cannot be read)"
                                      : VisibleText(tempRoot + "<YYYYMMDD>/").c_str());
        return 1;
    }
    if (run.statusOfLatest) {
        ConsolePrint("The latest run failed: %s: status=%s\n", statusPath.c_str(), status.c_str());
    } else if (run.latest.path != run.driverLog.path) {
        ConsolePrint("The latest run failed before it held the batch lock: its record is in the temporary "
                     "directory.\n");
    } else {
        ConsolePrint("The latest run failed.\n");
    }
    Show(run.latest);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args;
    if (!ProgramArguments(argc, argv, &args)) {
        std::fprintf(stderr, "The command line holds characters that the system code page cannot hold.\n");
        return 2;
    }
    if (args.size() == 3 && args[1] == "-f") return ShowFile(args[2]);
    // The home as kestrun takes it, its directory being the value and "/".
    TakeBareHomeArgument(&args);
    std::vector<const char*> pointers;
    for (const std::string& arg : args) pointers.push_back(arg.c_str());
    pointers.push_back(nullptr);
    NUString home;
    ZAppKestrun rules;
    if (rules.HomeArgument(static_cast<int>(args.size()), pointers.data(), &home) != 0) {
        ConsolePrint("%s", kUsage);
        return 2;
    }
    // The installation's configuration names its temporary directory, where
    // a run that could not write kestrun.log leaves its record.
    CreateAppEnvironment();
    CMSioObjApp* env = AppEnvironment();
    std::string homeDir = std::string(home.Get()) + "/";
    std::string tempRoot;
    if (env && ReadConfiguration(home.Get()) == 0) {
        homeDir = env->HomeDir();
        NUString day;
        env->GetTempDir(&day, false);
        std::string dayDir = day.Get();
        tempRoot = dayDir.substr(0, dayDir.rfind('/') + 1);
    }
    int r = ShowLatestRun(homeDir, tempRoot);
    ReleaseEnvironment();
    return r;
}
