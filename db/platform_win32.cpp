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
    std::wstring wideName;
    if (!WideFromSystem(name, &wideName)) return false;
    std::vector<wchar_t> buffer(256);
    for (;;) {
        SetLastError(ERROR_SUCCESS);
        DWORD units = GetEnvironmentVariableW(wideName.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (units == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) return false;
        if (units < buffer.size()) {
            // A value with no exact form in the code page reads as unset.
            std::string text;
            if (!SystemFromWide(std::wstring_view(buffer.data(), units), &text)) return false;
            if (value) *value = text;
            return true;
        }
        buffer.resize(units);
    }
}

int DBSetEnvVar(const char* name, const char* value) {
    if (!name || !value) return -1;
    std::wstring wideName, wideValue;
    if (!WideFromSystem(name, &wideName) || !WideFromSystem(value, &wideValue)) return -1;
    return SetEnvironmentVariableW(wideName.c_str(), wideValue.c_str()) ? 0 : -1;
}

// The ODBC driver is called through its wide entry points only: no
// character-set conversion depends on the process's locale.
bool DBUseUtf8CharacterSet() { return true; }

bool DBSystemTextToUtf16(std::string_view text, std::u16string* out) {
    std::wstring wide;
    bool converted = WideFromSystem(text, &wide);
    out->assign(wide.begin(), wide.end());
    // The text may hold a password: leave no copy of it behind.
    SecureZeroMemory(wide.data(), wide.size() * sizeof(wchar_t));
    return converted;
}
