// Child process runner: starts a program with an argument list, waits for it
// and maps the outcome onto result codes; the current process id.
#pragma once

#include <bitset>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "util/file.h"

// Size of the command-line buffer, terminating zero included.
constexpr size_t kCommandLineSize = 4096;

// System error codes RunProcess leaves in derr that callers may compare:
// the argument list is too long, the program does not exist, an argument
// has no exact form in the system code page (Windows).
extern const int kProcessErrorTooLong;
extern const int kProcessErrorNotFound;
extern const int kProcessErrorNotRepresentable;

// Runs the program arguments[0] with the following arguments (list ended by
// a null pointer; the caller quotes texts as "\"%s\"" where needed) and
// waits for it to end. The child inherits no handle of this process except
// inherited (kInvalidFileHandle: none), which it keeps open while it lives:
// a lock held through that handle then lasts until the child ends, even when
// this process is killed first. *dret = the child's exit code (128 + signal number
// when a signal ended it), *derr = the system error of a failed start or
// wait; both 0 otherwise. Null dret/derr are allowed.
// 0 the child exited with 0; -1 it could not be started (also when the
// command line exceeds kCommandLineSize, or when an argument has no exact
// form in the system code page: kProcessErrorNotRepresentable); -2 it
// exited non-zero or could not be waited for.
int RunProcess(const char* const* arguments, int* dret, int* derr,
               NUFileHandle inherited = kInvalidFileHandle);

// Fills line (kCommandLineSize bytes) with every argument followed by one
// space. 0, or -1 when it does not fit (line is then empty).
int BuildCommandLine(const char* const* arguments, char* line);
// The text the child receives for a command-line argument: the argument
// with one enclosing pair of double quotes removed.
std::string ChildArgument(const char* argument);

// The lead bytes of a code page's double-byte characters (none for a
// single-byte code page or UTF-8). A lead byte and the byte after it are one
// character: a trail byte 0x5C is no backslash.
using CodePageLeadBytes = std::bitset<256>;

// An argument as it goes into a Windows command line in a code page with
// leads, so the child's C run-time parser hands exactly
// ChildArgument(argument) to its argv: a text without blanks or quotes
// stays as it is; any other text is enclosed in quotes, its inner quotes
// written as \" and the backslashes before a quote (or before the closing
// quote) doubled. An argument given as "%s" with no quote or trailing
// backslash inside comes out byte for byte as given.
std::string WindowsCommandArgument(const char* argument, const CodePageLeadBytes& leads);
// Fills line (kCommandLineSize bytes) with every argument in its Windows
// form, each followed by one space. 0, or -1 when it does not fit (line is
// then empty).
int BuildWindowsCommandLine(const char* const* arguments, char* line, const CodePageLeadBytes& leads);
// Splits a Windows command line in a code page with leads as the C
// run-time does for argv: the program name up to the first blank outside
// quotes, quotes removed; then 2n backslashes and a quote give n
// backslashes and open or close quoting, 2n+1 backslashes and a quote give
// n backslashes and a quote, "" inside quotes gives one quote and quoting
// goes on, other backslashes are themselves.
std::vector<std::string> SplitWindowsCommandLine(std::string_view line, const CodePageLeadBytes& leads);

// The id of the current process.
int CurrentProcessId();
// Whether RunProcess would start the program of arguments, found without
// starting anything: the same command line and argument checks, then the
// system's own rules for the program file. 1 yes; 0 no, with errno set
// (E2BIG: the command line does not fit kCommandLineSize; EILSEQ: an
// argument has no exact form in the system code page; ENOENT: no such file,
// or on POSIX the interpreter its "#!" line names; EACCES: this user may not
// run it; EISDIR: a directory; ENOEXEC: not a program the system starts;
// ELOOP: too many interpreters).
int ProcessStartable(const char* const* arguments);
