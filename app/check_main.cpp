// Entry point of kestrun-check: runs kestrun's start-up checks on the
// installation given as the only argument or with "-h"; 0 when all pass,
// 1 otherwise.
#include <cstdio>
#include <string>
#include <vector>

#include "app/home_argument.h"
#include "app/kestrun_check.h"
#include "util/program_arguments.h"

int main(int argc, char** argv) {
    std::vector<std::string> texts;
    if (!ProgramArguments(argc, argv, &texts)) {
        std::fprintf(stderr, "The command line holds characters that the system code page cannot hold.\n");
        return 1;
    }
    TakeBareHomeArgument(&texts);
    std::vector<char*> arguments;
    for (std::string& text : texts) arguments.push_back(text.data());
    arguments.push_back(nullptr);
    ZAppKestrunCheck check;
    return check.Check(static_cast<int>(texts.size()), arguments.data());
}
