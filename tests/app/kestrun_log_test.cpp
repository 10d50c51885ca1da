// kestrun-log end to end: the latest run's story after real kestrun runs,
// and hostile or odd files where its logs and status file belong.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "app/kestrun_app.h"
#include "app/status_codes.h"
#include "support/demo_home.h"
#include "support/sqlite_db.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"
#include "util/file.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

const char kStamp[] = "2026/12/08 04:53:27.951 ";

// text as a record of the error trace: two lowercase hex digits a byte.
std::string Hex(const std::string& text) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : text) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

// The first byte of text that a terminal would act on (a control byte
// other than the line feed), or -1.
int RawControlByte(const std::string& text) {
    for (unsigned char c : text) {
        if ((c < 0x20 && c != '\n' && c != '\t') || c == 0x7f) return c;
    }
    return -1;
}

ProgramResult RunLog(const std::vector<std::string>& args) {
    std::vector<std::string> argv{BuiltProgramPath("kestrun-log")};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProgram(argv, 60);
}

// Every output of kestrun-log: it ended by itself with 0 or 1 and sent no
// control byte to the terminal.
void ExpectSound(const ProgramResult& r) {
    EXPECT_TRUE(r.finished);
    EXPECT_TRUE(r.exitStatus == 0 || r.exitStatus == 1) << r.exitStatus;
    EXPECT_EQ(RawControlByte(r.out), -1) << r.out;
}

}  // namespace

// One installation through a sequence of real runs; after each, what
// kestrun-log tells as the latest run and which record it shows.
TEST(KestrunLog, TellsTheLatestRunWhereverItsRecordIs) {
    SKIP_WITHOUT_SQLITE_FILES();
    TempDir tmp;
    const std::string home = tmp.path() + "/vrnl";
    ASSERT_EQ(MakeDemoHome(home), "");
    const std::string logDir = home + "/kestv30r15/log";
    const std::string meaning = FindKestrunStatusCode(-9910001)->meaning;
    struct Step {
        const char* name;
        std::string standin;             // the step stand-in's control text
        std::function<void()> around;    // made before the run
        bool holdLock;
        bool homeAlone;                  // kestrun-log VRNHOME instead of -h VRNHOME
        std::string story;               // the first line kestrun-log prints
        std::string shown;               // the start of the shown record's path
        std::vector<std::string> lines;  // further texts of the output
    };
    const std::string tempDir = home + "/data/1/tmp/";
    const Step steps[] = {
        {"failed step", "exit=1\n", [] {}, false, true,
         "The latest run failed: " + logDir + "/kestrun.sts: status=-9910001\n", logDir + "/kestrun.log:",
         {"Run failed with -9910001:", "  First failure: [ZAppKestrun:15] ret[-2] dret=[1] derr=[0]\n",
          "  Meaning: " + meaning + "\n", "  [ZAppKestrun:16] procarg[6]=********\n",
          "ret[-9910001]\n    -9910001: " + meaning + "\n"}},
        {"lock held by another run", "", [] {}, true, false,
         "The latest run failed before it held the batch lock: its record is in the temporary directory.\n",
         tempDir,
         {"Run failed with -1000004::", "  First failure: [ZAppBat:11] ret=[-17] errno=[",
          "\n    -17: The lock file is held by another program",
          "  Meaning: The run stopped before it opened the database"}},
        {"success", "", [] {}, false, false,
         "The latest run succeeded (" + logDir + "/kestrun.sts: status=0).\nThe record below is an earlier run's.\n",
         tempDir, {"First failure: [ZAppBat:11]"}},
        {"driver log that cannot be written", "exit=1\n",
         [&] {
             fs::remove(logDir + "/kestrun.log");
             fs::create_directories(logDir + "/kestrun.log");
         },
         false, false,
         logDir + "/kestrun.log is a directory, not a log.\nThe latest run failed: " + logDir +
             "/kestrun.sts: status=-9910001\n",
         tempDir, {"  First failure: [ZAppKestrun:15] ret[-2] dret=[1] derr=[0]\n"}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        ASSERT_TRUE(WriteStandinControl(home, step.standin));
        step.around();
        NUFileHandle held =
            step.holdLock ? OpenLockExclusive((logDir + "/kestrun.sts.lk").c_str(), 1, 0) : kInvalidFileHandle;
        ASSERT_EQ(held != kInvalidFileHandle, step.holdLock);
        ProgramResult run = RunOnHome(home);
        CloseFileHandle(held);
        ASSERT_TRUE(run.finished);

        ProgramResult log = step.homeAlone ? RunLog({home}) : RunLog({"-h", home});
        ExpectSound(log);
        EXPECT_EQ(log.exitStatus, 0);
        EXPECT_EQ(log.out.rfind(step.story, 0), 0u) << log.out;
        EXPECT_EQ(log.out.substr(step.story.size()).rfind(step.shown, 0), 0u) << log.out;
        for (const std::string& line : step.lines) EXPECT_NE(log.out.find(line), std::string::npos) << line;
        // The run's code is not taken for its cause.
        EXPECT_EQ(log.out.find("Meaning: The commit at the end of the run failed"), std::string::npos);
    }
}

// Files that no run writes, at the names kestrun-log reads.
TEST(KestrunLog, HostileFilesNeverHangCrashOrReachTheTerminalRaw) {
    TempDir tmp;
    const std::string forgedRecord = Hex("a\x1b[31mb\x07\x00" "c\n2026/12/08 04:53:27.951 0:forged"s);
    // FIFOs and device files have no Windows form.
    const char* const noFifo = OnWindows() ? "Windows has no FIFO" : nullptr;
    const char* const noDevice = OnWindows() ? "Windows has no /dev files" : nullptr;
    enum Kind { kFifo, kLink, kDirectory, kText, kUnreadable };
    struct Entry {
        Kind kind;
        std::string path;  // relative to the home
        std::string text = "";  // a text's bytes, a link's target
    };
    struct Case {
        const char* name;
        const char* skip;  // why the case cannot be laid out here, or null
        std::vector<Entry> entries;
        // The argument of -f (relative to the home unless absolute), or
        // null: the home is the only argument.
        const char* f;
        int exitStatus;
        std::vector<std::string> texts;   // in the output
        std::vector<std::string> absent = {};  // never in the output
    };
    const std::string log = "kestv30r15/log/";
    const std::string failed = std::string(kStamp) + "-9910001:x\n";
    const Case cases[] = {
        {"FIFO at kestrun.log", noFifo, {{kFifo, log + "kestrun.log"}}, nullptr, 1,
         {"/kestrun.log is not a regular file"}},
        {"FIFO at kestrun.sts", noFifo, {{kFifo, log + "kestrun.sts"}}, nullptr, 1,
         {"/kestrun.sts is not a regular file"}},
        {"FIFO as the configuration", noFifo, {{kFifo, "data/app"}}, nullptr, 1,
         {"No record of a failed run was found"}},
        {"-f FIFO", noFifo, {{kFifo, "fifo"}}, "fifo", 1, {"/fifo is not a regular file"}},
        {"kestrun.log linked to /dev/zero", noDevice, {{kLink, log + "kestrun.log", "/dev/zero"}}, nullptr, 1,
         {"/kestrun.log is not a regular file"}},
        {"kestrun.log linked to /dev/urandom", noDevice, {{kLink, log + "kestrun.log", "/dev/urandom"}}, nullptr,
         1, {"/kestrun.log is not a regular file"}},
        {"-f a device", nullptr, {}, OnWindows() ? "NUL" : "/dev/null", 1, {" is not a regular file"}},
        {"kestrun.log unreadable",
         RunsPrivileged() || OnWindows() ? "file permissions that bind this user (not root, not Windows)" : nullptr,
         {{kUnreadable, log + "kestrun.log", failed}}, nullptr, 1, {"/kestrun.log cannot be read: errno[13]"},
         {"No file at"}},
        {"kestrun.log a directory", nullptr, {{kDirectory, log + "kestrun.log"}}, nullptr, 1,
         {"/kestrun.log is a directory, not a log.\n"}, {"No file at"}},
        {"kestrun.log longer than the limit", nullptr,
         {{kText, log + "kestrun.log", failed + std::string(1024 * 1024, 'z')}}, nullptr, 0,
         {"Run failed with -9910001:x\n", "(Only the first 1048576 bytes of "}},
        // The log first: the status file tells of the same run. A NUL ends
        // a value as the name-value reader takes it.
        {"control bytes in a record, a code line and the status", nullptr,
         {{kText, log + "kestrun.log", std::string(kStamp) + "-1:\x1b]0;title\x07\n" + kStamp + forgedRecord + "\n"},
          {kText, log + "kestrun.sts", "startdate=20261208045327\nstatus=-1\x1b[2J\x07\x00\n"s}},
         nullptr, 0,
         {"status=-1\\e[2J\\x07\n", "Run failed with -1:\\e]0;title\\x07\n",
          "  a\\e[31mb\\x07\\x00c\\n2026/12/08 04:53:27.951 0:forged\n"}},
        // Cut inside its status line: the run has not ended.
        {"half-written status file", nullptr, {{kText, log + "kestrun.sts", "startdate=20261208045327\nsta"}},
         nullptr, 1, {"has no status yet", "No earlier run's record was found.\n"}},
        {"malformed code line", nullptr,
         {{kText, "record.txt", std::string(kStamp) + "-99999999999999999999:y\n"}}, "record.txt", 0,
         {kStamp + std::string("-99999999999999999999:y\n")},
         {"Run failed with -99999999999999999999", "Meaning: Success"}},
        {"code without a table entry before -62", nullptr,
         {{kText, "record.txt", std::string(kStamp) + "-62:\n" + kStamp + Hex("[S3ComDB:1] ret[-62]") + "\n"}},
         "record.txt", 0, {"  Meaning: " + std::string(FindKestrunStatusCode(-62)->meaning) + "\n"}},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.skip) {
            std::cout << "[ SKIPPED ] " << c.name << ": " << c.skip << "\n";
            continue;
        }
        const std::string home = tmp.path() + "/home" + std::to_string(n++);
        fs::create_directories(home + "/" + log);
        fs::create_directories(home + "/data");
        for (const Entry& e : c.entries) {
            const std::string path = home + "/" + e.path;
            bool made = true;
            if (e.kind == kFifo) made = MakeFifo(path);
            if (e.kind == kLink) fs::create_symlink(e.text, path);
            if (e.kind == kDirectory) fs::create_directories(path);
            if (e.kind == kText || e.kind == kUnreadable) made = WriteWholeFile(path, e.text);
            if (e.kind == kUnreadable) fs::permissions(path, fs::perms::none);
            EXPECT_TRUE(made) << path;
        }
        std::vector<std::string> args{home};
        if (c.f) args = {"-f", c.f[0] == '/' || c.f == "NUL"s ? c.f : home + "/" + c.f};
        ProgramResult r = RunLog(args);
        ExpectSound(r);
        EXPECT_EQ(r.exitStatus, c.exitStatus) << r.out;
        for (const std::string& text : c.texts) EXPECT_NE(r.out.find(text), std::string::npos) << text << "\n" << r.out;
        for (const std::string& text : c.absent) EXPECT_EQ(r.out.find(text), std::string::npos) << text << "\n" << r.out;
    }
}

// A record names its run only by a whole identity line: a cut or foreign
// line is no run of any home.
TEST(KestrunRecordIdentity, OnlyAWholeIdentityLineNamesARun) {
    const struct {
        const char* record;
        bool identified;
    } rows[] = {{"[ZAppKestrun:22] home[/srv/vrnl] startdate[20261208093000]", true},
                {"[ZAppKestrun:22] home[/srv/vrnl] startdate[20261208093000", false},
                {"[ZAppKestrun:22] home[/srv/vrnl]", false},
                {" [ZAppKestrun:22] home[/srv/vrnl] startdate[20261208093000]", false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.record);
        std::string home, startdate;
        ASSERT_EQ(ZAppKestrun::RecordIdentityOf(row.record, &home, &startdate), row.identified);
        if (row.identified) {
            EXPECT_EQ(home, "/srv/vrnl");
            EXPECT_EQ(startdate, "20261208093000");
        }
    }
}
