// Standard output on POSIX: a terminal takes the bytes as they are.
#include <cstdio>

#include "util/console.h"

void ConsoleWriteOut(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}
