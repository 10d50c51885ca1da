// Windows side of the database units' OS services.
#include <windows.h>

#include <vector>

#include "db/platform.h"
#include "util/wide_text.h"

void DBSleepSeconds(int seconds) {
    if (seconds > 0) Sleep(static_cast<DWORD>(seconds) * 1000u);
}

void DBSleepMilliseconds(int milliseconds) {
    if (milliseconds > 0) Sleep(static_cast<DWORD>(milliseconds));
}

bool DBGetEnvVar(const char* name, std::string* value) {
    if (!name) return false;
    std::wstring wideName = WideFromUtf8(name);
    std::vector<wchar_t> buffer(256);
    for (;;) {
        SetLastError(ERROR_SUCCESS);
        DWORD units = GetEnvironmentVariableW(wideName.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (units == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) return false;
        if (units < buffer.size()) {
            if (value) *value = Utf8FromWide(buffer.data(), static_cast<int>(units));
            return true;
        }
        buffer.resize(units);
    }
}

int DBSetEnvVar(const char* name, const char* value) {
    if (!name || !value) return -1;
    return SetEnvironmentVariableW(WideFromUtf8(name).c_str(), WideFromUtf8(value).c_str()) ? 0 : -1;
}

// The ODBC driver is called through its wide entry points only: no
// character-set conversion depends on the process's locale.
bool DBUseUtf8CharacterSet() { return true; }
