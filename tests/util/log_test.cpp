// Log and trace output: current log file, line formats and cuts, the error
// trace encoding, the time log, registered files, the error record.
#include "util/log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "app/cms_app.h"
#include "env/environment.h"
#include "support/app_home.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"
#include "support/trace_text.h"
#include "util/file_os.h"
#include "util/process.h"

namespace {

const char kStamp[] = R"(\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2}\.\d{3} )";

// A text file's line end: CR LF on Windows.
std::string Nl() { return OnWindows() ? "\r\n" : "\n"; }

// Decodes one hex line of the error trace.
std::string Decode(const std::string& hex) { return DecodeHex(hex); }

class TestApp : public CMSApp {
public:
    int MainWork() override { return 0; }
    int GetHomeArgument(int, const char* const*, char*, int) override { return -1; }
};

}  // namespace

TEST(LogPath, SaveAndRestore) {
    char previous[512] = "junk";
    SetLogPath("/a/b.txt", previous);
    EXPECT_STREQ(previous, "");
    SetLogPath("/c.txt", previous);
    EXPECT_STREQ(previous, "/a/b.txt");
    SetLogPath(nullptr, previous);
    EXPECT_STREQ(previous, "/c.txt");
    SetLogPath("", previous);
    EXPECT_STREQ(previous, "");
    // A path that does not fit is refused: no log file.
    SetLogPath("/kept.txt", nullptr);
    SetLogPath(std::string(600, 'x').c_str(), nullptr);
    SetLogPath(nullptr, previous);
    EXPECT_STREQ(previous, "");
}

TEST(LogAppend, WithoutLogFileWritesNothing) {
    TempDir dir;
    SetLogPath(nullptr, nullptr);
    LogAppend("nothing %d\n", 1);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

// Each message is stamped and appended. Logs are text files: on Windows
// every line ends with CR LF, whether the format gave LF or CR LF, and a
// line end inside a message too; a message without one gets none.
TEST(LogAppend, OneLineEndPerFile) {
    // Both line ends on every platform: a bare LF becomes the file's line
    // end, a CR LF stays as it is.
    NUFileOs saved = FileOs();
    for (const char* lineEnd : {"\n", "\r\n"}) {
        SCOPED_TRACE(lineEnd[0] == '\r' ? "CR LF" : "LF");
        FileOs().lineEnd = lineEnd;
        TempDir dir;
        std::string path = dir.file("log.txt");
        SetLogPath(path.c_str(), nullptr);
        LogAppend("\na\n");
        LogAppend("b\r\n");
        LogAppend("c\nd\r\n\n");
        LogAppend("%s %d", "e", 5);
        std::string e = lineEnd;
        std::string text = std::regex_replace(ReadWholeFile(path), std::regex(kStamp), "|");
        EXPECT_EQ(text, "|" + e + "a" + e + "|b\r\n|c" + e + "d\r\n" + e + "|e 5");
        SetLogPath(nullptr, nullptr);
    }
    FileOs() = saved;
}

TEST(LogAppend, MessageIsCutAt8191Bytes) {
    TempDir dir;
    std::string path = dir.file("log.txt");
    SetLogPath(path.c_str(), nullptr);
    LogAppend("%s", std::string(9000, 'm').c_str());
    std::string text = ReadWholeFile(path);
    ASSERT_EQ(text.size(), 24u + 8191u);
    EXPECT_EQ(text.substr(24), std::string(8191, 'm'));
    // The cut never splits a character.
    std::filesystem::remove(path);
    LogAppend("%s\xE3\x81\x82", std::string(8189, 'm').c_str());
    EXPECT_EQ(ReadWholeFile(path).substr(24), std::string(8189, 'm'));
}

TEST(LogAppend, UnwritablePathIsSkippedSilently) {
    TempDir dir;
    SetLogPath(dir.path().c_str(), nullptr);  // a directory
    LogAppend("x\n");
    SetLogPath(dir.file("missing/log.txt").c_str(), nullptr);
    LogAppend("x\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));
}

TEST(LogAppend, LineLostAtCloseIsNotWritten) {
    TempDir dir;
    SetLogPath(dir.file("log.txt").c_str(), nullptr);
    static NUFileOs real;
    real = FileOs();
    // As a network file system reports a write it could not keep.
    FileOs().close = [](NUFileHandle handle) {
        real.close(handle);
        errno = EIO;
        return -1;
    };
    bool written = LogAppendChecked("x\n");
    FileOs() = real;
    EXPECT_FALSE(written);
}

TEST(LogAppend, NeverWritesThroughASymbolicLink) {
    TempDir dir;
    ASSERT_TRUE(WriteWholeFile(dir.file("victim"), "v"));
    std::error_code error;
    std::filesystem::create_symlink(dir.file("victim"), dir.file("log.txt"), error);
    if (error) GTEST_SKIP() << "the system cannot create symbolic links here: " << error.message();
    SetLogPath(dir.file("log.txt").c_str(), nullptr);
    LogAppend("x\n");
    EXPECT_EQ(ReadWholeFile(dir.file("victim")), "v");
}

TEST(TraceError, WithoutEnvironmentRecordsNothing) {
    EXPECT_EQ(TraceError("[%s:%d] ret[%d]", "X", 1, -5), -99);
}

// An empty message adds nothing to an empty trace and only a line end to a
// filled one.
TEST(TraceError, EncodesBytesAsLowercaseHexKeepingLineFeeds) {
    CreateAppEnvironment();
    NUString& trace = AppEnvironment()->ErrorTrace();
    EXPECT_EQ(TraceError("%s", ""), 0);
    EXPECT_STREQ(trace.Get(), "");
    EXPECT_EQ(TraceError("a\r\nb"), 0);
    EXPECT_STREQ(trace.Get(), "61\n62\n");
    EXPECT_EQ(TraceError("[%s:%d] ret[%d]\xff", "CMSApp", 12, -3), 0);
    std::string all = trace.Get();
    std::string last = all.substr(6, all.size() - 7);
    EXPECT_EQ(last, "5b434d534170703a31325d207265745b2d335dff");
    EXPECT_EQ(Decode(last), "[CMSApp:12] ret[-3]\xff");
    EXPECT_EQ(TraceError("%s", ""), 0);
    EXPECT_EQ(std::string(trace.Get()), all + "\n");
}

TEST(TraceError, MessageIsCutAt7999Bytes) {
    CreateAppEnvironment();
    TraceError("%s", std::string(9000, 'z').c_str());
    std::string trace = AppEnvironment()->ErrorTrace().Get();
    ASSERT_EQ(trace.size(), 2u * 7999u + 1u);
    EXPECT_EQ(trace.substr(0, 4), "7a7a");
}

TEST(TraceDBError, AddsTheDatabaseErrorToTheRecord) {
    CreateAppEnvironment();
    EXPECT_EQ(TraceDBError("[%s:%d]", "S3ComDB", 7), 0);
    std::string trace = AppEnvironment()->ErrorTrace().Get();
    ASSERT_FALSE(trace.empty());
    trace.pop_back();
    std::string last = trace.substr(trace.rfind('\n') + 1);
    // The session creates the connection on request; a fresh one has no error yet.
    EXPECT_EQ(Decode(last), "[S3ComDB:7] dberr=[0] dbmsg=[]");
}

TEST(TimeLog, OffWithoutTimeLogName) {
    TempDir home;
    CMSioObjApp* env = OpenAppEnvironment(home);
    TimerStart();
    EXPECT_EQ(env->TimerStack()->Count(), 0);
    TimeLog("x");
    EXPECT_TRUE(std::filesystem::is_empty(home.path()));
}

TEST(TimeLog, LineFormatAndNesting) {
    TempDir home;
    ASSERT_TRUE(WriteAppConfig(home, "timelog=" + home.file("time.txt") + "\n"));
    CMSioObjApp* env = OpenAppEnvironment(home);
    std::string current = home.file("current.txt");
    SetLogPath(current.c_str(), nullptr);

    TimerStart();
    TimerStart();
    EXPECT_EQ(env->TimerStack()->Count(), 2);
    TimeLog("inner %d", 1);
    TimeLog("outer");
    TimeLog("unmatched");
    EXPECT_EQ(env->TimerStack()->Count(), 0);

    std::string start = R"(start \d{2}/\d{2} \d{2}:\d{2}:\d{2} use 0:00:\d{2}\.\d{3})";
    std::regex expected(std::string(kStamp) + "00002 " + start + " \"inner 1\"" + Nl() + kStamp +
                        "00001 " + start + " \"outer\"" + Nl() + kStamp + "00000  \"unmatched\"" + Nl());
    EXPECT_TRUE(std::regex_match(ReadWholeFile(env->TimeLogName()), expected))
        << ReadWholeFile(env->TimeLogName());
    // The current log file is restored after each line.
    LogAppend("after\n");
    EXPECT_NE(ReadWholeFile(current).find("after"), std::string::npos);
}

TEST(TimeLog, StartTextIsTheUtcStartTime) {
    TempDir home;
    ASSERT_TRUE(WriteAppConfig(home, "timelog=" + home.file("time") + "\n"));
    CMSioObjApp* env = OpenAppEnvironment(home);
    TimerStart();
    char* name = nullptr;
    ASSERT_EQ(env->TimerStack()->NameAt(0, &name), 0);
    std::string stamp = name;
    ASSERT_EQ(stamp.size(), 14u);
    TimeLog("%s", "");
    std::string expected = "start " + stamp.substr(4, 2) + "/" + stamp.substr(6, 2) + " " +
                           stamp.substr(8, 2) + ":" + stamp.substr(10, 2) + ":" +
                           stamp.substr(12, 2) + " use 0:00:00.";
    EXPECT_NE(ReadWholeFile(env->TimeLogName()).find(expected), std::string::npos);
}

TEST(RegisteredLog, WritesStampedLinesToTheRegisteredFile) {
    TempDir dir;
    EXPECT_EQ(RegisterLogFile(nullptr), -99);
    LogToRegistered(1, "before\n");
    ASSERT_EQ(RegisterLogFile(dir.file("a.txt").c_str()), 0);
    LogToRegistered(1, "RETRY[%d]\n", 3);
    LogToRegistered(2, "other id\n");
    EXPECT_TRUE(std::regex_match(ReadWholeFile(dir.file("a.txt")),
                                 std::regex(R"(\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2} RETRY\[3\])" + Nl())));

    ASSERT_EQ(RegisterLogFile(dir.file("b.txt").c_str()), 0);  // replaces id 1
    LogToRegistered(1, "b\n");
    EXPECT_NE(ReadWholeFile(dir.file("b.txt")).find(" b" + Nl()), std::string::npos);
    EXPECT_EQ(ReadWholeFile(dir.file("a.txt")).find(" b" + Nl()), std::string::npos);

    ReleaseLogFiles();
    LogToRegistered(1, "gone\n");
    EXPECT_EQ(ReadWholeFile(dir.file("b.txt")).find("gone"), std::string::npos);
    EXPECT_EQ(RegisterLogFile(std::string(600, 'p').c_str()), -99);
}

TEST(WriteErrorLog, WritesMessageAndTraceToAUniqueTemporaryFile) {
    TempDir home;
    CMSioObjApp* env = OpenAppEnvironment(home);
    std::string current = home.file("current.txt");
    SetLogPath(current.c_str(), nullptr);
    TraceError("[%s:%d] ret[%d]", "ZAppBat", 3, -7);
    TestApp app;

    WriteErrorLog(&app, "step", -7, "Failed", 'E');
    WriteErrorLog(&app, nullptr, -8, "No kind", '\0');

    NUString tmp;
    env->GetTempDir(&tmp, false);
    std::vector<std::string> files;
    for (auto& entry : std::filesystem::directory_iterator(tmp.Get()))
        files.push_back(entry.path().filename().string());
    std::sort(files.begin(), files.end());
    ASSERT_EQ(files.size(), 2u);
    std::string pid = std::to_string(CurrentProcessId());
    EXPECT_TRUE(std::regex_match(files[0], std::regex("temp_err_" + pid + R"(\d{16}\.2\.000\.txt)")))
        << files[0];
    EXPECT_TRUE(
        std::regex_match(files[1], std::regex("temp_err_step_" + pid + R"(\d{16}\.1\.000\.txt)")))
        << files[1];

    std::string first = ReadWholeFile(std::string(tmp.Get()) + "/" + files[1]);
    std::string hex = "5b5a4170704261743a335d207265745b2d375d";  // [ZAppBat:3] ret[-7]
    EXPECT_TRUE(std::regex_match(
        first, std::regex(std::string(kStamp) + "-7:E:Failed\r\n" + kStamp + hex + Nl() + Nl())))
        << first;
    std::string second = ReadWholeFile(std::string(tmp.Get()) + "/" + files[0]);
    EXPECT_TRUE(std::regex_match(
        second, std::regex(std::string(kStamp) + "-8::No kind\r\n" + kStamp + Nl())))
        << second;
    EXPECT_TRUE(env->ErrorTrace().IsEmpty());
    EXPECT_EQ(ReadWholeFile(current), "");
    LogAppend("restored\n");
    EXPECT_NE(ReadWholeFile(current).find("restored"), std::string::npos);
}

TEST(WriteErrorLog, NameIsFreeWithItsExtension) {
    TempDir home;
    CMSioObjApp* env = OpenAppEnvironment(home);
    TestApp app;
    // The first candidate is taken (as by a process of the same id earlier).
    static NUFileOs real;
    real = FileOs();
    FileOs().exists = [](const char* path) {
        return std::string(path).ends_with(".000.txt") ? 1 : real.exists(path);
    };
    WriteErrorLog(&app, nullptr, -7, "Failed", 'E');
    FileOs() = real;
    NUString tmp;
    env->GetTempDir(&tmp, false);
    std::vector<std::string> files;
    for (auto& entry : std::filesystem::directory_iterator(tmp.Get()))
        files.push_back(entry.path().filename().string());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_TRUE(files[0].ends_with(".1.001.txt")) << files[0];
}

TEST(WriteErrorLog, WithoutEnvironmentWritesToTheCurrentLogFile) {
    TempDir dir;
    SetLogPath(dir.file("current.txt").c_str(), nullptr);
    WriteErrorLog(nullptr, nullptr, 5, "text", 'W');
    EXPECT_TRUE(std::regex_match(ReadWholeFile(dir.file("current.txt")),
                                 std::regex(std::string(kStamp) + "5:W:text\r\n" + kStamp + Nl())));
}

TEST(WriteErrorLog, LongestPathIsAtLeastAsLongAsAWrittenRecordsPath) {
    TempDir home;
    Configure(home, "");
    NUString longest;
    ASSERT_EQ(LongestErrorLogPath(nullptr, &longest), 0);
    NUString written;
    ASSERT_TRUE(WriteErrorLog(nullptr, nullptr, 5, "text", 'W', &written));
    EXPECT_GE(longest.Length(), written.Length());
    EXPECT_EQ(LongestErrorLogPath(nullptr, nullptr), -99);
    ReleaseEnvironment();
}
