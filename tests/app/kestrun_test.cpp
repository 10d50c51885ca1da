// kestrun end to end: the built program run as a process against demo
// installations in temporary directories, with the step program stand-in.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/demo_home.h"
#include "support/sqlite_db.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"
#include "support/trace_text.h"
#include "util/file.h"

namespace fs = std::filesystem;

namespace {

const char kUsage[] = "usage : kestrun.exe -h VRNHOME\n";

// The lines of text, without their ends (LF, or CR LF as files written on
// Windows end them).
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> Keys(const NameValues& pairs) {
    std::vector<std::string> keys;
    for (const auto& p : pairs) keys.push_back(p.first);
    return keys;
}

class Kestrun : public ::testing::Test {
protected:
    void SetUp() override {
        SKIP_WITHOUT_SQLITE_FILES();
        home = tmp.path() + "/vrnl";
        ASSERT_EQ(MakeDemoHome(home), "");
    }

    std::string LogDir() const { return home + "/kestv30r15/log"; }
    // Configuration lines that open the demo database.
    std::string DatabaseSettings() const { return SqliteSettings(home + "/data/vrnldb.sqlite"); }
    std::string StatusFile() const { return LogDir() + "/kestrun.sts"; }
    std::string DriverLog() const { return LogDir() + "/kestrun.log"; }
    ProgramResult Run() { return RunOnHome(home); }
    // A run whose step waits, once started, until release exists; null
    // when its step did not start.
    std::unique_ptr<RunningProgram> StartHeldRun(const std::string& release) {
        std::string started = tmp.file("started");
        if (!HoldStep(home, started, release)) return nullptr;
        auto run = std::make_unique<RunningProgram>(std::vector<std::string>{KestrunPath(), "-h", home});
        return run->started() && WaitForFile(started, 60) ? std::move(run) : nullptr;
    }
    // The step program's arguments as it received them.
    std::vector<std::string> RecordChildArgv() {
        std::string file = tmp.file("argv.txt");
        EXPECT_TRUE(WriteStandinControl(home, "argvfile=" + file + "\n"));
        EXPECT_EQ(Run().out, kSuccess);
        return Lines(ReadWholeFile(file));
    }
    void ExpectFailedStep(const ProgramResult& r, int code) {
        EXPECT_TRUE(r.finished);
        EXPECT_EQ(r.exitStatus, 0);
        EXPECT_EQ(r.out, kError);
        EXPECT_EQ(Keys(StatusOf(home)), (std::vector<std::string>{"startdate", "status", "msg", "enddate"}));
        EXPECT_EQ(ValueOf(StatusOf(home), "status"), std::to_string(code));
        EXPECT_TRUE(fs::exists(DriverLog()));
    }

    TempDir tmp;
    std::string home;
};

}  // namespace

// The time log's lines each close a timer of their own; the last one is
// the whole run's.
TEST_F(Kestrun, SuccessPrintsTheResultLineAndWritesTheStatusFile) {
    ASSERT_TRUE(WriteWholeFile(home + "/data/app", ReadWholeFile(home + "/data/app") + "\ntimelog=" + tmp.file("time") + "\n"));
    ProgramResult r = Run();
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_EQ(r.out, kSuccess);
    NameValues status = StatusOf(home);
    EXPECT_EQ(Keys(status), (std::vector<std::string>{"startdate", "status", "enddate"}));
    EXPECT_EQ(ValueOf(status, "status"), "0");
    EXPECT_EQ(ValueOf(status, "startdate").size(), 14u);
    EXPECT_LE(ValueOf(status, "startdate"), ValueOf(status, "enddate"));
    EXPECT_FALSE(fs::exists(DriverLog()));
    EXPECT_TRUE(fs::exists(StatusFile() + ".lk"));
    std::string log;
    for (const auto& entry : fs::directory_iterator(tmp.path())) {
        if (entry.path().filename().string().rfind("time", 0) == 0) log = ReadWholeFile(entry.path().string());
    }
    std::vector<std::string> lines = Lines(log);
    ASSERT_FALSE(lines.empty()) << log;
    for (const std::string& line : lines) EXPECT_NE(line.find(" use "), std::string::npos) << log;
    EXPECT_NE(lines.back().find("00001 start "), std::string::npos) << log;
}

// The step's eleven arguments from the configuration: blanks, quotes and
// a trailing backslash arrive as they stand, empty settings as empty
// arguments, missing ones as their defaults.
TEST_F(Kestrun, ChildReceivesElevenArgumentsFromTheConfiguration) {
    ASSERT_TRUE(WriteWholeFile(home + "/data/app", DatabaseSettings()));
    const std::string dbname = ValueOf(ReadNameValues(home + "/data/app"), "dbname");
    const struct {
        const char* name;
        std::string config;  // data/app
        std::vector<std::string> settings;  // arguments 3 to 7
    } cases[] = {
        {"settings as they stand", DatabaseSettings() + "dbuser=batch\ndbpwd=p a\"ss\ndbs=C:\\vrn db\\\n",
         {"C:\\vrn db\\", "0", "batch", "p a\"ss", dbname}},
        {"empty settings", DatabaseSettings() + "dbs=\ndbpwd=\n", {"", "0", "vrnl", "", dbname}},
        // The default database name is a file beside the configuration only
        // for the embedded provider.
        {"defaults", "dbprovider=sqlite\n", {"localhost", "0", "vrnl", "pmxq", "vrnldb"}},
    };
    const std::string work = home + "/kestv30r15";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.config == "dbprovider=sqlite\n") {
            if (!SqliteAvailable()) {
                std::cout << "[ SKIPPED ] defaults: the default database name needs the embedded provider\n";
                continue;
            }
            fs::rename(home + "/data/vrnldb.sqlite", home + "/data/vrnldb");
        }
        ASSERT_TRUE(WriteWholeFile(home + "/data/app", c.config));
        std::vector<std::string> expected{work + "/updbatbookmarkv30.exe", work, home + "/"};
        expected.insert(expected.end(), c.settings.begin(), c.settings.end());
        expected.insert(expected.end(), {"", "", "1"});
        EXPECT_EQ(RecordChildArgv(), expected);
    }
}

// A failed run: "Result: [Error]", exit status 0, the status file with the
// code and its message, and the driver log: "YYYY/MM/DD hh:mm:ss.mmm " with
// the code and message, then the trace (one record a line). The step status
// values are rows of ZAppKestrunCheckStepStatus.JudgesTheStatusKey.
TEST_F(Kestrun, FailedRunsLeaveTheirCodeMessageAndTrace) {
    const std::string failedStep = "アップグレード処理の実行に失敗しました。";
    const std::string badStatus = "アップグレード処理が正常に終了しませんでした。";
    const std::string noStatus = "アップグレード処理のステータスファイルがありません。";
    // Nothing of the home check, which runs before the database is open: no
    // office read that could only fail.
    const std::vector<std::string> noOffice{"TM_OFFICE", "[CMSioObjApp_"};
    struct Case {
        const char* name;
        std::function<void()> breakIt;
        std::string standin;
        int code;
        std::string msg;
        std::vector<std::string> trace;        // in the driver log's trace
        std::vector<std::string> absent = {};  // never there
        std::string kept = "";                 // a file the run leaves as it was ("x")
    };
    // The table of the home at hand: each row runs on a home of its own.
    auto table = [&] {
        const std::string stepStatus = LogDir() + "/bookmarkv30.sts";
        const std::string stepPath = "procarg[0]=\"" + home + "/kestv30r15/updbatbookmarkv30.exe\"";
        return std::vector<Case>{
        {"step exits non-zero: its status is not read", [] {}, "exit=1\nstatus=0\n", -9910001, failedStep,
         {"ret[-2] dret=[1] derr=[0]", stepPath}},
        {"password never reaches the driver log",
         [=, this] { ASSERT_TRUE(WriteWholeFile(home + "/data/app", DatabaseSettings() + "dbpwd=Secr3t pw\n")); },
         "exit=3\n", -9910001, failedStep, {"procarg[6]=********", "procarg[5]=\"vrnl\""}, {"Secr3t"}},
        {"missing step program", [=, this] { fs::remove(home + "/kestv30r15/updbatbookmarkv30.exe"); }, "", -9910001,
         failedStep, {stepPath}},
        {"step status left by an earlier run", [=, this] { EXPECT_EQ(Run().out, kSuccess); }, "statusfile=none\n",
         -6100020, noStatus, {}},
        {"directory at the step status name: it stays",
         [=, this] {
             fs::create_directories(stepStatus);
             ASSERT_TRUE(WriteWholeFile(stepStatus + "/kept", "x"));
         },
         "", -6100020, noStatus, {}, {}, stepStatus + "/kept"},
        {"step status 5", [] {}, "status=5\n", -9910002, badStatus, {"status[5] path[" + stepStatus + "]"}, noOffice},
        // A directory in the file's place (a missing file SQLite's ODBC
        // driver would create). Without the database the office language,
        // and with it every message text, is unknown.
        {"database that cannot be opened",
         [=, this] {
             fs::remove(home + "/data/vrnldb.sqlite");
             fs::create_directory(home + "/data/vrnldb.sqlite");
         },
         "", -1000001, "", {"[S3ComDB:", "iret=[-1000001]"}},
        {"catalog that cannot be loaded",
         [=, this] {
             fs::remove(home + "/local/ja_JP/com_locale");
             fs::create_directory(home + "/local/ja_JP/com_locale");
         },
         "", -30000, "メッセージファイルを読み込めません。", {"ret[-30000]file[com_locale]"}},
        // An office in English whose catalog has its own text for the code.
        {"office language chooses the catalogs",
         [=, this] {
             fs::create_directories(home + "/local/en_US");
             for (const char* name : {"com", "com_locale", "version"}) {
                 fs::copy_file(home + "/local/ja_JP/" + name, home + "/local/en_US/" + name);
             }
             ASSERT_TRUE(WriteWholeFile(home + "/local/en_US/message", "-9910002=E:The upgrade step failed.\n"));
             ASSERT_EQ(MakeSqliteDb(home + "/data/vrnldb.sqlite", "UPDATE TM_OFFICE SET lang_id = 'en_US  '"), "");
         },
         "status=9\n", -9910002, "The upgrade step failed.", {}},
        };
    };
    for (size_t i = 0; i < table().size(); ++i) {
        home = tmp.path() + "/" + std::to_string(i);
        ASSERT_EQ(MakeDemoHome(home), "");
        const Case c = table()[i];
        SCOPED_TRACE(c.name);
        c.breakIt();
        ASSERT_TRUE(WriteStandinControl(home, c.standin));
        ExpectFailedStep(Run(), c.code);
        EXPECT_EQ(ValueOf(StatusOf(home), "msg"), c.msg);
        std::vector<std::string> log = Lines(ReadWholeFile(DriverLog()));
        ASSERT_GE(log.size(), 2u);
        EXPECT_EQ(log[0].substr(23), " " + std::to_string(c.code) + ":" + c.msg);
        int stamped = 0;
        for (const std::string& line : log) stamped += line.size() > 24 && line[4] == '/' && line[23] == ' ';
        EXPECT_EQ(stamped, 2);
        EXPECT_EQ(log[1][4], '/');
        std::string trace = DecodeTrace(ReadWholeFile(DriverLog()));
        for (const std::string& text : c.trace) EXPECT_NE(trace.find(text), std::string::npos) << text << trace;
        for (const std::string& text : c.absent) EXPECT_EQ(trace.find(text), std::string::npos) << text << trace;
        if (!c.kept.empty()) {
            EXPECT_EQ(ReadWholeFile(c.kept), "x");
        }
    }
}

TEST_F(Kestrun, DriverLogHoldsOnlyTheLatestFailure) {
    ASSERT_TRUE(WriteStandinControl(home, "status=7\n"));
    ExpectFailedStep(Run(), -9910002);
    ASSERT_TRUE(WriteStandinControl(home, "exit=2\n"));
    ExpectFailedStep(Run(), -9910001);
    std::string log = ReadWholeFile(DriverLog());
    EXPECT_EQ(log.find("-9910002"), std::string::npos);
    EXPECT_EQ(DecodeTrace(log).find("status[7]"), std::string::npos);
    // A later success leaves the last failure's log alone.
    ASSERT_TRUE(WriteStandinControl(home, ""));
    EXPECT_EQ(Run().out, kSuccess);
    EXPECT_EQ(ReadWholeFile(DriverLog()), log);
}

// Runs refused before anything is written anywhere: exit 188, the reason,
// "Result: [Error]", the run's record on standard error.
TEST_F(Kestrun, RefusedRunsChangeNothing) {
    const std::string empty = tmp.path() + "/empty", missing = tmp.path() + "/missing";
    fs::create_directory(empty);
    std::string tooLong = tmp.path();
    while (tooLong.size() < 400 - 101) tooLong += "/" + std::string(100, 'b');
    tooLong += "/" + std::string(400 - tooLong.size(), 'c');
    ASSERT_EQ(MakeDemoHome(tooLong), "");
    const std::string usage = std::string(kUsage) + kError;
    const struct {
        std::vector<std::string> args;
        std::string out;
        const char* err = "";  // in standard error, after the run's record
    } cases[] = {
        {{}, usage},
        {{"-h"}, usage},
        {{"-h", "-x"}, usage},
        {{"-x", home}, usage},
        {{"-h", ""}, usage},
        {{"-h", home + "/" + std::string(2048, 'a')}, "No such directry.\n" + usage},
        {{"-h", empty}, "[-h] : No such directory. path=[" + empty + "/]\n" + kError},
        {{"-h", missing}, "[-h] : No such directory. path=[" + missing + "/]\n" + kError},
        {{"-h", tooLong}, "[-h] : The path is longer than 400 bytes. path=[" + tooLong + "/]\n" + kError},
        // The last row: the configuration a directory.
        {{"-h", home}, std::string("[-h] : No such file or directory.\n") + kError, "iret=[-11008]"},
    };
    fs::remove(home + "/data/app");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.empty() ? "no arguments" : c.args.back());
        if (&c == std::end(cases) - 1) fs::create_directory(home + "/data/app");
        std::map<std::string, std::string> before = Snapshot(tmp.path());
        ProgramResult r = RunKestrun(c.args);
        EXPECT_EQ(r.exitStatus, kStoppedStatus);
        EXPECT_EQ(r.out, c.out);
        // Nowhere to write its record: standard error carries it.
        EXPECT_NE(r.err.find("The error record of the run: -1000004::\n"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
        EXPECT_EQ(Snapshot(tmp.path()), before);
    }
}

// Every file a run writes under a 400-byte home: status file, driver log,
// the error record of a run that finds the lock taken. (A longer one is a
// row of RefusedRunsChangeNothing.)
TEST_F(Kestrun, HomesUpTo400BytesWork) {
    if (OnWindows()) {
        GTEST_SKIP() << "Windows starts no program from a path longer than MAX_PATH (260): a step "
                        "under a 400-byte home cannot run there";
    }
    std::string longHome = tmp.path();
    while (longHome.size() < 400 - 101) longHome += "/" + std::string(100, 'b');
    longHome += "/" + std::string(400 - longHome.size() - 1, 'c');
    ASSERT_EQ(longHome.size(), 400u);
    ASSERT_EQ(MakeDemoHome(longHome), "");
    EXPECT_EQ(RunKestrun({"-h", longHome}).out, kSuccess);
    ASSERT_TRUE(WriteStandinControl(longHome, "exit=1\n"));
    EXPECT_EQ(RunKestrun({"-h", longHome}).out, kError);
    EXPECT_EQ(ValueOf(StatusOf(longHome), "status"), "-9910001");
    EXPECT_NE(ReadWholeFile(longHome + "/kestv30r15/log/kestrun.log").find(" -9910001:"), std::string::npos);
    NUFileHandle held = OpenLockExclusive((longHome + "/kestv30r15/log/kestrun.sts.lk").c_str(), 1, 0);
    ASSERT_NE(held, kInvalidFileHandle);
    EXPECT_EQ(RunKestrun({"-h", longHome}).exitStatus, kStoppedStatus);
    CloseFileHandle(held);
    EXPECT_NE(ErrorRecords(longHome), "");
}

// Without the long-path opt-in Windows opens files up to 259 UTF-16 units.
// The longest path a run derives is its error record in the temporary
// directory, 66 units below the home's full path (process id counted at its
// widest): a 193-unit home runs, a 194-unit one is refused before anything
// is created, where the run would otherwise fail part-way.
TEST_F(Kestrun, HomesWhosePathsWindowsCannotOpenAreRefusedUntouched) {
    if (!OnWindows()) GTEST_SKIP() << "POSIX opens paths of any length";
    for (size_t length : {193u, 194u}) {
        SCOPED_TRACE(length);
        std::string home = tmp.path() + "/";
        home += std::string(length - home.size(), static_cast<char>('a' + length % 2));
        ASSERT_EQ(MakeDemoHome(home), "");
        std::map<std::string, std::string> before = Snapshot(home);
        ProgramResult run = RunKestrun({"-h", home});
        if (length == 193) {
            EXPECT_EQ(run.out, kSuccess);
            continue;
        }
        EXPECT_EQ(run.exitStatus, kStoppedStatus);
        std::string refused = "[-h] : The path is longer than the system opens. path=[" + home + "/data/1/tmp/";
        EXPECT_EQ(run.out.substr(0, refused.size()), refused) << run.out;
        EXPECT_NE(run.out.find("length[260] limit[259]\n" + std::string(kError)), std::string::npos) << run.out;
        EXPECT_EQ(Snapshot(home), before);
    }
}

TEST_F(Kestrun, SecondInstanceFailsOnTheLockAtOnce) {
    std::string release = tmp.file("release");
    std::unique_ptr<RunningProgram> first = StartHeldRun(release);
    ASSERT_TRUE(first);
    std::string held = ReadWholeFile(StatusFile());
    ASSERT_EQ(Keys(StatusOf(home)), (std::vector<std::string>{"startdate"}));

    ProgramResult second = Run();
    EXPECT_EQ(second.exitStatus, kStoppedStatus);
    // The system's own code for a lock held elsewhere: EACCES, or Windows'
    // sharing violation.
    const std::string lockError = OnWindows() ? "32" : "13";
    EXPECT_EQ(second.out, "[-s] Failed to lock the file. path[" + StatusFile() + "] ret[-17] errno[" + lockError +
                              "]detail[Permission denied]" + kError);
    EXPECT_EQ(ReadWholeFile(StatusFile()), held);
    EXPECT_FALSE(fs::exists(DriverLog()));
    // The failure after the home check leaves its trace in the error log of
    // the installation's temporary directory (named for the program name,
    // still "err" before the database is opened).
    std::string traces = ErrorRecords(home);
    EXPECT_NE(DecodeTrace(traces).find("ret=[-17] errno=[" + lockError + "]"), std::string::npos) << traces;
    // The code is recorded even though no message catalog was loaded yet.
    EXPECT_NE(traces.find(" -1000004::\r\n"), std::string::npos) << traces;

    WriteWholeFile(release, "go\n");
    ProgramResult r = first->Wait(60);
    EXPECT_EQ(r.out, kSuccess);
    EXPECT_EQ(ValueOf(StatusOf(home), "status"), "0");
}

TEST_F(Kestrun, KilledDriverLeavesTheLockWithItsRunningStep) {
    std::string release = tmp.file("release");
    std::unique_ptr<RunningProgram> first = StartHeldRun(release);
    ASSERT_TRUE(first);
    first->Kill();

    // A step started now would not wait: only the lock can stop the run.
    ASSERT_TRUE(WriteStandinControl(home, ""));
    ProgramResult second = Run();
    EXPECT_EQ(second.exitStatus, kStoppedStatus);
    EXPECT_EQ(second.out.rfind("[-s] Failed to lock the file. path[" + StatusFile() + "]", 0), 0u)
        << second.out;

    // The orphaned step ends, and the lock with it.
    ASSERT_TRUE(WriteWholeFile(release, "go\n"));
    ASSERT_TRUE(WaitForFreeLock(StatusFile() + ".lk", 30));
    EXPECT_EQ(Run().out, kSuccess);
}

// Wherever a run fails, its record is somewhere an administrator finds it:
// the driver log, an error record whose path standard error names, or,
// where neither can be written (or nothing may be created), standard error.
// (Runs refused before the home check are rows of RefusedRunsChangeNothing.)
TEST_F(Kestrun, EveryFailedRunLeavesItsRecord) {
    const std::string longData = tmp.path() + "/" + std::string(200, 'd') + "/" + std::string(250, 'e') + "/";
    const std::string record = "The error record of the run: -1000004::\n";
    struct Case {
        const char* name;
        std::function<void()> breakIt;
        bool holdLock;
        std::string out;               // the start of standard output
        std::vector<std::string> err;  // texts of standard error
        bool namedRecord = false;      // standard error names a record file that exists
    };
    const Case cases[] = {
        {"missing catalog", [&] { fs::remove(home + "/local/ja_JP/message"); }, false,
         "[-h] : No such directory. path=[", {record, "[ZAppBat:6] ret=[0] errno["}},
        {"error record path too long",
         [&] { ASSERT_TRUE(WriteWholeFile(home + "/data/app", ReadWholeFile(home + "/data/app") + "dbdirdata=" + longData + "\n")); },
         false, "[-h] : The path of the error record is too long. path=[" + longData,
         {record, "[ZAppBat:21] ret=[1] path["}},
        {"lock held", [] {}, true, "[-s] Failed to lock the file.", {"The error record was written to ["}, true},
        {"lock held, temporary directory unusable",
         [&] {
             fs::remove_all(home + "/data/1/tmp");
             fs::create_directories(home + "/data/1");
             ASSERT_TRUE(WriteWholeFile(home + "/data/1/tmp", "x"));
         },
         true, "[-s] Failed to lock the file.", {"Failed to write the error record.", record, "[ZAppBat:11] ret=[-17]"}},
        // The only one with a driver log, and nothing on standard error.
        {"failed step", [&] { ASSERT_TRUE(WriteStandinControl(home, "exit=1\n")); }, false, kError, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        home = tmp.path() + "/" + c.name;
        ASSERT_EQ(MakeDemoHome(home), "");
        c.breakIt();
        NUFileHandle held = c.holdLock ? OpenLockExclusive((StatusFile() + ".lk").c_str(), 1, 0) : kInvalidFileHandle;
        ASSERT_EQ(held != kInvalidFileHandle, c.holdLock);
        ProgramResult r = Run();
        CloseFileHandle(held);
        bool driverLog = c.out == kError;
        EXPECT_EQ(r.exitStatus, driverLog ? 0 : kStoppedStatus);
        EXPECT_EQ(r.out.rfind(c.out, 0), 0u) << r.out;
        EXPECT_EQ(r.out.substr(r.out.size() - std::string(kError).size()), kError);
        for (const std::string& text : c.err) EXPECT_NE(r.err.find(text), std::string::npos) << text << "\n" << r.err;
        size_t named = r.err.find("The error record was written to [");
        EXPECT_EQ(named != std::string::npos, c.namedRecord) << r.err;
        if (named != std::string::npos) {
            size_t start = named + std::string("The error record was written to [").size();
            EXPECT_TRUE(fs::is_regular_file(r.err.substr(start, r.err.find("].", start) - start))) << r.err;
        }
        EXPECT_EQ(fs::is_regular_file(DriverLog()), driverLog);
        if (driverLog) {
            EXPECT_TRUE(r.err.empty()) << r.err;
        }
    }
}
