// Test platform services on Windows.
#include <windows.h>

#include <stdlib.h>
#include <time.h>

#include <string>

#include "support/test_platform.h"
#include "util/wide_text.h"

bool OnWindows() { return true; }

bool SetTestEnvironment(const char* name, const char* value) {
    std::wstring wideName = WideFromUtf8(name);
    std::wstring wideValue = WideFromUtf8(value);
    // The run-time library keeps its own copy; the system's is what children
    // and GetEnvironmentVariable see.
    return _wputenv_s(wideName.c_str(), wideValue.c_str()) == 0 &&
           SetEnvironmentVariableW(wideName.c_str(), wideValue.c_str()) != 0;
}

void UseServerZone(const char* tz) {
    _putenv_s("TZ", tz);
    _tzset();
}

void SetLastSystemError(int error) { SetLastError(static_cast<DWORD>(error)); }

bool HandleIsInherited(NUFileHandle handle) {
    DWORD flags = 0;
    return GetHandleInformation(reinterpret_cast<HANDLE>(handle), &flags) && (flags & HANDLE_FLAG_INHERIT);
}
