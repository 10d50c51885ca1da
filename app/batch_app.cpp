// ZAppBat and ZAppBatObj: argument table, installation check, status file,
// batch lock, end-of-run records and the web-frame companion.
#include "app/batch_app.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "app/batch_status.h"
#include "app/cgi_batch.h"
#include "app/system_error.h"
#include "db/session.h"
#include "env/catalog.h"
#include "env/environment.h"
#include "util/console.h"
#include "util/date_time.h"
#include "util/file.h"
#include "util/log.h"
#include "util/path_limit.h"

namespace {

const char kUnit[] = "ZAppBat";
const char kUnitObj[] = "ZAppBatObj";
// Code recorded for a missing or unusable required argument.
const int kMissingArgument = -10006;
// The longest installation home, in bytes of the "-h" value. The longest
// path a run writes is its error record in the temporary directory,
// "/data/<cid>/tmp/<YYYYMMDD>/temp_err_<pid><16 digits>.<n>.000.txt", some 65
// bytes below the home, and every log path must stay below 512 bytes; the
// rest leaves room for the database name (SQLite also stops at 512 bytes).
const size_t kMaxHomeLength = 400;

}  // namespace

ZAppBat::ZAppBat() {
    // The batch lock: one attempt, no wait, exclusive.
    statusIO.retries = 1;
    statusIO.waitSeconds = 0;
    statusIO.shareReaders = false;
    statusIO.SetSeparator('=');
    statusFileName.Set("status");
}

ZAppBat::~ZAppBat() { ReleaseStatusObject(); }

int ZAppBat::ParseArguments(int argc, const char* const* argv, const char* const* names,
                            const unsigned char* flags) {
    for (int k = 0; names && names[k]; ++k) {
        const char* name = names[k];
        bool required = flags && flags[k] == 1;
        int i = 1;
        while (i < argc && !(argv[i] && std::strcmp(argv[i], name) == 0)) ++i;
        if (i >= argc - 1) {
            if (required) {
                TraceError("[%s:%d] ret[%d]", kUnit, 1, kMissingArgument);
                return 1;
            }
            continue;
        }
        const char* value = argv[i + 1] ? argv[i + 1] : "";
        if (required && (value[0] == '\0' || value[0] == '-')) {
            TraceError("[%s:%d] ret[%d]", kUnit, 2, kMissingArgument);
            return 1;
        }
        if (argList.Add(name, value, static_cast<int>(std::strlen(value)) + 1) != 0) {
            TraceError("[%s:%d] ret[%d]", kUnit, 3, -10);
            ConsolePrint("malloc error=[%d]\n", errno);
            return -10;
        }
    }
    return 0;
}

int ZAppBat::GetHomeArgument(int, const char* const*, char* out, int size) {
    char* value = nullptr;
    // A value that does not fit the caller's buffer counts as missing.
    if (argList.Find("-h", &value) == 1 && value && out && size > 0 &&
        std::strlen(value) < static_cast<size_t>(size)) {
        std::memcpy(out, value, std::strlen(value) + 1);
        return 0;
    }
    TraceError("[%s:%d] ret[%d]", kUnit, 4, kMissingArgument);
    ConsolePrint("No such directry.\n");
    return 1;
}

int ZAppBat::CheckHome() {
    int r = CheckHomePaths();
    if (r != 0) return r;
    return CheckCatalog();
}

int ZAppBat::CheckHomePaths() {
    CMSioObjApp* env = AppEnvironment();
    const char* home = env ? env->HomeDir() : "";
    // A longer home would make some of the run's files impossible to write;
    // it is refused before anything is created under it.
    if (std::strlen(home) > kMaxHomeLength + 1) {
        TraceError("[%s:%d] ret=[%d]", kUnit, 18, 1);
        ConsolePrint("[-h] : The path is longer than %zu bytes. path=[%s]\n", kMaxHomeLength, home);
        return 1;
    }
    int r = CheckDerivedPaths();
    if (r != 0) {
        TraceError("[%s:%d] ret=[%d]", kUnit, 19, r);
        return r;
    }
    return 0;
}

int ZAppBat::CheckCatalog() {
    CMSioObjApp* env = AppEnvironment();
    const char* home = env ? env->HomeDir() : "";
    // Before the database is open no language can be established, so the
    // catalog is that of the default language: <home>local/ja_JP/message.
    CMSioObjLocalize catalog;
    char path[kNUPathSize] = "";
    int r = catalog.GetPath(path);
    if (r != 0) {
        TraceError("[%s:%d] ret=[%d]", kUnit, 5, r);
        ConsolePrint("[-h] : No indispensable argument.\n");
        return r;
    }
    if (PathExists(path) != 1) {
        TraceError("[%s:%d] ret=[%d] errno[%d]", kUnit, 6, 0, errno);
        errorText.Format("[-h] : No such directory. path=[%s]", home);
        ConsolePrint("%s\n", errorText.Get());
        return 1;
    }
    return 0;
}

int ZAppBat::CheckDerivedPaths() {
    // The error record of a run that ends before it holds the lock, in the
    // temporary directory of the day.
    NUString record;
    int r = LongestErrorLogPath(this, &record);
    NUString tempDir;
    CMSioObjApp* env = AppEnvironment();
    if (env) env->GetTempDir(&tempDir, false);
    // A record whose path the log cannot hold could never be written: the
    // run is refused before anything is created, as for a path the system
    // cannot open.
    if (r != 0 || std::strlen(record.Get()) >= kNULogPathSize) {
        const char* shown = r != 0 ? tempDir.Get() : record.Get();
        TraceError("[%s:%d] ret=[%d] path[%s]", kUnit, 21, r != 0 ? r : 1, shown);
        ConsolePrint("[-h] : The path of the error record is too long. path=[%s] length[%zu] limit[%zu]\n", shown,
                     std::strlen(shown), kNULogPathSize - 1);
        return 1;
    }
    const char* paths[] = {tempDir.Get(), record.Get()};
    const NUPathKind kinds[] = {kPathDirectory, kPathFile};
    return CheckPathLengths(paths, kinds, 2);
}

int ZAppBat::CheckPathLengths(const char* const* paths, const NUPathKind* kinds, int count) {
    std::vector<NUPathLength> lengths;
    for (int i = 0; i < count; ++i) lengths.push_back({kinds[i], PlatformPathUnits(paths[i])});
    NUPathLimits limits = PlatformPathLimits();
    int beyond = FirstPathBeyondLimit(lengths.data(), count, limits);
    if (beyond < 0) return 0;
    long long limit = PathLimitOf(limits, kinds[beyond]);
    TraceError("[%s:%d] ret=[%d] path[%s]", kUnit, 20, 1, paths[beyond]);
    ConsolePrint("[-h] : The path is longer than the system opens. path=[%s] length[%lld] limit[%lld]\n",
                 paths[beyond], lengths[beyond].units, limit);
    return 1;
}

int ZAppBat::TakeStatusPath() {
    char* value = nullptr;
    int r = argList.Find("-s", &value);
    if (r == 1 && value) return statusDir.Set(value);
    TraceError("[%s:%d] ret[%d]", kUnit, 7, r);
    return r;
}

int ZAppBat::CreateStatusObject() {
    if (statusDir.IsEmpty()) {
        TraceError("[%s:%d] errno=[%d]", kUnit, 8, kMissingArgument);
        return 1;
    }
    if (statusObject) return 0;
    NUString name;
    name.Format("%s/%s", statusDir.Get(), statusFileName.Get());
    statusObject = new (std::nothrow) CMSioObj(name.Get(), true);
    if (!statusObject) {
        int e = errno;
        TraceError("[%s:%d] errno=[%d]", kUnit, 9, e);
        ConsolePrint("new object error.(errno=[%d])", e);
        return 1;
    }
    return 0;
}

void ZAppBat::ReleaseStatusObject() {
    delete statusObject;
    statusObject = nullptr;
}

int ZAppBat::StartStatus() {
    int r = CreateStatusObject();
    if (r != 0) {
        TraceError("[%s:%d] ret[%d]", kUnit, 10, r);
        return 1;
    }
    char path[kNUPathSize] = "";
    statusObject->GetPath(path);
    char stamp[16] = "";
    NowStamp(stamp, 0);
    SetStatusValue(statusObject, "startdate", stamp);
    r = statusIO.Write(statusObject, true);
    if (r != 0) {
        ReportLockFailure(path, r);
        ReleaseStatusObject();
        return r;
    }
    return 0;
}

void ZAppBat::ReportLockFailure(const char* path, int code) {
    int w = LastSystemError();
    char detail[256] = "";
    ErrnoText(detail, sizeof detail);
    TraceError("[%s:%d] ret=[%d] errno=[%d]", kUnit, 11, code, w);
    ConsolePrint("[%s] Failed to lock the file. path[%s] ret[%d] errno[%d]detail[%s]", "-s", path, code, w,
                 detail);
}

int ZAppBat::WriteFinalStatus(int code) {
    if (!statusObject) return 0;
    char number[16] = "";
    std::snprintf(number, sizeof number, "%d", code);
    SetStatusValue(statusObject, "status", number);
    if (code < 0) {
        NUString msg;
        const char* text = MessageByNumber(code, nullptr);
        msg.Set(text ? text : "");
        CMSioObjApp* env = AppEnvironment();
        if (env && !env->UserMessage().IsEmpty()) {
            msg.Append("\n");
            msg.Append(env->UserMessage().Get());
        }
        SetStatusValue(statusObject, "msg", msg.Get());
    }
    int r = SaveStatus(true);
    // An outcome that could not be recorded is a failed run, and the run's
    // record tells why.
    if (r != 0) ReportError(code != 0 ? code : r);
    return r;
}

int ZAppBat::SaveStatus(bool final) {
    char stamp[16] = "";
    NowStamp(stamp, 0);
    int r = SetStatusValue(statusObject, "enddate", stamp);
    // The lock is still held, so it is not taken again.
    if (r == 0) r = statusIO.Write(statusObject, true);
    if (final) finalStatusSaved = true;
    if (r != 0) TraceError("[%s:%d] ret=[%d] errno=[%d]", kUnit, 17, r, LastSystemError());
    return r;
}

int ZAppBat::EndDatabase(int code) { return CMSApp::End(code); }

int ZAppBat::End(int code) {
    int r = EndDatabase(code);
    if (r != 0 && code == 0) code = r;
    // The run's record comes before the final status: whoever sees that
    // status finds this run's record, not an earlier run's.
    ReportError(code);
    int w = WriteFinalStatus(code);
    if (w != 0 && r == 0) r = w;
    return r;
}

int ZAppBat::ReportError(int code) {
    if (code == 0) return 0;
    char kind = '\0';
    const char* text = MessageByNumber(code, &kind);
    WriteErrorLog(this, nullptr, code, text, kind);
    return 0;
}

void ZAppBat::Finish(int code) {
    if (statusObject && !finalStatusSaved) SaveStatus(false);
    CMSApp::Finish(code);
    ReleaseStatusObject();
}

int ZAppBat::OpenDB(int argc, const char* const* argv) {
    TakeProgramName(argc, argv);
    int r = CMSApp::OpenDB(argc, argv);
    if (r != 0) {
        TraceError("[%s:%d] ret=[%d]", kUnit, 12, r);
        TraceError("[%s][%d] ret=[%d]", kUnit, 13, r);
        return r;
    }
    return 0;
}

int ZAppBat::SaveCheckFile(const char* label, const char* path, bool keepLock) {
    if (!label || !path) {
        TraceError("[%s:%d] arg[%s] val[%s]", kUnit, 14, label ? label : "", path ? path : "");
        ConsolePrint("Argument error.\n");
        return -99;
    }
    NUioObjList check;
    int r = check.SetPath(path, nullptr);
    if (r != 0) {
        TraceError("[%s:%d] ret[%d] path[%s]", kUnit, 15, r, path);
        ConsolePrint("Save path error. path=[%s]\n", path);
        return r;
    }
    unsigned char ctx = 0;
    check.Add("msg", "file check.", &ctx);
    NUFileIO io;
    r = io.Write(&check, keepLock);
    if (r != 0) {
        int w = LastSystemError();
        TraceError("[%s:%d] ret=[%d] errno=[%d]", kUnit, 16, r, w);
        ConsolePrint("[%s] Failed to create the file. path=[%s] ret=[%d] errno=[%d]", label, path, r, w);
        return r;
    }
    // Under the exclusive lock again: delete the file, then the lock file.
    io.Remove(&check, false, true);
    return 0;
}

ZAppBatObj::ZAppBatObj() = default;

ZAppBatObj::~ZAppBatObj() {
    delete companion;
    companion = nullptr;
}

int ZAppBatObj::OpenDB(int argc, const char* const* argv) {
    int r = ZAppBat::OpenDB(argc, argv);
    if (r != 0) {
        TraceError("[%s:%d] ret[%d]", kUnitObj, 1, r);
        return r;
    }
    r = CreateCompanion();
    if (r != 0) {
        TraceError("[%s:%d] ret[%d]", kUnitObj, 2, r);
        return r;
    }
    return 0;
}

int ZAppBatObj::CreateCompanion() {
    if (companion) return 0;
    companion = new (std::nothrow) ZAppCgiBat();
    if (!companion) {
        TraceError("[%s:%d] ret[%d]", kUnitObj, 3, errno);
        return -10;
    }
    return 0;
}

int ZAppBatObj::ReleaseCompanion() {
    if (!companion) return 0;
    int r = companion->End(companionEndCode);
    delete companion;
    companion = nullptr;
    return r;
}

int ZAppBatObj::EndDatabase(int code) {
    int r = ZAppBat::EndDatabase(code);
    // The companion ends with the run's outcome: after a failed run or
    // commit its End rolls back instead of committing what the run left.
    companionEndCode = code != 0 ? code : r;
    int c = ReleaseCompanion();
    if (c != 0 && r == 0) {
        TraceError("[%s:%d] ret[%d]", kUnitObj, 5, c);
        r = c;
    }
    return r;
}

int ZAppBatObj::End(int code) {
    CMSioObjApp* env = AppEnvironment();
    if (companion && companion->ErrorText()[0] != '\0' && env) {
        env->UserMessage().Set(companion->ErrorText());
    }
    int r = ZAppBat::End(code);
    if (r != 0) TraceError("[%s:%d] ret[%d]", kUnitObj, 4, r);
    return r;
}

