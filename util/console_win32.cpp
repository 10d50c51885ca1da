// Standard output on Windows: a console gets the text's characters through
// WriteConsoleW; a file or pipe gets its bytes.
#include <windows.h>

#include <cstdio>
#include <string>

#include "util/console.h"
#include "util/wide_text.h"

void ConsoleWriteOut(std::string_view text) {
    std::fflush(stdout);
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    std::wstring wide;
    if (out != INVALID_HANDLE_VALUE && out && GetConsoleMode(out, &mode) && WideFromSystem(text, &wide)) {
        const wchar_t* next = wide.data();
        size_t left = wide.size();
        while (left > 0) {
            DWORD written = 0;
            if (!WriteConsoleW(out, next, static_cast<DWORD>(left), &written, nullptr) || written == 0) break;
            next += written;
            left -= written;
        }
        return;
    }
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}
