// The operating system's last error on Windows: GetLastError, and the
// run-time library's text for errno.
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/system_error.h"

int LastSystemError() { return static_cast<int>(GetLastError()); }

void ErrnoText(char* out, int size) {
    if (!out || size < 1) return;
    int e = errno;
    std::snprintf(out, static_cast<size_t>(size), "%s", e != 0 ? std::strerror(e) : "");
}

std::string RecordErrnoText(int) { return ""; }
