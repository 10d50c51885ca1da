// What tests need from the platform beyond the framework: which platform
// runs them, environment variables, the server's time zone and handle
// inheritance.
#pragma once

#include "util/file.h"

// True when the tests run as Windows programs.
bool OnWindows();
// Sets a process environment variable for the C run-time library and the
// system alike. true on success.
bool SetTestEnvironment(const char* name, const char* value);
// Makes tz (a TZ text such as "UTC0") the server's local time zone.
void UseServerZone(const char* tz);
// Sets the system's last error (errno on POSIX, SetLastError on Windows).
void SetLastSystemError(int error);
// True when a child process would inherit the handle.
bool HandleIsInherited(NUFileHandle handle);
