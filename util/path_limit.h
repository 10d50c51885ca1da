// Path lengths the system opens: the rule that finds a derived path too long
// for the platform, and the platform's limits and counting.
#pragma once

// Longest paths the platform opens without long-path forms, in its own
// units (UTF-16 units on Windows); 0 means no limit.
struct NUPathLimits {
    long long file;              // a file to create or open
    long long directory;         // a directory to create
    long long workingDirectory;  // a process's current directory
};

enum NUPathKind { kPathFile, kPathDirectory, kPathWorkingDirectory };

// One path a run will use: its kind and its length in the platform's units
// (-1 when it cannot be counted).
struct NUPathLength {
    NUPathKind kind;
    long long units;
};

// The limit of a kind (0: none).
long long PathLimitOf(const NUPathLimits& limits, NUPathKind kind);
// Index of the first path longer than its kind's limit, or that cannot be
// counted; -1 when every path fits.
int FirstPathBeyondLimit(const NUPathLength* paths, int count, const NUPathLimits& limits);

// Platform side (file_posix.cpp, file_win32.cpp). POSIX has no limit;
// Windows without the long-path opt-in opens files up to MAX_PATH - 1
// units, creates directories up to 247 and takes a current directory up to
// MAX_PATH - 2.
NUPathLimits PlatformPathLimits();
// Length of the full path the system makes of path (a relative path joined
// to the current directory) in the platform's units: bytes on POSIX, UTF-16
// units on Windows; -1 when it cannot be converted.
long long PlatformPathUnits(const char* path);
