// Demo installations and kestrun runs for end-to-end tests.
#include "support/demo_home.h"

#include "support/temp_dir.h"

bool MakeDemoHome(const std::string& home) {
    ProgramResult r = RunProgram(
        {std::string(KESTRUN_SOURCE_DIR) + "/scripts/make-demo-home", home, KESTRUN_BINARY_DIR}, 60);
    return r.finished && r.exitStatus == 0;
}

bool WriteStandinControl(const std::string& home, const std::string& text) {
    return WriteWholeFile(home + "/kestv30r15/updbatbookmarkv30.ctl", text);
}

std::string KestrunPath() { return std::string(KESTRUN_BINARY_DIR) + "/kestrun" + KESTRUN_PROGRAM_SUFFIX; }

ProgramResult RunKestrun(const std::vector<std::string>& args, int timeoutSeconds) {
    std::vector<std::string> argv{KestrunPath()};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProgram(argv, timeoutSeconds);
}
