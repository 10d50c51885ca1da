// ZAppKestrun: runs the upgrade step program and judges its outcome.
#include "app/kestrun_app.h"

#include <cerrno>
#include <cstdio>
#include <new>
#include <string>

#include "app/driver_log.h"
#include "app/batch_status.h"
#include "env/catalog.h"
#include "env/environment.h"
#include "util/console.h"
#include "util/file.h"
#include "util/log.h"
#include "util/nv_file.h"
#include "util/process.h"
#include "util/utf8_text.h"
#include "util/visible_text.h"

namespace {

const char kUnit[] = "ZAppKestrun";
const char kUsage[] = "usage : kestrun.exe -h VRNHOME\n";
// The argument table: "-h", required with a value.
const char* const kArgumentNames[] = {"-h", nullptr};
const unsigned char kArgumentFlags[] = {1};
const char kStepProgram[] = "updbatbookmarkv30.exe";
const char kWorkDirName[] = "kestv30r15";
const char kDriverLog[] = "kestrun.log";
// The password argument's text in failure records.
const char kMaskedPassword[] = "********";

const int kStepFailed = -9910001;
const int kStepStatusBad = -9910002;
const int kStepStatusMissing = -6100020;

int Quote(NUString& text) {
    NUString quoted;
    quoted.Format("\"%s\"", text.Get());
    return text.Set(quoted.Get());
}

}  // namespace

ZAppKestrun::ZAppKestrun() {
    statusFileName.Set("kestrun.sts");
    stepStatusFileName.Set("bookmarkv30.sts");
}

ZAppKestrun::~ZAppKestrun() = default;

int ZAppKestrun::Init(int argc, const char* const* argv) {
    int r = ReadArguments(argc, argv);
    if (r == 0) r = ReadEnvironment(argc, argv);
    if (r != 0) return r;
    r = CheckHome();
    if (r != 0) {
        TraceError("[%s:%d] ret[%d]", kUnit, 4, r);
        failed = true;
        return r;
    }
    homeChecked = true;
    SetWorkPaths();
    r = StartStatus();
    if (r != 0) {
        statusDir.Clear();
        TraceError("[%s:%d] ret[%d]", kUnit, 5, r);
        failed = true;
        return 1;
    }
    return 0;
}

int ZAppKestrun::ReadArguments(int argc, const char* const* argv) {
    int r = ParseArguments(argc, argv, kArgumentNames, kArgumentFlags);
    if (r != 0) {
        TraceError("[%s:%d] ret[%d]", kUnit, 1, r);
        ConsolePrint("%s", kUsage);
        failed = true;
        return 1;
    }
    return 0;
}

int ZAppKestrun::HomeArgument(int argc, const char* const* argv, NUString* home) {
    char* value = nullptr;
    if (!home || ParseArguments(argc, argv, kArgumentNames, kArgumentFlags) != 0 ||
        argList.Find("-h", &value) != 1 || !value) {
        return 1;
    }
    return home->Set(value) == 0 ? 0 : 1;
}

int ZAppKestrun::ReadEnvironment(int argc, const char* const* argv) {
    int r = CMSApp::Init(argc, argv);
    if (r == 1) {
        TraceError("[%s:%d] ret[%d]", kUnit, 2, r);
        ConsolePrint("%s", kUsage);
        failed = true;
        return 1;
    }
    if (r != 0) {
        TraceError("[%s:%d] ret[%d]", kUnit, 3, r);
        ConsolePrint("[-h] : No such file or directory.\n");
        failed = true;
        return 1;
    }
    return 0;
}

void ZAppKestrun::SetWorkPaths() { DeriveWorkPaths(&workDir, &statusDir); }

void ZAppKestrun::WorkPathsOf(const char* homeDir, NUString* work, NUString* status) {
    work->Format("%s%s", homeDir ? homeDir : "", kWorkDirName);
    status->Format("%s/%s", work->Get(), "log");
}

void ZAppKestrun::DriverLogPathOf(const char* homeDir, NUString* path) {
    NUString work;
    NUString status;
    WorkPathsOf(homeDir, &work, &status);
    path->Format("%s/%s", status.Get(), kDriverLog);
}

const char* ZAppKestrun::StepProgramName() { return kStepProgram; }

const char* ZAppKestrun::MaskedPassword() { return kMaskedPassword; }

void ZAppKestrun::DeriveWorkPaths(NUString* work, NUString* status) {
    CMSioObjApp* env = AppEnvironment();
    WorkPathsOf(env ? env->HomeDir() : "", work, status);
}

int ZAppKestrun::CheckDerivedPaths() {
    int r = ZAppBatObj::CheckDerivedPaths();
    if (r != 0) return r;
    // Nothing of this run exists yet: the directories stay unset until the
    // home check has passed.
    NUString work;
    NUString status;
    DeriveWorkPaths(&work, &status);
    // The step runs in the work directory, which no long-path form can
    // lift; the status directory holds the status file with its lock and
    // temporary files, the step's status file and the driver log.
    NUString program;
    NUString lockFile;
    NUString temporary;
    NUString stepStatus;
    NUString driverLog;
    program.Format("%s/%s", work.Get(), kStepProgram);
    lockFile.Format("%s/%s.lk", status.Get(), statusFileName.Get());
    temporary.Format("%s/%s.bk", status.Get(), statusFileName.Get());
    stepStatus.Format("%s/%s", status.Get(), stepStatusFileName.Get());
    driverLog.Format("%s/%s", status.Get(), kDriverLog);
    const char* paths[] = {work.Get(),      program.Get(),    status.Get(),   lockFile.Get(),
                           temporary.Get(), stepStatus.Get(), driverLog.Get()};
    const NUPathKind kinds[] = {kPathWorkingDirectory, kPathFile, kPathDirectory, kPathFile,
                                kPathFile,             kPathFile, kPathFile};
    return CheckPathLengths(paths, kinds, 7);
}

int ZAppKestrun::CreateStatusObject() {
    if (statusDir.IsEmpty()) {
        TraceError("[%s:%d] errno=[%d]", kUnit, 6, -99);
        return 1;
    }
    if (statusObject) return 0;
    ZioBatchObj* status = new (std::nothrow) ZioBatchObj(statusFileName.Get());
    if (!status) {
        int e = errno;
        TraceError("[%s:%d] errno=[%d]", kUnit, 7, e);
        ConsolePrint("new object error.(errno=[%d])", e);
        return 1;
    }
    int r = status->SetDirectory(statusDir.Get());
    if (r != 0) {
        TraceError("[%s:%d] ret[%d]", kUnit, 8, r);
        delete status;
        return 1;
    }
    statusObject = status;
    return 0;
}

int ZAppKestrun::OpenDB(int argc, const char* const* argv) {
    int r = ZAppBatObj::OpenDB(argc, argv);
    if (r != 0) {
        TraceError("[%s:%d] ret[%d]", kUnit, 9, r);
        return r;
    }
    r = LoadMessages();
    if (r != 0) {
        TraceError("[%s:%d] ret[%d]", kUnit, 10, r);
        return r;
    }
    return 0;
}

int ZAppKestrun::MainWork() {
    const char* array[64] = {};
    int r = BuildChildArguments(array);
    if (r != 0) {
        TraceError("[%s:%d] ret[%d]", kUnit, 11, r);
        return r;
    }
    r = RunChild(array);
    if (r != 0) {
        TraceError("[%s:%d] ret[%d]", kUnit, 12, r);
        return r;
    }
    return 0;
}

int ZAppKestrun::BuildChildArguments(const char** array) {
    if (!array) {
        TraceError("[%s:%d] ret[%d]", kUnit, 13, -99);
        return -99;
    }
    CMSioObjApp* env = AppEnvironment();
    childPath.Format("%s/%s", workDir.Get(), kStepProgram);
    workDirArg.Set(workDir.Get());
    homeArg.Set(env ? env->HomeDir() : "");
    emptyArg1.Set("\"\"");
    emptyArg2.Set("\"\"");
    dbServerArg.Set(env ? env->DbServer() : "");
    dbUserArg.Set(env ? env->DbUser() : "");
    dbPasswordArg.Set(env ? env->DbPassword() : "");
    dbNameArg.Set(env ? env->DbName() : "");
    zeroArg.Set("0");
    oneArg.Set("1");
    for (NUString* text : {&childPath, &workDirArg, &homeArg, &dbServerArg, &dbUserArg,
                           &dbPasswordArg, &dbNameArg}) {
        Quote(*text);
    }
    const NUString* order[] = {&childPath,     &workDirArg, &homeArg,   &dbServerArg,
                               &zeroArg,       &dbUserArg,  &dbPasswordArg, &dbNameArg,
                               &emptyArg1,     &emptyArg2,  &oneArg};
    int n = 0;
    for (const NUString* text : order) array[n++] = text->Get();
    array[n] = nullptr;
    return 0;
}

int ZAppKestrun::RunChild(const char* const* array) {
    if (!array) {
        TraceError("[%s:%d] ret[%d]", kUnit, 14, -99);
        return -99;
    }
    int r = ClearStepStatus();
    if (r != 0) return r;
    int dret = 0;
    int derr = 0;
    // The step inherits the batch lock: should this process die first, the
    // installation stays locked until the step has ended too.
    r = RunProcess(array, &dret, &derr, statusIO.LockHandle());
    if (r != 0) {
        TraceError("[%s:%d] ret[%d] dret=[%d] derr=[%d]", kUnit, 15, r, dret, derr);
        // The records end up in the driver log: the password never does.
        for (int i = 0; array[i]; ++i) {
            TraceError("[%s:%d] procarg[%d]=%s", kUnit, 16, i, ShownArgument(array[i]));
        }
        return kStepFailed;
    }
    r = CheckStepStatus();
    if (r < 0) {
        TraceError("[%s:%d] ret[%d]", kUnit, 17, r);
        return r;
    }
    return 0;
}

int ZAppKestrun::ClearStepStatus() {
    // Only this run's step may leave the step status file: one left by an
    // earlier run goes before the step starts. Only a file is removed: a
    // directory of that name is not this program's to delete, and no step
    // status can be read from it.
    NUString stepStatus;
    stepStatus.Format("%s/%s", statusDir.Get(), stepStatusFileName.Get());
    if (RemoveFile(stepStatus.Get()) != 0) {
        TraceError("[%s:%d] ret[%d] errno[%d] path[%s]", kUnit, 21, -1, errno, stepStatus.Get());
        return kStepStatusMissing;
    }
    return 0;
}

int ZAppKestrun::CheckStepStatus() {
    char path[kNUPathSize] = "";
    std::snprintf(path, sizeof path, "%s/%s", statusDir.Get(), stepStatusFileName.Get());
    int exists = PathExists(path);
    if (exists != 1) {
        TraceError("[%s:%d] ret[%d] errno[%d] path[%s]", kUnit, 18, exists, errno, path);
        return kStepStatusMissing;
    }
    NUioObjList step;
    NUFileIO io;
    io.noLock = true;
    int r = step.SetPath(path, nullptr);
    if (r == 0) r = io.Read(&step, false, false);
    if (r != 0) {
        TraceError("[%s:%d] ret[%d] errno[%d] path[%s]", kUnit, 19, r, errno, path);
        return kStepStatusMissing;
    }
    char* value = nullptr;
    const char* status = step.FindValue("status", &value) == 0 && value ? value : "";
    if (!EqualsNoCase(status, "0")) {
        TraceError("[%s:%d] status[%s] path[%s]", kUnit, 20, status, path);
        return kStepStatusBad;
    }
    return 0;
}

int ZAppKestrun::WriteFinalStatus(int code) {
    // The status file is saved before the result line, which can then tell
    // whether the outcome was recorded.
    int r = ZAppBat::WriteFinalStatus(code);
    if (code == 0 && !failed && r == 0) {
        ConsolePrint("Result: [Success] The process has been successfully completed.\n");
    } else {
        ConsolePrint("Result: [Error] The process has failed.\n");
    }
    return r;
}

int ZAppKestrun::ReportError(int code) {
    if (code == 0) return 0;
    MarkRecord();
    // Before the home check passed nothing may be written under a path that
    // is not an installation: standard error carries the record.
    if (statusDir.IsEmpty() && !homeChecked) {
        WriteRecordToStandardError(code, MessageByNumber(code, nullptr));
        return 0;
    }
    if (statusDir.IsEmpty()) {
        // No status directory (the batch lock was held by another run).
        WriteTemporaryRecord(code, MessageByNumber(code, nullptr));
        return 0;
    }
    WriteDriverLog(code, MessageByNumber(code, nullptr));
    return 0;
}

void ZAppKestrun::WriteTemporaryRecord(int code, const char* text) {
    MarkRecord();
    char kind = '\0';
    MessageByNumber(code, &kind);
    NUString written;
    if (!WriteErrorLog(this, nullptr, code, text, kind, &written)) {
        std::fprintf(stderr, "Failed to write the error record. errno[%d]\n", errno);
        WriteRecordToStandardError(code, text);
    } else if (!written.IsEmpty()) {
        std::fprintf(stderr, "The error record was written to [%s].\n", written.Get());
    }
}

int ZAppKestrun::WriteDriverLog(int code, const char* text) {
    if (statusDir.IsEmpty()) return 0;
    MarkRecord();
    NUString path;
    path.Format("%s/%s", statusDir.Get(), kDriverLog);
    // The file holds only the latest failed run: its first write replaces
    // an earlier run's log, which must be a file; later ones add to it.
    bool written =
        EnsureDirectory(statusDir.Get()) == 0 && (driverLogWritten || RemoveFile(path.Get()) == 0);
    if (written) {
        char previous[512] = "";
        SetLogPath(path.Get(), previous);
        // The code is always recorded; its message when there is one.
        written = LogAppendChecked("%d:%s\n", code, text ? text : "");
        CMSioObjApp* env = AppEnvironment();
        written = LogAppendChecked("%s\n", env ? env->ErrorTrace().Get() : "") && written;
        int error = errno;
        SetLogPath(previous, nullptr);
        errno = error;
        if (written) {
            driverLogWritten = true;
            if (env) env->ErrorTrace().Clear();
            return 0;
        }
    }
    // Standard output holds only the console texts; this run's record is
    // kept in the temporary directory instead.
    std::fprintf(stderr, "Failed to write the log file. path[%s] errno[%d]\n", path.Get(), errno);
    WriteTemporaryRecord(code, text);
    return 0;
}

namespace {

const char kIdentityStart[] = "[ZAppKestrun:22] home[";
const char kIdentityDate[] = "] startdate[";

}  // namespace

void ZAppKestrun::MarkRecord() {
    CMSioObjApp* env = AppEnvironment();
    if (recordMarked || !env) return;
    recordMarked = true;
    char* startdate = nullptr;
    if (statusObject) statusObject->FindValue("startdate", &startdate);
    // First in the trace, so that a reader finds it in a record's first line.
    NUString rest;
    rest.Set(env->ErrorTrace().Get());
    env->ErrorTrace().Clear();
    TraceError("%s%s%s%s]", kIdentityStart, env->HomeDir(), kIdentityDate, startdate ? startdate : "");
    env->ErrorTrace().Append(rest.Get());
}

bool ZAppKestrun::RecordIdentityOf(const std::string& record, std::string* home, std::string* startdate) {
    size_t date = record.rfind(kIdentityDate);
    if (record.rfind(kIdentityStart, 0) != 0 || date == std::string::npos || record.back() != ']' ||
        date < sizeof kIdentityStart - 1) {
        return false;
    }
    size_t homeStart = sizeof kIdentityStart - 1;
    *home = record.substr(homeStart, date - homeStart);
    size_t dateStart = date + sizeof kIdentityDate - 1;
    *startdate = record.substr(dateStart, record.size() - 1 - dateStart);
    return true;
}

void ZAppKestrun::WriteRecordToStandardError(int code, const char* text) {
    char kind = '\0';
    MessageByNumber(code, &kind);
    std::string record = "The error record of the run: " + std::to_string(code) + ":" +
                         (kind ? std::string(1, kind) : std::string()) + ":" + VisibleText(text ? text : "") + "\n";
    CMSioObjApp* env = AppEnvironment();
    std::string trace = env ? env->ErrorTrace().Get() : "";
    size_t pos = 0;
    while (pos < trace.size()) {
        size_t end = trace.find('\n', pos);
        if (end == std::string::npos) end = trace.size();
        std::string decoded;
        std::string line = trace.substr(pos, end - pos);
        pos = end + 1;
        if (line.empty()) continue;
        record += "  " + VisibleText(DecodeRecord(line, &decoded) ? decoded : line) + "\n";
    }
    std::fputs(record.c_str(), stderr);
    if (env) env->ErrorTrace().Clear();
}
