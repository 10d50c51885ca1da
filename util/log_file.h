// Appending writes of the log files; the OS side lives in the platform file.
#pragma once

#include <cstddef>

// Opens path for appending (created read-write when missing; a symbolic
// link at path is refused), writes the bytes in one write and closes it.
// false when any step fails.
bool AppendToFile(const char* path, const char* data, size_t length);
