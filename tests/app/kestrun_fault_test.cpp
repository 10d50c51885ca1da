// kestrun in process under injected file faults: a run whose outcome cannot
// be recorded in its status file is a failed run; a failed directory flush
// is only logged; the driver log comes before the final status.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "support/demo_home.h"
#include "support/kestrun_in_process.h"
#include "support/sqlite_db.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"
#include "support/trace_text.h"
#include "util/date_time.h"
#include "util/file_os.h"

namespace {

namespace fs = std::filesystem;

// Which step of a status file write fails: the write, the file's flush,
// the rename, or the flush of its directory after the rename.
enum class Fault { kNone, kWrite, kSync, kRename, kSyncDirectory };

NUFileOs original;
Fault fault = Fault::kNone;
int faultAt = 2;  // the status file write that fails: 1 at the start, 2 at the end
int statusWrites = 0;
NUFileHandle faultHandle = kInvalidFileHandle;
std::string driverLog;         // the driver log's path
std::string logAtFinalStatus;  // its text when the final status is renamed into place

bool IsStatusTemporary(const char* path) { return std::string(path).ends_with("/kestrun.sts.bk"); }

// The disk is full; the disk fails (Windows: ERROR_DISK_FULL, ERROR_WRITE_FAULT).
const SystemErrorCase kDiskFull{ENOSPC, 112};
const SystemErrorCase kDiskFault{EIO, 29};

// Sets the system error when the row's fault applies; true then.
bool Injects(bool applies, SystemErrorCase error) {
    if (applies) InjectSystemError(error);
    return applies;
}

// One run of kestrun in this process on a demo installation at home, with
// the fault of the globals injected.
InProcessOutcome RunWithFaults(const std::string& home) {
    statusWrites = 0;
    faultHandle = kInvalidFileHandle;
    driverLog = home + "/kestv30r15/log/kestrun.log";
    logAtFinalStatus.clear();
    original = FileOs();
    NUFileOs os = FileOs();
    os.createWrite = [](const char* path) {
        NUFileHandle h = original.createWrite(path);
        if (IsStatusTemporary(path) && ++statusWrites == faultAt) faultHandle = h;
        return h;
    };
    os.write = [](NUFileHandle h, const void* data, size_t size) {
        return Injects(fault == Fault::kWrite && h == faultHandle, kDiskFull) ? -1 : original.write(h, data, size);
    };
    os.sync = [](NUFileHandle h) {
        return Injects(fault == Fault::kSync && h == faultHandle, kDiskFault) ? -1 : original.sync(h);
    };
    os.close = [](NUFileHandle h) {
        if (h == faultHandle) faultHandle = kInvalidFileHandle;
        return original.close(h);
    };
    os.rename = [](const char* from, const char* to) {
        if (IsStatusTemporary(from) && statusWrites == 2) logAtFinalStatus = ReadWholeFile(driverLog);
        bool fails = fault == Fault::kRename && IsStatusTemporary(from) && statusWrites == faultAt;
        return Injects(fails, kDiskFault) ? -1 : original.rename(from, to);
    };
    os.syncDirectory = [](const char* dir) {
        bool fails = fault == Fault::kSyncDirectory && statusWrites == faultAt && std::string(dir).ends_with("/kestv30r15/log");
        return Injects(fails, kDiskFault) ? -1 : original.syncDirectory(dir);
    };
    InProcessOutcome outcome = RunKestrunInProcess(home, os);
    fault = Fault::kNone;
    faultAt = 2;
    return outcome;
}

}  // namespace

// A failed write of the final status fails the run. A failed directory
// flush is only logged, at the start of the run and at its end: the new
// file is written and flushed, only its name may not survive a power cut,
// which would bring back the older file. Whoever reads the final status
// finds this run's driver log beside it, and a status file that could not
// be saved is in that log too.
TEST(KestrunFaults, StatusWriteFaultsLeaveOneStory) {
    SKIP_WITHOUT_SQLITE_FILES();
    // The failure's trace record: the write's code and the system error.
    auto record = [](int code, SystemErrorCase error) {
        return "ret=[" + std::to_string(code) + "] errno=[" + std::to_string(ReportedSystemError(error)) + "]";
    };
    const struct {
        const char* name;
        Fault fault;
        int at;
        const char* standin;
        bool succeeds;
        std::string status;   // in kestrun.sts; "": it holds no status
        std::string trace;    // in the driver log's trace
        bool flushLogged;     // the error log holds the failed directory flush
        bool logFirst = false;  // the driver log holds this run's failure before the final status
    } cases[] = {
        {"write fails", Fault::kWrite, 2, "", false, "", record(-12, kDiskFull), false},
        {"flush fails", Fault::kSync, 2, "", false, "", record(-12, kDiskFault), false},
        {"rename fails", Fault::kRename, 2, "", false, "", record(-13, kDiskFault), false},
        {"directory flush fails at the start", Fault::kSyncDirectory, 1, "", true, "status=0", "", true},
        {"directory flush fails at the end", Fault::kSyncDirectory, 2, "", true, "status=0", "", true},
        {"failed step", Fault::kNone, 2, "status=7\n", false, "status=-9910002", "", false, true},
        {"failed step, rename fails", Fault::kRename, 2, "status=7\n", false, "", "", false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir tmp;
        std::string home = tmp.path() + "/vrnl";
        ASSERT_EQ(MakeDemoHome(home), "");
        std::string log = home + "/kestv30r15/log";
        char today[9] = "";
        TodayDate(today, 1);
        // The error log is on in every row: a line written to it on the way must not change
        // the system error a later trace record reports.
        std::string app = ReadWholeFile(home + "/data/app");
        ASSERT_TRUE(WriteWholeFile(home + "/data/app", app + "errlogfname=" + tmp.file("err") + today + ".txt\n"));
        fs::create_directories(log);
        ASSERT_TRUE(WriteWholeFile(log + "/kestrun.log", "earlier run\n"));
        ASSERT_TRUE(WriteStandinControl(home, c.standin));
        fault = c.fault;
        faultAt = c.at;
        InProcessOutcome r = RunWithFaults(home);

        EXPECT_EQ(r.out, c.succeeds ? kSuccess : kError);
        if (c.fault != Fault::kNone) {
            EXPECT_EQ(r.exitCode == 0, c.succeeds);
        }
        std::string status = ReadWholeFile(log + "/kestrun.sts");
        EXPECT_NE(status.find(c.status.empty() ? "startdate=" : c.status), std::string::npos) << status;
        if (c.status.empty()) {
            EXPECT_EQ(status.find("status="), std::string::npos) << status;
        }
        std::string trace = DecodeTrace(ReadWholeFile(log + "/kestrun.log"));
        EXPECT_EQ(trace.find("ret=[-13] errno=[") != std::string::npos, c.fault == Fault::kRename) << trace;
        EXPECT_NE(trace.find(c.trace), std::string::npos) << trace;
        if (c.flushLogged) {
            std::string logged = ReadWholeFile(tmp.file("err") + today + "_kestrun.txt");
            EXPECT_NE(logged.find("kestrun.sts] errno=[" + std::to_string(EIO) + "]"), std::string::npos) << logged;
        }
        if (c.logFirst) {
            EXPECT_NE(logAtFinalStatus.find("-9910002:"), std::string::npos) << logAtFinalStatus;
            EXPECT_EQ(logAtFinalStatus.find("earlier run"), std::string::npos) << logAtFinalStatus;
        }
    }
}
