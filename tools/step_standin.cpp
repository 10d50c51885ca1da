// Stand-in for the upgrade step program "updbatbookmarkv30.exe": upgrades
// the installation's database as a real step does (tools/step_database.h:
// opened from its arguments, a row of the version table TM_STEP_VERSION
// counted up, committed), then writes "status=0" into "bookmarkv30.sts"
// under "<workDir>/log" and exits 0. A failed upgrade is told on standard
// error and ends with exit code 5 and no status file.
//
// A control file "updbatbookmarkv30.ctl" beside the program changes that,
// one "key=value" per line:
//   argvfile=PATH     write every argument received, one per line
//   startedfile=PATH  create PATH once started (after argvfile)
//   waitfile=PATH     wait until PATH exists (at most waitlimit seconds)
//   waitlimit=N       bound of that wait in seconds (default 30)
//   status=TEXT       the value written for "status" (default "0")
//   statusfile=MODE   "none": write no status file; "nokey": write one
//                     without the key "status"
//   exit=N            exit code (default 0)
//   sleepms=N         sleep N milliseconds before writing the status file
//   activefile=PATH   create PATH exclusively for the time the program runs
//                     (removed before it exits); when it exists already,
//                     another step is running: append "overlap" to
//                     PATH.overlap and exit 3
//   database=none     leave the database alone: for runs of the program
//                     outside an installation, whose arguments name none
// workDir is the first argument; without one, the program's directory.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "tools/step_database.h"
#include "util/program_arguments.h"

namespace fs = std::filesystem;

namespace {

std::map<std::string, std::string> ReadControl(const fs::path& file) {
    std::map<std::string, std::string> control;
    std::ifstream in(file, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        control[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return control;
}

std::string Get(const std::map<std::string, std::string>& control, const std::string& key,
                const std::string& fallback) {
    auto it = control.find(key);
    return it == control.end() ? fallback : it->second;
}

// A path from a UTF-8 text, on every platform.
fs::path PathOf(const std::string& text) { return fs::path(std::u8string(text.begin(), text.end())); }

void WaitFor(const fs::path& path, int limitSeconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(limitSeconds);
    std::error_code ec;
    while (!fs::exists(path, ec) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// The step's own work once it may run: the database, then the status file.
// Returns the exit code.
int Upgrade(const std::vector<std::string>& args, const std::map<std::string, std::string>& control,
            const fs::path& programDir) {
    if (Get(control, "database", "") != "none") {
        std::string error;
        if (UpgradeDatabase(args, &error) != 0) {
            std::fprintf(stderr, "updbatbookmarkv30: %s\n", error.c_str());
            return 5;
        }
    }
    std::string mode = Get(control, "statusfile", "");
    if (mode != "none") {
        fs::path logDir = (args.size() > 1 ? PathOf(args[1]) : programDir) / "log";
        std::error_code ec;
        fs::create_directories(logDir, ec);
        std::ofstream out(logDir / "bookmarkv30.sts", std::ios::binary | std::ios::trunc);
        if (mode == "nokey") {
            out << "step=bookmarkv30\n";
        } else {
            out << "status=" << Get(control, "status", "0") << '\n';
        }
    }
    return std::atoi(Get(control, "exit", "0").c_str());
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args;
    if (!ProgramArguments(argc, argv, &args)) return 4;
    fs::path self = !args.empty() ? PathOf(args[0]) : fs::path();
    fs::path programDir = self.has_parent_path() ? self.parent_path() : fs::path(".");
    auto control = ReadControl(programDir / "updbatbookmarkv30.ctl");

    std::string argvFile = Get(control, "argvfile", "");
    if (!argvFile.empty()) {
        std::ofstream out(PathOf(argvFile), std::ios::binary | std::ios::trunc);
        for (const std::string& arg : args) out << arg << '\n';
    }
    std::string startedFile = Get(control, "startedfile", "");
    if (!startedFile.empty()) std::ofstream(PathOf(startedFile), std::ios::binary | std::ios::trunc) << "started\n";
    std::string activeFile = Get(control, "activefile", "");
    if (!activeFile.empty()) {
        // "x": fails when the file exists, so two steps never both own it.
        std::FILE* active = std::fopen(activeFile.c_str(), "wx");
        if (!active) {
            std::ofstream(activeFile + ".overlap", std::ios::app) << "overlap\n";
            return 3;
        }
        std::fclose(active);
    }
    std::string waitFile = Get(control, "waitfile", "");
    if (!waitFile.empty()) WaitFor(PathOf(waitFile), std::atoi(Get(control, "waitlimit", "30").c_str()));

    int sleepMs = std::atoi(Get(control, "sleepms", "0").c_str());
    if (sleepMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(sleepMs));

    int code = Upgrade(args, control, programDir);
    if (!activeFile.empty()) std::remove(activeFile.c_str());
    return code;
}
