// kestrun end to end: the built program run as a process against demo
// installations in temporary directories, with the step program stand-in.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
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

const char kSuccess[] = "Result: [Success] The process has been successfully completed.\n";
const char kError[] = "Result: [Error] The process has failed.\n";
const char kUsage[] = "usage : kestrun.exe -h VRNHOME\n";
// -1000004 as a POSIX exit status keeps only its low byte.
const int kCommitFailedStatus = 188;

using Pairs = std::vector<std::pair<std::string, std::string>>;

// The lines of text, without their ends (LF, or CR LF as files written on
// Windows end them).
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

Pairs ReadPairs(const std::string& path) {
    Pairs pairs;
    for (const std::string& line : Lines(ReadWholeFile(path))) {
        auto eq = line.find('=');
        if (eq != std::string::npos) pairs.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
    return pairs;
}

std::vector<std::string> Keys(const Pairs& pairs) {
    std::vector<std::string> keys;
    for (const auto& p : pairs) keys.push_back(p.first);
    return keys;
}

std::string Value(const Pairs& pairs, const std::string& key) {
    for (const auto& p : pairs)
        if (p.first == key) return p.second;
    return "<absent>";
}

// Every file and directory under root, relative to it.
std::vector<std::string> Tree(const std::string& root) {
    std::vector<std::string> entries;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec); it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        entries.push_back(fs::relative(it->path(), root).generic_string());
    }
    std::sort(entries.begin(), entries.end());
    return entries;
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
    // One run on home. Under Wine the console host of the step may hold the
    // batch lock it inherited for a moment after the run: a run that did not
    // fail on the lock waits until it is free, so that the next run finds it
    // so.
    ProgramResult Run() {
        ProgramResult r = RunKestrun({"-h", home});
        std::string lock = StatusFile() + ".lk";
        if (r.out.find("Failed to lock the file.") == std::string::npos && fs::exists(lock)) {
            EXPECT_TRUE(WaitForFreeLock(lock, 10));
        }
        return r;
    }
    // The step program's arguments as it received them.
    std::vector<std::string> RecordChildArgv() {
        std::string file = tmp.file("argv.txt");
        EXPECT_TRUE(WriteStandinControl(home, "argvfile=" + file + "\n"));
        ProgramResult r = Run();
        EXPECT_EQ(r.out, kSuccess);
        return Lines(ReadWholeFile(file));
    }
    void ExpectFailedStep(const ProgramResult& r, int code) {
        EXPECT_TRUE(r.finished);
        EXPECT_EQ(r.exitStatus, 0);
        EXPECT_EQ(r.out, kError);
        Pairs status = ReadPairs(StatusFile());
        EXPECT_EQ(Keys(status), (std::vector<std::string>{"startdate", "status", "msg", "enddate"}));
        EXPECT_EQ(Value(status, "status"), std::to_string(code));
        EXPECT_TRUE(fs::exists(DriverLog()));
    }

    TempDir tmp;
    std::string home;
};

}  // namespace

TEST_F(Kestrun, SuccessPrintsTheResultLineAndWritesTheStatusFile) {
    ProgramResult r = Run();
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_EQ(r.out, kSuccess);
    Pairs status = ReadPairs(StatusFile());
    EXPECT_EQ(Keys(status), (std::vector<std::string>{"startdate", "status", "enddate"}));
    EXPECT_EQ(Value(status, "status"), "0");
    EXPECT_EQ(Value(status, "startdate").size(), 14u);
    EXPECT_LE(Value(status, "startdate"), Value(status, "enddate"));
    EXPECT_FALSE(fs::exists(DriverLog()));
    EXPECT_TRUE(fs::exists(StatusFile() + ".lk"));
}

TEST_F(Kestrun, FinishTimeLogLineCarriesTheRunDuration) {
    std::string config = ReadWholeFile(home + "/data/app");
    ASSERT_TRUE(WriteWholeFile(home + "/data/app", config + "\ntimelog=" + tmp.file("time") + "\n"));
    ASSERT_EQ(Run().out, kSuccess);
    std::string log;
    for (const auto& entry : fs::directory_iterator(tmp.path())) {
        if (entry.path().filename().string().rfind("time", 0) == 0) log = ReadWholeFile(entry.path().string());
    }
    std::vector<std::string> lines = Lines(log);
    ASSERT_FALSE(lines.empty()) << log;
    // Every line closes a timer of its own; the last one is the whole run's.
    for (const std::string& line : lines) EXPECT_NE(line.find(" use "), std::string::npos) << log;
    EXPECT_NE(lines.back().find("00001 start "), std::string::npos) << log;
}

TEST_F(Kestrun, ChildReceivesElevenArgumentsFromTheConfiguration) {
    // Blanks, quotes and a trailing backslash arrive as they stand.
    ASSERT_TRUE(WriteWholeFile(home + "/data/app", DatabaseSettings() + "dbuser=batch\n"
                                                                        "dbpwd=p a\"ss\ndbs=C:\\vrn db\\\n"));
    std::vector<std::string> argv = RecordChildArgv();
    std::string work = home + "/kestv30r15";
    EXPECT_EQ(argv, (std::vector<std::string>{work + "/updbatbookmarkv30.exe", work, home + "/",
                                              "C:\\vrn db\\", "0", "batch", "p a\"ss",
                                              Value(ReadPairs(home + "/data/app"), "dbname"), "", "",
                                              "1"}));
}

TEST_F(Kestrun, ConfigurationDefaultsReachTheChild) {
    // The default database name is a file beside the configuration only for
    // the embedded provider.
    SKIP_WITHOUT_SQLITE();
    fs::rename(home + "/data/vrnldb.sqlite", home + "/data/vrnldb");
    ASSERT_TRUE(WriteWholeFile(home + "/data/app", "dbprovider=sqlite\n"));
    std::vector<std::string> argv = RecordChildArgv();
    ASSERT_EQ(argv.size(), 11u);
    EXPECT_EQ(argv[3], "localhost");
    EXPECT_EQ(argv[5], "vrnl");
    EXPECT_EQ(argv[6], "pmxq");
    EXPECT_EQ(argv[7], "vrnldb");
}

TEST_F(Kestrun, EmptySettingsReachTheChildAsEmptyArguments) {
    ASSERT_TRUE(WriteWholeFile(home + "/data/app", DatabaseSettings() + "dbs=\ndbpwd=\n"));
    std::vector<std::string> argv = RecordChildArgv();
    ASSERT_EQ(argv.size(), 11u);
    EXPECT_EQ(argv[3], "");
    EXPECT_EQ(argv[6], "");
    EXPECT_EQ(argv[5], "vrnl");
}

TEST_F(Kestrun, StepExitingNonZeroFailsWithoutReadingItsStatus) {
    ASSERT_TRUE(WriteStandinControl(home, "exit=1\nstatus=0\n"));
    ProgramResult r = Run();
    ExpectFailedStep(r, -9910001);
    EXPECT_EQ(Value(ReadPairs(StatusFile()), "msg"), "アップグレード処理の実行に失敗しました。");
    std::vector<std::string> log = Lines(ReadWholeFile(DriverLog()));
    ASSERT_GE(log.size(), 2u);
    // "YYYY/MM/DD hh:mm:ss.mmm " then the code and its message text.
    EXPECT_EQ(log[0].substr(23), " -9910001:アップグレード処理の実行に失敗しました。");
    // Two time-stamped lines: the message, then the trace (one record a line).
    int stamped = 0;
    for (const std::string& line : log) stamped += line.size() > 24 && line[4] == '/' && line[23] == ' ';
    EXPECT_EQ(stamped, 2);
    EXPECT_EQ(log[1][4], '/');
    std::string trace = DecodeTrace(ReadWholeFile(DriverLog()));
    EXPECT_NE(trace.find("ret[-2] dret=[1] derr=[0]"), std::string::npos) << trace;
    EXPECT_NE(trace.find("procarg[0]=\"" + home + "/kestv30r15/updbatbookmarkv30.exe\""),
              std::string::npos);
}

TEST_F(Kestrun, PasswordNeverReachesTheDriverLog) {
    ASSERT_TRUE(WriteWholeFile(home + "/data/app", DatabaseSettings() + "dbpwd=Secr3t pw\n"));
    ASSERT_TRUE(WriteStandinControl(home, "exit=3\n"));
    ProgramResult r = Run();
    ExpectFailedStep(r, -9910001);
    std::string trace = DecodeTrace(ReadWholeFile(DriverLog()));
    EXPECT_NE(trace.find("procarg[6]=********"), std::string::npos) << trace;
    EXPECT_NE(trace.find("procarg[5]=\"vrnl\""), std::string::npos);
    EXPECT_EQ(trace.find("Secr3t"), std::string::npos);
}

TEST_F(Kestrun, MissingStepProgramFailsTheStep) {
    fs::remove(home + "/kestv30r15/updbatbookmarkv30.exe");
    ExpectFailedStep(Run(), -9910001);
}

TEST_F(Kestrun, MissingStepStatusFile) {
    ASSERT_TRUE(WriteStandinControl(home, "statusfile=none\n"));
    ProgramResult r = Run();
    ExpectFailedStep(r, -6100020);
    EXPECT_EQ(Value(ReadPairs(StatusFile()), "msg"),
              "アップグレード処理のステータスファイルがありません。");
}

TEST_F(Kestrun, StepStatusLeftByAnEarlierRunDoesNotCount) {
    EXPECT_EQ(Run().out, kSuccess);
    ASSERT_TRUE(WriteStandinControl(home, "statusfile=none\n"));
    ExpectFailedStep(Run(), -6100020);
}

TEST_F(Kestrun, DirectoryAtTheStepStatusNameFailsTheCheckAndStays) {
    fs::create_directories(LogDir() + "/bookmarkv30.sts");
    ASSERT_TRUE(WriteWholeFile(LogDir() + "/bookmarkv30.sts/kept", "x"));
    ExpectFailedStep(Run(), -6100020);
    EXPECT_EQ(ReadWholeFile(LogDir() + "/bookmarkv30.sts/kept"), "x");
}

TEST_F(Kestrun, StepStatusOtherThanZero) {
    // Control text for the stand-in, and the status text recorded.
    const std::pair<const char*, const char*> cases[] = {
        {"status=5\n", "5"}, {"statusfile=nokey\n", ""}, {"status=\n", ""}};
    for (const auto& [control, shown] : cases) {
        ASSERT_TRUE(WriteStandinControl(home, control));
        ExpectFailedStep(Run(), -9910002);
        std::string trace = DecodeTrace(ReadWholeFile(DriverLog()));
        EXPECT_NE(trace.find(std::string("status[") + shown + "] path[" + LogDir() + "/bookmarkv30.sts]"),
                  std::string::npos)
            << control << trace;
        // Nothing of the home check, which runs before the database is open:
        // no office read that could only fail.
        EXPECT_EQ(trace.find("TM_OFFICE"), std::string::npos) << trace;
        EXPECT_EQ(trace.find("[CMSioObjApp_"), std::string::npos) << trace;
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

TEST_F(Kestrun, DatabaseThatCannotBeOpened) {
    // A directory in the file's place (a missing file SQLite's ODBC driver
    // would create).
    fs::remove(home + "/data/vrnldb.sqlite");
    fs::create_directory(home + "/data/vrnldb.sqlite");
    ProgramResult r = Run();
    ExpectFailedStep(r, -1000001);
    // Without the database the office language, and with it every message
    // text, is unknown: "msg" stays empty and the driver log holds the trace.
    EXPECT_EQ(Value(ReadPairs(StatusFile()), "msg"), "");
    std::string trace = DecodeTrace(ReadWholeFile(DriverLog()));
    EXPECT_NE(trace.find("[S3ComDB:"), std::string::npos) << trace;
    EXPECT_NE(trace.find("iret=[-1000001]"), std::string::npos) << trace;
}

TEST_F(Kestrun, CatalogThatCannotBeLoaded) {
    fs::remove(home + "/local/ja_JP/com_locale");
    fs::create_directory(home + "/local/ja_JP/com_locale");
    ProgramResult r = Run();
    ExpectFailedStep(r, -30000);
    EXPECT_EQ(Value(ReadPairs(StatusFile()), "msg"), "メッセージファイルを読み込めません。");
    std::string trace = DecodeTrace(ReadWholeFile(DriverLog()));
    EXPECT_NE(trace.find("ret[-30000]file[com_locale]"), std::string::npos) << trace;
}

TEST_F(Kestrun, OfficeLanguageChoosesTheCatalogs) {
    // An office in English whose catalog has its own text for the code.
    fs::create_directories(home + "/local/en_US");
    for (const char* name : {"com", "com_locale", "version"}) {
        fs::copy_file(home + "/local/ja_JP/" + name, home + "/local/en_US/" + name);
    }
    ASSERT_TRUE(WriteWholeFile(home + "/local/en_US/message", "-9910002=E:The upgrade step failed.\n"));
    ASSERT_EQ(MakeSqliteDb(home + "/data/vrnldb.sqlite", "UPDATE TM_OFFICE SET lang_id = 'en_US  '"), "");
    ASSERT_TRUE(WriteStandinControl(home, "status=9\n"));
    ExpectFailedStep(Run(), -9910002);
    EXPECT_EQ(Value(ReadPairs(StatusFile()), "msg"), "The upgrade step failed.");
    EXPECT_EQ(Lines(ReadWholeFile(DriverLog()))[0].substr(23), " -9910002:The upgrade step failed.");
}

TEST_F(Kestrun, ArgumentErrors) {
    std::vector<std::vector<std::string>> cases = {{}, {"-h"}, {"-h", "-x"}, {"-x", home}, {"-h", ""}};
    for (const auto& args : cases) {
        ProgramResult r = RunKestrun(args);
        EXPECT_EQ(r.exitStatus, kCommitFailedStatus);
        EXPECT_EQ(r.out, std::string(kUsage) + kError);
    }
    EXPECT_FALSE(fs::exists(LogDir()));
}

TEST_F(Kestrun, OverlongHomeIsRefusedAsMissing) {
    std::string longHome = home + "/" + std::string(2048, 'a');
    ProgramResult r = RunKestrun({"-h", longHome});
    EXPECT_EQ(r.exitStatus, kCommitFailedStatus);
    EXPECT_EQ(r.out, std::string("No such directry.\n") + kUsage + kError);
}

TEST_F(Kestrun, UnreadableConfiguration) {
    fs::remove(home + "/data/app");
    fs::create_directory(home + "/data/app");
    std::vector<std::string> before = Tree(home);
    ProgramResult r = Run();
    EXPECT_EQ(r.exitStatus, kCommitFailedStatus);
    EXPECT_EQ(r.out, std::string("[-h] : No such file or directory.\n") + kError);
    EXPECT_EQ(Tree(home), before);
}

TEST_F(Kestrun, NoInstallationAtThatPath) {
    std::string other = tmp.path() + "/empty";
    fs::create_directory(other);
    for (const std::string& path : {other, tmp.path() + "/missing"}) {
        ProgramResult r = RunKestrun({"-h", path});
        EXPECT_EQ(r.exitStatus, kCommitFailedStatus);
        EXPECT_EQ(r.out, "[-h] : No such directory. path=[" + path + "/]\n" + kError);
    }
    // Nothing is created under a path that is not an installation.
    EXPECT_TRUE(Tree(other).empty());
    EXPECT_FALSE(fs::exists(tmp.path() + "/missing"));
}

TEST_F(Kestrun, HomesUpTo400BytesWorkLongerOnesAreRefusedUntouched) {
    std::string longHome = tmp.path();
    while (longHome.size() < 400 - 101) longHome += "/" + std::string(100, 'b');
    longHome += "/" + std::string(400 - longHome.size() - 1, 'c');
    ASSERT_EQ(longHome.size(), 400u);
    std::string tooLong = longHome + "d";
    ASSERT_EQ(MakeDemoHome(longHome), "");
    ASSERT_EQ(MakeDemoHome(tooLong), "");

    std::vector<std::string> before = Tree(tooLong);
    ProgramResult refused = RunKestrun({"-h", tooLong});
    EXPECT_EQ(refused.exitStatus, kCommitFailedStatus);
    EXPECT_EQ(refused.out,
              "[-h] : The path is longer than 400 bytes. path=[" + tooLong + "/]\n" + kError);
    EXPECT_EQ(Tree(tooLong), before);
    if (OnWindows()) {
        GTEST_SKIP() << "Windows starts no program from a path longer than MAX_PATH (260): a step "
                        "under a 400-byte home cannot run there";
    }

    // Every file a run writes: status file, driver log, the error record of
    // a run that finds the lock taken.
    std::string log = longHome + "/kestv30r15/log";
    EXPECT_EQ(RunKestrun({"-h", longHome}).out, kSuccess);
    ASSERT_TRUE(WriteStandinControl(longHome, "exit=1\n"));
    EXPECT_EQ(RunKestrun({"-h", longHome}).out, kError);
    EXPECT_EQ(Value(ReadPairs(log + "/kestrun.sts"), "status"), "-9910001");
    EXPECT_NE(ReadWholeFile(log + "/kestrun.log").find(" -9910001:"), std::string::npos);
    NUFileHandle held = OpenLockExclusive((log + "/kestrun.sts.lk").c_str(), 1, 0);
    ASSERT_NE(held, kInvalidFileHandle);
    EXPECT_EQ(RunKestrun({"-h", longHome}).exitStatus, kCommitFailedStatus);
    CloseFileHandle(held);
    std::string records;
    for (const auto& entry : Tree(longHome + "/data/1/tmp")) {
        if (entry.find("/temp_err_") != std::string::npos) records += entry;
    }
    EXPECT_FALSE(records.empty());
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
        std::vector<std::string> before = Tree(home);
        ProgramResult run = RunKestrun({"-h", home});
        if (length == 193) {
            EXPECT_EQ(run.out, kSuccess);
            continue;
        }
        EXPECT_EQ(run.exitStatus, kCommitFailedStatus);
        std::string refused = "[-h] : The path is longer than the system opens. path=[" + home + "/data/1/tmp/";
        EXPECT_EQ(run.out.substr(0, refused.size()), refused) << run.out;
        EXPECT_NE(run.out.find("length[260] limit[259]\n" + std::string(kError)), std::string::npos) << run.out;
        EXPECT_EQ(Tree(home), before);
    }
}

TEST_F(Kestrun, SecondInstanceFailsOnTheLockAtOnce) {
    std::string started = tmp.file("started"), release = tmp.file("release");
    ASSERT_TRUE(WriteStandinControl(
        home, "startedfile=" + started + "\nwaitfile=" + release + "\nwaitlimit=60\n"));
    RunningProgram first({KestrunPath(), "-h", home});
    ASSERT_TRUE(first.started());
    ASSERT_TRUE(WaitForFile(started, 60));
    std::string held = ReadWholeFile(StatusFile());
    ASSERT_EQ(Keys(ReadPairs(StatusFile())), (std::vector<std::string>{"startdate"}));

    ProgramResult second = Run();
    EXPECT_EQ(second.exitStatus, kCommitFailedStatus);
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
    std::string traces;
    for (const auto& entry : Tree(home + "/data/1/tmp")) {
        if (entry.find("/temp_err_") != std::string::npos) {
            traces += ReadWholeFile(home + "/data/1/tmp/" + entry);
        }
    }
    EXPECT_NE(DecodeTrace(traces).find("ret=[-17] errno=[" + lockError + "]"), std::string::npos) << traces;
    // The code is recorded even though no message catalog was loaded yet.
    EXPECT_NE(traces.find(" -1000004::\r\n"), std::string::npos) << traces;

    WriteWholeFile(release, "go\n");
    ProgramResult r = first.Wait(60);
    EXPECT_EQ(r.out, kSuccess);
    EXPECT_EQ(Value(ReadPairs(StatusFile()), "status"), "0");
}

TEST_F(Kestrun, KilledDriverLeavesTheLockWithItsRunningStep) {
    std::string started = tmp.file("started"), release = tmp.file("release");
    ASSERT_TRUE(WriteStandinControl(
        home, "startedfile=" + started + "\nwaitfile=" + release + "\nwaitlimit=60\n"));
    RunningProgram first({KestrunPath(), "-h", home});
    ASSERT_TRUE(first.started());
    ASSERT_TRUE(WaitForFile(started, 60));
    first.Kill();

    // A step started now would not wait: only the lock can stop the run.
    ASSERT_TRUE(WriteStandinControl(home, ""));
    ProgramResult second = Run();
    EXPECT_EQ(second.exitStatus, kCommitFailedStatus);
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
TEST_F(Kestrun, EveryFailedRunLeavesItsRecord) {
    const std::string longData = tmp.path() + "/" + std::string(200, 'd') + "/" + std::string(250, 'e') + "/";
    struct Case {
        const char* name;
        std::function<void()> breakIt;
        std::vector<std::string> args;  // after the program; empty: -h home
        bool holdLock;
        int exitStatus;
        std::string out;                // the start of standard output
        std::vector<std::string> err;   // texts of standard error
        bool namedRecord;               // standard error names a record file that exists
        bool driverLog;
    };
    const Case cases[] = {
        {"argument error", [] {}, {"-h"}, false, kCommitFailedStatus, kUsage,
         {"The error record of the run: -1000004::\n"}, false, false},
        {"unreadable configuration",
         [&] {
             fs::remove(home + "/data/app");
             fs::create_directory(home + "/data/app");
         },
         {}, false, kCommitFailedStatus, "[-h] : No such file or directory.\n",
         {"The error record of the run: -1000004::\n", "iret=[-11008]"}, false, false},
        {"missing catalog", [&] { fs::remove(home + "/local/ja_JP/message"); }, {}, false, kCommitFailedStatus,
         "[-h] : No such directory. path=[", {"The error record of the run: -1000004::\n", "[ZAppBat:6] ret=[0] errno["},
         false, false},
        {"error record path too long",
         [&] { ASSERT_TRUE(WriteWholeFile(home + "/data/app", ReadWholeFile(home + "/data/app") + "dbdirdata=" + longData + "\n")); },
         {}, false, kCommitFailedStatus, "[-h] : The path of the error record is too long. path=[" + longData,
         {"The error record of the run: -1000004::\n", "[ZAppBat:21] ret=[1] path["}, false, false},
        {"lock held", [] {}, {}, true, kCommitFailedStatus, "[-s] Failed to lock the file.",
         {"The error record was written to ["}, true, false},
        {"lock held, temporary directory unusable",
         [&] {
             fs::remove_all(home + "/data/1/tmp");
             fs::create_directories(home + "/data/1");
             ASSERT_TRUE(WriteWholeFile(home + "/data/1/tmp", "x"));
         },
         {}, true, kCommitFailedStatus, "[-s] Failed to lock the file.",
         {"Failed to write the error record.", "The error record of the run: -1000004::\n", "[ZAppBat:11] ret=[-17]"},
         false, false},
        {"failed step", [&] { ASSERT_TRUE(WriteStandinControl(home, "exit=1\n")); }, {}, false, 0, kError, {}, false,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        home = tmp.path() + "/" + c.name;
        ASSERT_EQ(MakeDemoHome(home), "");
        c.breakIt();
        NUFileHandle held = c.holdLock ? OpenLockExclusive((StatusFile() + ".lk").c_str(), 1, 0) : kInvalidFileHandle;
        ASSERT_EQ(held != kInvalidFileHandle, c.holdLock);
        ProgramResult r = c.args.empty() ? Run() : RunKestrun(c.args);
        CloseFileHandle(held);
        EXPECT_EQ(r.exitStatus, c.exitStatus);
        EXPECT_EQ(r.out.rfind(c.out, 0), 0u) << r.out;
        EXPECT_EQ(r.out.substr(r.out.size() - std::string(kError).size()), kError);
        for (const std::string& text : c.err) EXPECT_NE(r.err.find(text), std::string::npos) << text << "\n" << r.err;
        size_t named = r.err.find("The error record was written to [");
        EXPECT_EQ(named != std::string::npos, c.namedRecord) << r.err;
        if (named != std::string::npos) {
            size_t start = named + std::string("The error record was written to [").size();
            EXPECT_TRUE(fs::is_regular_file(r.err.substr(start, r.err.find("].", start) - start))) << r.err;
        }
        EXPECT_EQ(fs::is_regular_file(DriverLog()), c.driverLog);
        if (c.driverLog) {
            EXPECT_TRUE(r.err.empty()) << r.err;
        }
    }
}
