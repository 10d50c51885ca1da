// Child process runner: command-line assembly and the argument texts the
// child receives; starting and waiting live in the platform files.
#include "util/process.h"

#include <cstring>

namespace {

// Joins the arguments, each in the form form gives it, each followed by one
// space, into line (kCommandLineSize bytes).
template <typename Form>
int JoinCommandLine(const char* const* arguments, char* line, Form form) {
    if (!line) return -1;
    line[0] = '\0';
    if (!arguments) return 0;
    size_t used = 0;
    for (const char* const* argument = arguments; *argument; ++argument) {
        std::string text = form(*argument);
        // The argument, its space and the terminating zero must fit.
        if (text.size() + 2 > kCommandLineSize - used) {
            line[0] = '\0';
            return -1;
        }
        memcpy(line + used, text.data(), text.size());
        used += text.size();
        line[used++] = ' ';
        line[used] = '\0';
    }
    return 0;
}

}  // namespace

int BuildCommandLine(const char* const* arguments, char* line) {
    return JoinCommandLine(arguments, line, [](const char* argument) { return std::string(argument); });
}

int BuildWindowsCommandLine(const char* const* arguments, char* line) {
    return JoinCommandLine(arguments, line, WindowsCommandArgument);
}

std::string WindowsCommandArgument(const char* argument) {
    std::string text = ChildArgument(argument);
    bool quoted = argument && argument[0] == '"' && text.size() + 2 == strlen(argument);
    if (!quoted && !text.empty() && text.find_first_of(" \t\"") == std::string::npos) return text;
    std::string out = "\"";
    size_t backslashes = 0;
    for (char c : text) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes before a quote are doubled, and the quote escaped.
        out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    // Backslashes before the closing quote are doubled.
    out.append(backslashes * 2, '\\');
    out += '"';
    return out;
}

std::string ChildArgument(const char* argument) {
    if (!argument) return std::string();
    size_t length = strlen(argument);
    if (length >= 2 && argument[0] == '"' && argument[length - 1] == '"') {
        return std::string(argument + 1, length - 2);
    }
    return std::string(argument);
}
