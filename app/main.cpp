// Entry point of kestrun: runs the upgrade-step driver once; its result is
// the process exit status.
#include <cstdio>
#include <string>
#include <vector>

#include "app/kestrun_app.h"
#include "util/program_arguments.h"

int main(int argc, char** argv) {
    std::vector<std::string> texts;
    if (!ProgramArguments(argc, argv, &texts)) {
        std::fprintf(stderr, "The command line holds characters that the system code page cannot hold.\n");
        return 1;
    }
    std::vector<char*> arguments;
    for (std::string& text : texts) arguments.push_back(text.data());
    arguments.push_back(nullptr);
    ZAppKestrun app;
    return app.Run(static_cast<int>(texts.size()), arguments.data());
}
