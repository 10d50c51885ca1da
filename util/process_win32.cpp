// Child process runner on Windows: CreateProcessW in a new console, waiting
// for the child and reading its exit code.
#include <windows.h>

#include <string>

#include "util/process.h"
#include "util/wide_text.h"

const int kProcessErrorTooLong = ERROR_FILENAME_EXCED_RANGE;
const int kProcessErrorNotFound = ERROR_FILE_NOT_FOUND;

int RunProcess(const char* const* arguments, int* dret, int* derr) {
    int exitCode = 0;
    int error = 0;
    auto finish = [&](int code) {
        if (dret) *dret = exitCode;
        if (derr) *derr = error;
        return code;
    };

    char line[kCommandLineSize];
    if (BuildWindowsCommandLine(arguments, line) != 0) {
        error = kProcessErrorTooLong;
        return finish(-1);
    }
    if (!arguments || !arguments[0] || ChildArgument(arguments[0]).empty()) {
        error = kProcessErrorNotFound;
        return finish(-1);
    }

    // Wide throughout, so texts reach the child intact whatever the ANSI
    // code page is. The program is the first word of the command line,
    // found by the system's search rules; no handle is inherited.
    std::wstring command = WideFromUtf8(line);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const DWORD flags = CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS | CREATE_UNICODE_ENVIRONMENT;
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, flags, nullptr, nullptr, &startup,
                        &process)) {
        error = static_cast<int>(GetLastError());
        return finish(-1);
    }

    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    bool read = GetExitCodeProcess(process.hProcess, &code) != 0;
    if (!read) error = static_cast<int>(GetLastError());
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (!read) return finish(-2);
    exitCode = static_cast<int>(code);
    return finish(exitCode == 0 ? 0 : -2);
}

int CurrentProcessId() { return static_cast<int>(GetCurrentProcessId()); }
