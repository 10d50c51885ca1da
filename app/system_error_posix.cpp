// The operating system's last error on POSIX: errno and its text.
#include "app/system_error.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

int LastSystemError() { return errno; }

void ErrnoText(char* out, int size) {
    if (!out || size < 1) return;
    int e = errno;
    std::snprintf(out, static_cast<size_t>(size), "%s", e != 0 ? std::strerror(e) : "");
}

std::string RecordErrnoText(int value) { return value > 0 ? std::strerror(value) : ""; }
