// What tests need from the platform beyond the framework: which platform
// runs them, environment variables, the server's time zone and handle
// inheritance.
#pragma once

#include <cstdlib>
#include <string>

#include "util/file.h"

// True when the tests run as Windows programs.
bool OnWindows();
// The system's ANSI code page on Windows; 65001 (UTF-8) elsewhere.
int SystemCodePage();
// The code page a test run was registered for (KESTRUN_CODE_PAGE), else
// SystemCodePage().
inline int RegisteredCodePage() {
    const char* page = std::getenv("KESTRUN_CODE_PAGE");
    return page ? std::atoi(page) : SystemCodePage();
}
// Sets a process environment variable for the C run-time library and the
// system alike. true on success.
bool SetTestEnvironment(const char* name, const char* value);
// Makes tz (a TZ text such as "UTC0") the server's local time zone.
void UseServerZone(const char* tz);
// Sets the system's last error (errno on POSIX, SetLastError on Windows).
void SetLastSystemError(int error);
// A failure's system error as each platform gives it: errno, and the
// Windows code that the system reports beside the run-time's errno.
struct SystemErrorCase {
    int posix;
    int windows;
};
// Sets errno to error.posix and, on Windows, the system's last error to
// error.windows, as a failed call leaves them.
void InjectSystemError(SystemErrorCase error);
// The code a record of the failure carries on this platform (the system's
// last error).
int ReportedSystemError(SystemErrorCase error);
// True when a child process would inherit the handle.
bool HandleIsInherited(NUFileHandle handle);
// The path by which the host system names the file at path: under Wine the
// Unix path of a Windows one, for programs that run on the host (such as
// an ODBC driver); elsewhere path itself.
std::string HostFilePath(const std::string& path);
// Sets or clears the immutable flag of path, which keeps even root from
// changing it (or, for a directory, its entries). false where the system or
// its file system has no such flag or this user may not set it.
bool SetImmutable(const std::string& path, bool on);
// Makes a FIFO at path; false where the platform has none (Windows).
bool MakeFifo(const std::string& path);
// True when the tests run with the rights to read any file (root).
bool RunsPrivileged();
