// Demo installations and kestrun runs for end-to-end tests.
#include "support/demo_home.h"

#include <cctype>

#include "support/temp_dir.h"

bool MakeDemoHome(const std::string& home) {
    ProgramResult r = RunProgram(
        {std::string(KESTRUN_SOURCE_DIR) + "/scripts/make-demo-home", home, KESTRUN_BINARY_DIR}, 60);
    return r.finished && r.exitStatus == 0;
}

bool WriteStandinControl(const std::string& home, const std::string& text) {
    return WriteWholeFile(home + "/kestv30r15/updbatbookmarkv30.ctl", text);
}

std::string KestrunPath() { return std::string(KESTRUN_BINARY_DIR) + "/kestrun"; }

ProgramResult RunKestrun(const std::vector<std::string>& args, int timeoutSeconds) {
    std::vector<std::string> argv{KestrunPath()};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProgram(argv, timeoutSeconds);
}

std::string DecodeTrace(const std::string& logText) {
    std::string text;
    size_t pos = 0;
    while (pos < logText.size()) {
        size_t end = logText.find('\n', pos);
        if (end == std::string::npos) end = logText.size();
        std::string line = logText.substr(pos, end - pos);
        pos = end + 1;
        // A log line starts with "YYYY/MM/DD hh:mm:ss.mmm ".
        if (line.size() >= 24 && line[4] == '/' && line[10] == ' ' && line[23] == ' ') {
            line = line.substr(24);
        }
        bool hex = line.size() % 2 == 0;
        for (char c : line) hex = hex && std::isxdigit(static_cast<unsigned char>(c));
        if (hex) {
            for (size_t i = 0; i < line.size(); i += 2) {
                text += static_cast<char>(std::stoi(line.substr(i, 2), nullptr, 16));
            }
        } else {
            text += line;
        }
        text += '\n';
    }
    return text;
}
