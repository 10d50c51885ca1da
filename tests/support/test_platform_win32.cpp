// Test platform services on Windows.
#include <windows.h>

#include <errno.h>
#include <stdlib.h>
#include <time.h>

#include <string>

#include "support/test_platform.h"
#include "util/wide_text.h"

bool OnWindows() { return true; }

int SystemCodePage() { return static_cast<int>(GetACP()); }

bool SetTestEnvironment(const char* name, const char* value) {
    std::wstring wideName, wideValue;
    if (!WideFromSystem(name, &wideName) || !WideFromSystem(value, &wideValue)) return false;
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

std::string HostFilePath(const std::string& path) {
    // Wine's kernel32 exports the conversion; on Windows itself there is no
    // other host and the path stays as it is.
    using Convert = char*(__cdecl*)(const wchar_t*);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    auto convert = kernel ? reinterpret_cast<Convert>(
                                reinterpret_cast<void*>(GetProcAddress(kernel, "wine_get_unix_file_name")))
                          : nullptr;
    if (!convert) return path;
    std::wstring wide;
    if (!WideFromSystem(path, &wide)) return path;
    char* unixPath = convert(wide.c_str());
    if (!unixPath) return path;
    std::string result = unixPath;
    HeapFree(GetProcessHeap(), 0, unixPath);
    return result;
}

void InjectSystemError(SystemErrorCase error) {
    SetLastError(static_cast<DWORD>(error.windows));
    errno = error.posix;
}

int ReportedSystemError(SystemErrorCase error) { return error.windows; }

bool SetImmutable(const std::string&, bool) { return false; }

bool MakeFifo(const std::string&) { return false; }

bool RunsPrivileged() { return false; }
