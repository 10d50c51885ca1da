// kestrun in process under injected file faults: a run whose outcome cannot
// be recorded in its status file is a failed run.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "app/kestrun_app.h"
#include "support/demo_home.h"
#include "support/sqlite_db.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"
#include "support/trace_text.h"
#include "util/file_os.h"

namespace {

// Which step of the status file's second write (the final one) fails.
enum class Fault { kWrite, kSync, kRename, kSyncDirectory };

NUFileOs original;
Fault fault;
int statusWrites = 0;
NUFileHandle finalHandle = kInvalidFileHandle;

bool IsStatusTemporary(const char* path) { return std::string(path).ends_with("/kestrun.sts.bk"); }

NUFileHandle CountingCreate(const char* path) {
    NUFileHandle h = original.createWrite(path);
    if (IsStatusTemporary(path) && ++statusWrites == 2) finalHandle = h;
    return h;
}
// The disk is full; the disk fails (Windows: ERROR_DISK_FULL, ERROR_WRITE_FAULT).
const SystemErrorCase kDiskFull{ENOSPC, 112};
const SystemErrorCase kDiskFault{EIO, 29};

int FailingWrite(NUFileHandle h, const void* data, size_t size) {
    if (fault == Fault::kWrite && h == finalHandle) {
        InjectSystemError(kDiskFull);
        return -1;
    }
    return original.write(h, data, size);
}
int FailingSync(NUFileHandle h) {
    if (fault == Fault::kSync && h == finalHandle) {
        InjectSystemError(kDiskFault);
        return -1;
    }
    return original.sync(h);
}
int ForgettingClose(NUFileHandle h) {
    if (h == finalHandle) finalHandle = kInvalidFileHandle;
    return original.close(h);
}
int FailingSyncDirectory(const char* dir) {
    if (fault == Fault::kSyncDirectory && statusWrites == 2) {
        InjectSystemError(kDiskFault);
        return -1;
    }
    return original.syncDirectory(dir);
}
int FailingRename(const char* from, const char* to) {
    if (fault == Fault::kRename && IsStatusTemporary(from) && statusWrites == 2) {
        InjectSystemError(kDiskFault);
        return -1;
    }
    return original.rename(from, to);
}

}  // namespace

TEST(KestrunFaults, FailedFinalStatusWriteFailsTheRun) {
    SKIP_WITHOUT_SQLITE_FILES();
    // The failure's trace record: the write's code and the system error.
    auto record = [](int code, SystemErrorCase error) {
        return "ret=[" + std::to_string(code) + "] errno=[" +
               std::to_string(ReportedSystemError(error)) + "]";
    };
    const struct {
        Fault fault;
        std::string record;
        bool replaced;  // the new status file is in place (if not yet on disk)
    } cases[] = {{Fault::kWrite, record(-12, kDiskFull), false},
                 {Fault::kSync, record(-12, kDiskFault), false},
                 {Fault::kRename, record(-13, kDiskFault), false},
                 {Fault::kSyncDirectory, record(-12, kDiskFault), true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.fault));
        TempDir tmp;
        std::string home = tmp.path() + "/vrnl";
        ASSERT_EQ(MakeDemoHome(home), "");
        std::string log = home + "/kestv30r15/log";
        fault = c.fault;
        statusWrites = 0;
        original = FileOs();
        NUFileOs& os = FileOs();
        os.createWrite = CountingCreate;
        os.write = FailingWrite;
        os.sync = FailingSync;
        os.close = ForgettingClose;
        os.rename = FailingRename;
        os.syncDirectory = FailingSyncDirectory;

        int exitCode = 0;
        testing::internal::CaptureStdout();
        {
            ZAppKestrun app;
            const char* argv[] = {"kestrun", "-h", home.c_str(), nullptr};
            exitCode = app.Run(3, argv);
        }
        std::string out = testing::internal::GetCapturedStdout();
        FileOs() = original;

        EXPECT_EQ(out, "Result: [Error] The process has failed.\n");
        EXPECT_NE(exitCode, 0);
        std::string status = ReadWholeFile(log + "/kestrun.sts");
        EXPECT_EQ(status.find("status=") != std::string::npos, c.replaced) << status;
        std::string trace = DecodeTrace(ReadWholeFile(log + "/kestrun.log"));
        EXPECT_NE(trace.find(c.record), std::string::npos) << trace;
    }
}
