// The operating system's last error for the batch's console texts.
#pragma once

#include <string>

// The system's last error code (errno on POSIX, GetLastError on Windows).
int LastSystemError();
// The run-time library's text for the current errno into out (size bytes);
// empty text when errno is 0.
void ErrnoText(char* out, int size);
// The text of an errno value that a failure record names, or "" when the
// records of this platform cannot be read by errno numbering (on Windows
// some of them hold the system's own error codes under that name).
std::string RecordErrnoText(int value);
