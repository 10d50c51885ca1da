// Reading a whole regular file with bounded memory, for programs that read
// files they cannot trust (an administrator's copies, links, special files).
#pragma once

#include <cstddef>
#include <string>

#include "util/file.h"

// What ReadRegularFile found at a path.
enum NUFileRead {
    kFileReadOk,
    kFileReadMissing,     // nothing at the path (or a directory on the way missing)
    kFileReadDirectory,   // a directory
    kFileReadNotRegular,  // a FIFO, socket, device or pipe: never read
    kFileReadFailed,      // it could not be opened or read; errno tells why
};

struct NUFileContent {
    NUFileRead result = kFileReadFailed;
    std::string text;           // at most the limit's bytes
    bool cut = false;           // the file holds more than the limit
    long long modifiedNs = 0;   // modification time, ns since 1970 UTC (0: unknown)
    int error = 0;              // errno of a failure
};

// Reads at most limit bytes of the regular file at path (a link followed).
// What is opened is judged before anything is read, so a FIFO or device is
// refused without waiting on it.
NUFileContent ReadRegularFile(const char* path, std::size_t limit);

// Platform side (file_posix.cpp, file_win32.cpp): the modification time of
// the open file in nanoseconds since 1970 UTC; 0 when it cannot be had.
long long ModifiedTimeNs(NUFileHandle handle);
