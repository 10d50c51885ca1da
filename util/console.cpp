// Formatting of the user's texts on standard output, and their capture.
#include "util/console.h"

#include <cstdarg>
#include <cstdio>
#include <string>

namespace {
std::string* captureSink = nullptr;
}

void SetConsoleCapture(std::string* sink) { captureSink = sink; }

void ConsoleWrite(std::string_view text) {
    if (captureSink) {
        captureSink->append(text);
        return;
    }
    ConsoleWriteOut(text);
}

void ConsolePrint(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    if (length > 0) {
        std::string text(static_cast<size_t>(length) + 1, '\0');
        std::vsnprintf(text.data(), text.size(), format, again);
        text.resize(static_cast<size_t>(length));
        ConsoleWrite(text);
    }
    va_end(again);
}
