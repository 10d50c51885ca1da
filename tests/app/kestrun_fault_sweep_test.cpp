// kestrun in process with each file call of a run failed in turn: every
// open, write, flush, rename and remove that a successful run makes fails
// once, and the run must tell the truth about it.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "support/demo_home.h"
#include "support/kestrun_in_process.h"
#include "support/sqlite_db.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"
#include "support/trace_text.h"
#include "util/file_os.h"

namespace fs = std::filesystem;

namespace {

enum Call { kOpen, kWrite, kSync, kRename, kRemove, kCallKinds };
const char* const kCallNames[] = {"open", "write", "sync", "rename", "remove"};
// Windows: ERROR_ACCESS_DENIED, ERROR_DISK_FULL, ERROR_WRITE_FAULT.
const SystemErrorCase kCallErrors[] = {{EACCES, 5}, {ENOSPC, 112}, {EIO, 29}, {EIO, 29}, {EACCES, 5}};

const char kUnreadableConfiguration[] = "[-h] : No such file or directory.\n";
const char kPreviousStatus[] = "startdate=20000101000000\nstatus=0\nenddate=20000101000001\n";

NUFileOs original;
int seen[kCallKinds];
Call failKind;
int failAt = 0;  // 1-based index of the call of failKind that fails; 0: none
bool failed = false;

// Counts a call of kind; true (with errno set) when it is the one to fail.
bool Fails(Call kind) {
    if (++seen[kind] != failAt || kind != failKind) return false;
    failed = true;
    InjectSystemError(kCallErrors[kind]);
    return true;
}

using RunOutcome = InProcessOutcome;

// One run of kestrun in this process on home, with the table's calls
// counted and the failAt-th call of failKind failed.
RunOutcome RunCounted(const std::string& home) {
    for (int& n : seen) n = 0;
    failed = false;
    original = FileOs();
    NUFileOs os = FileOs();
    os.openLock = [](const char* path, NULockMode mode, int* systemError) {
        if (!Fails(kOpen)) return original.openLock(path, mode, systemError);
        *systemError = kSysOther;
        return kInvalidFileHandle;
    };
    os.openRead = [](const char* path) { return Fails(kOpen) ? kInvalidFileHandle : original.openRead(path); };
    os.createWrite = [](const char* path) { return Fails(kOpen) ? kInvalidFileHandle : original.createWrite(path); };
    os.write = [](NUFileHandle h, const void* data, std::size_t size) {
        return Fails(kWrite) ? -1 : original.write(h, data, size);
    };
    os.sync = [](NUFileHandle h) { return Fails(kSync) ? -1 : original.sync(h); };
    os.syncDirectory = [](const char* dir) { return Fails(kSync) ? -1 : original.syncDirectory(dir); };
    os.rename = [](const char* from, const char* to) { return Fails(kRename) ? -1 : original.rename(from, to); };
    os.removeFile = [](const char* path) { return Fails(kRemove) ? -1 : original.removeFile(path); };
    os.removeDirectory = [](const char* path) { return Fails(kRemove) ? -1 : original.removeDirectory(path); };
    return RunKestrunInProcess(home, os);
}

// A whole status file that begins with its start date.
bool IsCompleteStatus(const std::string& text) {
    return text.starts_with("startdate=") && IsWholeStatusText(text);
}

// Everything the run may have recorded: console, driver log, error records.
std::string Records(const std::string& home, const RunOutcome& outcome) {
    return outcome.out + outcome.err +
           DecodeTrace(ReadWholeFile(home + "/kestv30r15/log/kestrun.log") + ErrorRecords(home));
}

// True when the records carry the error's errno or the system's code.
bool HoldsSystemError(const std::string& records, SystemErrorCase error) {
    for (int code : {error.posix, ReportedSystemError(error)}) {
        std::string n = std::to_string(code);
        for (const std::string& form : {"errno=[" + n + "]", "errno[" + n + "]", "errno=" + n}) {
            if (records.find(form) != std::string::npos) return true;
        }
    }
    return false;
}

// Removes the tree at path. On Windows under Wine the console host of the
// last step may hold the lock file open for a moment after the run.
void RemoveTree(const std::string& path) {
    std::error_code ec;
    for (int i = 0; i < 500; ++i) {
        fs::remove_all(path, ec);
        if (!ec) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    FAIL() << "cannot remove " << path << ": " << ec.message();
}

}  // namespace

TEST(KestrunFaultSweep, EveryFailedFileCallIsToldTruthfully) {
    SKIP_WITHOUT_SQLITE_FILES();
    TempDir tmp;
    std::string pristine = tmp.path() + "/pristine";
    ASSERT_EQ(MakeDemoHome(pristine), "");
    fs::create_directories(pristine + "/kestv30r15/log");
    ASSERT_TRUE(WriteWholeFile(pristine + "/kestv30r15/log/kestrun.sts", kPreviousStatus));

    std::string home = tmp.path() + "/vrnl";
    fs::copy(pristine, home, fs::copy_options::recursive);
    failAt = 0;
    RunOutcome clean = RunCounted(home);
    ASSERT_NE(clean.out.find("Result: [Success]"), std::string::npos) << clean.out;
    int calls[kCallKinds];
    std::copy(std::begin(seen), std::end(seen), std::begin(calls));

    for (int kind = 0; kind < kCallKinds; ++kind) {
        for (int at = 1; at <= calls[kind]; ++at) {
            SCOPED_TRACE(std::string(kCallNames[kind]) + " call " + std::to_string(at) + " of " +
                         std::to_string(calls[kind]));
            RemoveTree(home);
            fs::copy(pristine, home, fs::copy_options::recursive);
            failKind = static_cast<Call>(kind);
            failAt = at;
            RunOutcome r = RunCounted(home);
            if (!failed) continue;  // the run took another path before that call

            // (Written with CR LF line ends on Windows.)
            std::string status = ReadWholeFile(home + "/kestv30r15/log/kestrun.sts");
            std::erase(status, '\r');
            EXPECT_TRUE(status == kPreviousStatus || IsCompleteStatus(status)) << status;
            bool success = r.out.find("Result: [Success]") != std::string::npos;
            if (success) {
                EXPECT_TRUE(IsCompleteStatus(status) && status.find("\nstatus=0\n") != std::string::npos &&
                            status.find("\nenddate=") != std::string::npos)
                    << status;
                EXPECT_EQ(r.exitCode, 0);
            } else if (r.out.find(kUnreadableConfiguration) == std::string::npos) {
                // (An unreadable configuration is reported by its console
                // text alone, before the run has anywhere to record more.)
                EXPECT_TRUE(HoldsSystemError(Records(home, r), kCallErrors[kind]))
                    << r.out << r.err << Records(home, r);
            }
        }
    }
}
