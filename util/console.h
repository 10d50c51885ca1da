// Texts for the user on standard output, shown as their characters on a
// console (implemented per platform in console_*.cpp).
#pragma once

#include <string>
#include <string_view>

#include "util/format_check.h"

// Writes text (bytes in the system code page: messages holding paths and
// settings) to standard output. On a Windows console it goes as UTF-16
// (WriteConsoleW), so the console shows its characters whatever its own code
// page; redirected output gets the bytes unchanged.
void ConsoleWrite(std::string_view text);
// While sink is set, ConsoleWrite appends its texts there instead of
// writing them: a program that runs another's steps shows their texts in a
// report of its own. Null writes to standard output again.
void SetConsoleCapture(std::string* sink);
// The platform's write of text to standard output (console_*.cpp).
void ConsoleWriteOut(std::string_view text);
// ConsoleWrite of a printf-style text.
void ConsolePrint(const char* format, ...) NU_PRINTF(1, 2);
