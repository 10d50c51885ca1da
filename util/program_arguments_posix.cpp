// The program's arguments on POSIX: argv is already the bytes given.
#include "util/program_arguments.h"

bool ProgramArguments(int argc, char** argv, std::vector<std::string>* texts) {
    texts->clear();
    for (int i = 0; i < argc && argv && argv[i]; ++i) texts->emplace_back(argv[i]);
    return true;
}
