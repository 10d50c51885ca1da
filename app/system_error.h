// The operating system's last error for the batch's console texts.
#pragma once

// The system's last error code (errno on POSIX, GetLastError on Windows).
int LastSystemError();
// The run-time library's text for the current errno into out (size bytes);
// empty text when errno is 0.
void ErrnoText(char* out, int size);
