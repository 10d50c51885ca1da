// Child process runner: starts a program with an argument list, waits for it
// and maps the outcome onto result codes; the current process id.
#pragma once

#include <cstddef>
#include <string>

#include "util/file.h"

// Size of the command-line buffer, terminating zero included.
constexpr size_t kCommandLineSize = 4096;

// System error codes RunProcess leaves in derr that callers may compare:
// the argument list is too long, the program does not exist.
extern const int kProcessErrorTooLong;
extern const int kProcessErrorNotFound;

// Runs the program arguments[0] with the following arguments (list ended by
// a null pointer; the caller quotes texts as "\"%s\"" where needed) and
// waits for it to end. The child inherits no handle of this process except
// inherited (kInvalidFileHandle: none), which it keeps open while it lives:
// a lock held through that handle then lasts until the child ends, even when
// this process is killed first. *dret = the child's exit code (128 + signal number
// when a signal ended it), *derr = the system error of a failed start or
// wait; both 0 otherwise. Null dret/derr are allowed.
// 0 the child exited with 0; -1 it could not be started (also when the
// command line exceeds kCommandLineSize); -2 it exited non-zero or could
// not be waited for.
int RunProcess(const char* const* arguments, int* dret, int* derr,
               NUFileHandle inherited = kInvalidFileHandle);

// Fills line (kCommandLineSize bytes) with every argument followed by one
// space. 0, or -1 when it does not fit (line is then empty).
int BuildCommandLine(const char* const* arguments, char* line);
// The text the child receives for a command-line argument: the argument
// with one enclosing pair of double quotes removed.
std::string ChildArgument(const char* argument);

// An argument as it goes into a Windows command line, so the child's C
// run-time parser hands exactly ChildArgument(argument) to its argv: a text
// without blanks or quotes stays as it is; any other text is enclosed in
// quotes, its inner quotes written as \" and the backslashes before a quote
// (or before the closing quote) doubled. An argument given as "%s" with no
// quote or trailing backslash inside comes out byte for byte as given.
std::string WindowsCommandArgument(const char* argument);
// Fills line (kCommandLineSize bytes) with every argument in its Windows
// form, each followed by one space. 0, or -1 when it does not fit (line is
// then empty).
int BuildWindowsCommandLine(const char* const* arguments, char* line);

// The id of the current process.
int CurrentProcessId();
