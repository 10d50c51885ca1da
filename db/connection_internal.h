// Shared details of the connection's source files.
#pragma once

#include <cstddef>

// lastError of a time-out (SQL state "HYT00").
constexpr int kTimeoutError = -911;

// Copies text into out (size bytes), cut at a character boundary.
void CopyTextCut(char* out, size_t size, const char* text);
