// A narrow Windows program for the tests of the process runner: reads its
// command line as a narrow step program does (GetCommandLineA, in the ANSI
// code page), splits it by the C run-time's rules and writes every argument
// after the first, one per line, to the file its first argument names.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "util/process.h"
#include "util/wide_text.h"

int main() {
    std::vector<std::string> args = SplitWindowsCommandLine(GetCommandLineA(), SystemLeadBytes());
    if (args.size() < 2) return 2;
    std::FILE* out = std::fopen(args[1].c_str(), "wb");
    if (!out) return 3;
    for (size_t i = 2; i < args.size(); ++i) std::fprintf(out, "%s\n", args[i].c_str());
    return std::fclose(out) == 0 ? 0 : 3;
}
