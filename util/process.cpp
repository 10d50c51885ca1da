// Child process runner: command-line assembly and the argument texts the
// child receives; starting and waiting live in the platform files.
#include "util/process.h"

#include <cstring>

int BuildCommandLine(const char* const* arguments, char* line) {
    if (!line) return -1;
    line[0] = '\0';
    if (!arguments) return 0;
    size_t used = 0;
    for (const char* const* argument = arguments; *argument; ++argument) {
        size_t length = strlen(*argument);
        // The argument, its space and the terminating zero must fit.
        if (length + 2 > kCommandLineSize - used) {
            line[0] = '\0';
            return -1;
        }
        memcpy(line + used, *argument, length);
        used += length;
        line[used++] = ' ';
        line[used] = '\0';
    }
    return 0;
}

std::string ChildArgument(const char* argument) {
    if (!argument) return std::string();
    size_t length = strlen(argument);
    if (length >= 2 && argument[0] == '"' && argument[length - 1] == '"') {
        return std::string(argument + 1, length - 2);
    }
    return std::string(argument);
}
