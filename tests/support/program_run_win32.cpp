// Child processes for end-to-end tests, on Windows: CreateProcessW with
// standard output and error in temporary files, a bounded wait and
// TerminateProcess on time-out.
#include <windows.h>

#include <chrono>
#include <string>
#include <thread>

#include "support/program_run.h"
#include "util/process.h"
#include "util/wide_text.h"

namespace {

// A temporary file that the child inherits and that is gone once closed.
HANDLE OutputFile() {
    wchar_t dir[MAX_PATH + 1];
    wchar_t name[MAX_PATH + 1];
    if (!GetTempPathW(MAX_PATH + 1, dir) || !GetTempFileNameW(dir, L"krt", 0, name)) return INVALID_HANDLE_VALUE;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

// Everything in the file from its start, read as text: the C run-time's
// console output ends its lines with CR LF, which become LF.
std::string ReadAll(HANDLE file) {
    std::string bytes;
    if (file == INVALID_HANDLE_VALUE || SetFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) {
        return bytes;
    }
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    std::string text;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' || i + 1 == bytes.size() || bytes[i + 1] != '\n') text += bytes[i];
    }
    return text;
}

void CloseIfOpen(HANDLE& handle) {
    if (handle != INVALID_HANDLE_VALUE && handle != nullptr) CloseHandle(handle);
    handle = INVALID_HANDLE_VALUE;
}

}  // namespace

struct RunningProgram::Child {
    HANDLE process = INVALID_HANDLE_VALUE;
    HANDLE out = INVALID_HANDLE_VALUE;
    HANDLE err = INVALID_HANDLE_VALUE;
};

bool RunningProgram::started() const { return child_->process != INVALID_HANDLE_VALUE; }

RunningProgram::RunningProgram(const std::vector<std::string>& argv) : child_(new Child) {
    if (argv.empty()) return;
    std::string line;
    for (const std::string& arg : argv) {
        line += WindowsCommandArgument(("\"" + arg + "\"").c_str(), SystemLeadBytes());
        line += ' ';
    }
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE input = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                               nullptr);
    child_->out = OutputFile();
    child_->err = OutputFile();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = child_->out;
    startup.hStdError = child_->err;
    PROCESS_INFORMATION info{};
    std::wstring command;
    if (WideFromSystem(line, &command) &&
        CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info)) {
        CloseHandle(info.hThread);
        child_->process = info.hProcess;
    }
    CloseIfOpen(input);
}

RunningProgram::~RunningProgram() {
    Kill();
    CloseIfOpen(child_->out);
    CloseIfOpen(child_->err);
    delete child_;
}

void RunningProgram::Kill() {
    if (child_->process == INVALID_HANDLE_VALUE) return;
    TerminateProcess(child_->process, 1);
    WaitForSingleObject(child_->process, INFINITE);
    CloseIfOpen(child_->process);
}

ProgramResult RunningProgram::Wait(int timeoutSeconds) {
    ProgramResult result;
    if (child_->process == INVALID_HANDLE_VALUE) return result;
    DWORD waited = WaitForSingleObject(child_->process, static_cast<DWORD>(timeoutSeconds) * 1000u);
    if (waited != WAIT_OBJECT_0) {
        TerminateProcess(child_->process, 1);
        WaitForSingleObject(child_->process, INFINITE);
    }
    DWORD code = 0;
    bool finished = waited == WAIT_OBJECT_0 && GetExitCodeProcess(child_->process, &code);
    CloseIfOpen(child_->process);
    result.out = ReadAll(child_->out);
    result.err = ReadAll(child_->err);
    if (!finished) return result;
    result.finished = true;
    // The low byte, as a POSIX parent sees an exit status.
    result.exitStatus = static_cast<int>(code & 0xff);
    return result;
}

bool WaitForFile(const std::string& path, int timeoutSeconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    std::wstring wide;
    if (!WideFromSystem(path, &wide)) return false;
    while (GetFileAttributesW(wide.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}
