// The program's arguments on Windows: the wide command line, split and
// converted to UTF-8, as the ANSI argv loses what the code page cannot hold.
#include <windows.h>
#include <shellapi.h>

#include "util/program_arguments.h"
#include "util/wide_text.h"

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    std::vector<std::string> texts;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) {
        for (int i = 0; i < argc && argv && argv[i]; ++i) texts.emplace_back(argv[i]);
        return texts;
    }
    for (int i = 0; i < count; ++i) texts.push_back(Utf8FromWide(wide[i]));
    LocalFree(wide);
    return texts;
}
