// The program's arguments on POSIX: argv is already the bytes given.
#include "util/program_arguments.h"

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    std::vector<std::string> texts;
    for (int i = 0; i < argc && argv && argv[i]; ++i) texts.emplace_back(argv[i]);
    return texts;
}
