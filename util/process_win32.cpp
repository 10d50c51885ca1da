// Child process runner on Windows: CreateProcessW in a new console with a
// command line checked to reach a narrow child as its exact bytes, waiting
// for the child and reading its exit code.
#include <windows.h>

#include <cerrno>
#include <string>
#include <vector>

#include "util/process.h"
#include "util/wide_text.h"

const int kProcessErrorTooLong = ERROR_FILENAME_EXCED_RANGE;
const int kProcessErrorNotFound = ERROR_FILE_NOT_FOUND;
const int kProcessErrorNotRepresentable = ERROR_NO_UNICODE_TRANSLATION;

namespace {

// Marks handle inheritable for one start and names it as the only handle
// the child inherits; undone by the destructor. Error() is the system error
// when that could not be set up (the start must not go ahead without it).
class InheritOnly {
public:
    explicit InheritOnly(NUFileHandle inherited) : handle(reinterpret_cast<HANDLE>(inherited)) {
        if (inherited == kInvalidFileHandle) return;
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        buffer.resize(size);
        list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(buffer.data());
        if (!InitializeProcThreadAttributeList(list, 1, 0, &size)) {
            error = GetLastError();
            list = nullptr;
            return;
        }
        if (!SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT) ||
            !UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, &handle, sizeof handle, nullptr,
                                       nullptr)) {
            error = GetLastError();
            SetHandleInformation(handle, HANDLE_FLAG_INHERIT, 0);
            DeleteProcThreadAttributeList(list);
            list = nullptr;
        }
    }
    ~InheritOnly() {
        if (!list) return;
        SetHandleInformation(handle, HANDLE_FLAG_INHERIT, 0);
        DeleteProcThreadAttributeList(list);
    }
    InheritOnly(const InheritOnly&) = delete;
    InheritOnly& operator=(const InheritOnly&) = delete;

    // The attribute list for the start, or null when nothing is inherited.
    LPPROC_THREAD_ATTRIBUTE_LIST Attributes() const { return list; }
    DWORD Error() const { return error; }

private:
    HANDLE handle;
    std::vector<char> buffer;
    LPPROC_THREAD_ATTRIBUTE_LIST list = nullptr;
    DWORD error = 0;
};

// The wide command line of arguments: 0, or the start error RunProcess
// leaves in derr without trying. The line is quoted by the characters of the
// ANSI code page, in which a narrow child reads it (GetCommandLineA); the
// child's narrow line is made from the wide one in the same code page, so
// only a line that converts back to exactly its bytes reaches a narrow child
// unchanged, and any other is not started.
int PrepareCommand(const char* const* arguments, std::wstring* command) {
    char line[kCommandLineSize];
    if (BuildWindowsCommandLine(arguments, line, SystemLeadBytes()) != 0) return kProcessErrorTooLong;
    if (!arguments || !arguments[0] || ChildArgument(arguments[0]).empty()) return kProcessErrorNotFound;
    std::string back;
    if (!WideFromSystem(line, command) || !SystemFromWide(*command, &back) || back != line) {
        return kProcessErrorNotRepresentable;
    }
    return 0;
}

}  // namespace

int RunProcess(const char* const* arguments, int* dret, int* derr, NUFileHandle inherited) {
    int exitCode = 0;
    int error = 0;
    auto finish = [&](int code) {
        if (dret) *dret = exitCode;
        if (derr) *derr = error;
        return code;
    };

    // The program is the first word of the command line, found by the
    // system's search rules. The child inherits inherited alone (every other
    // handle here is created non-inheritable).
    std::wstring command;
    error = PrepareCommand(arguments, &command);
    if (error != 0) return finish(-1);
    InheritOnly inheritance(inherited);
    if (inheritance.Error() != 0) {
        error = static_cast<int>(inheritance.Error());
        return finish(-1);
    }
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.lpAttributeList = inheritance.Attributes();
    PROCESS_INFORMATION process{};
    DWORD flags = CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS | CREATE_UNICODE_ENVIRONMENT;
    if (startup.lpAttributeList) flags |= EXTENDED_STARTUPINFO_PRESENT;
    BOOL inherit = startup.lpAttributeList ? TRUE : FALSE;
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, inherit, flags, nullptr, nullptr,
                        &startup.StartupInfo, &process)) {
        error = static_cast<int>(GetLastError());
        return finish(-1);
    }

    DWORD code = 0;
    bool read = WaitForSingleObject(process.hProcess, INFINITE) != WAIT_FAILED &&
                GetExitCodeProcess(process.hProcess, &code) != 0;
    if (!read) error = static_cast<int>(GetLastError());
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (!read) return finish(-2);
    exitCode = static_cast<int>(code);
    return finish(exitCode == 0 ? 0 : -2);
}

int CurrentProcessId() { return static_cast<int>(GetCurrentProcessId()); }

int ProcessStartable(const char* const* arguments) {
    std::wstring command;
    int error = PrepareCommand(arguments, &command);
    if (error != 0) {
        errno = error == kProcessErrorTooLong ? E2BIG : error == kProcessErrorNotFound ? ENOENT : EILSEQ;
        return 0;
    }
    std::string path = ChildArgument(arguments[0]);
    std::wstring wide;
    if (!WideFromSystem(path.c_str(), &wide)) {
        errno = ENOENT;
        return 0;
    }
    DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        errno = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : ENOENT;
        return 0;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        errno = EISDIR;
        return 0;
    }
    // The access and sharing with which CreateProcessW opens an image: a
    // user without execute rights, or a writer holding the file, stops it.
    HANDLE file = CreateFileW(wide.c_str(), FILE_EXECUTE | FILE_READ_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                              FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        errno = EACCES;
        return 0;
    }
    // Only an executable image starts: it opens with "MZ".
    char magic[2] = {};
    DWORD got = 0;
    bool image = ReadFile(file, magic, sizeof magic, &got, nullptr) && got == sizeof magic && magic[0] == 'M' &&
                 magic[1] == 'Z';
    CloseHandle(file);
    if (!image) {
        errno = ENOEXEC;
        return 0;
    }
    return 1;
}
