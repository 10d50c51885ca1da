// Entry point of kestrun-log: prints the driver log of an installation (or
// an error record file) as text, with the meaning of each status code.
#include <cstdio>
#include <string>
#include <vector>

#include "app/driver_log.h"
#include "app/home_argument.h"
#include "app/kestrun_app.h"
#include "app/status_codes.h"
#include "util/console.h"
#include "util/nv_file.h"
#include "util/nv_io.h"
#include "util/program_arguments.h"

namespace {

const char kUsage[] =
    "usage : kestrun-log VRNHOME\n        kestrun-log -h VRNHOME\n        kestrun-log -f LOGFILE\n";

// The "status" of the status file at path ("" when there is none); read
// without its lock, as a reader that changes nothing.
std::string StatusOf(const std::string& path) {
    NUioObjList status;
    NUFileIO io;
    io.noLock = true;
    char* value = nullptr;
    if (status.SetPath(path.c_str(), nullptr) != 0 || io.Read(&status, false, false) != 0) return "";
    return status.FindValue("status", &value) == 0 && value ? value : "";
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args;
    if (!ProgramArguments(argc, argv, &args)) {
        std::fprintf(stderr, "The command line holds characters that the system code page cannot hold.\n");
        return 2;
    }
    std::string logPath;
    std::string statusPath;
    if (args.size() == 3 && args[1] == "-f") {
        logPath = args[2];
    } else {
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
        NUString path;
        ZAppKestrun::DriverLogPathOf((std::string(home.Get()) + "/").c_str(), &path);
        logPath = path.Get();
        statusPath = logPath.substr(0, logPath.rfind('/') + 1) + "kestrun.sts";
    }
    if (!statusPath.empty()) {
        std::string status = StatusOf(statusPath);
        if (status == "0") {
            ConsolePrint("The latest run succeeded (%s: status=0); the log below is an earlier run's.\n",
                         statusPath.c_str());
        } else if (!status.empty()) {
            ConsolePrint("The latest run failed: %s: status=%s\n", statusPath.c_str(), status.c_str());
        }
    }
    std::string text;
    if (!ReadLogFile(logPath, &text)) {
        ConsolePrint("No log at %s: a run writes it when it fails after taking the batch lock.\n",
                     logPath.c_str());
        return 1;
    }
    ConsolePrint("%s:\n", logPath.c_str());
    ConsoleWrite(DecodeDriverLog(text));
    return 0;
}
