// Child process runner: command-line assembly and real children: exit
// codes, start failures, signals, arguments, environment and descriptors.
#include "util/process.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "support/test_platform.h"

namespace {

struct Outcome {
    int code;
    int dret;
    int derr;
};

Outcome RunChild(std::vector<std::string> texts) {
    std::vector<const char*> arguments;
    for (const std::string& text : texts) arguments.push_back(text.c_str());
    arguments.push_back(nullptr);
    Outcome outcome{99, -7, -7};
    outcome.code = RunProcess(arguments.data(), &outcome.dret, &outcome.derr);
    return outcome;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

TEST(ProcessCommandLine, EveryArgumentFollowedBySpace) {
    char line[kCommandLineSize];
    const char* abc[] = {"a", "b", "c", nullptr};
    EXPECT_EQ(BuildCommandLine(abc, line), 0);
    EXPECT_STREQ(line, "a b c ");
    const char* none[] = {nullptr};
    EXPECT_EQ(BuildCommandLine(none, line), 0);
    EXPECT_STREQ(line, "");
    const char* quoted[] = {"\"/opt/x y/prog\"", "\"\"", "1", nullptr};
    EXPECT_EQ(BuildCommandLine(quoted, line), 0);
    EXPECT_STREQ(line, "\"/opt/x y/prog\" \"\" 1 ");
}

TEST(ProcessCommandLine, BoundIncludesTrailingSpaceAndZero) {
    char line[kCommandLineSize];
    std::string fits(kCommandLineSize - 2, 'x');  // text, space, zero: 4096 bytes
    const char* exact[] = {fits.c_str(), nullptr};
    EXPECT_EQ(BuildCommandLine(exact, line), 0);
    EXPECT_EQ(std::string(line), fits + " ");
    std::string half(kCommandLineSize / 2, 'y');
    const char* over[] = {half.c_str(), half.c_str(), nullptr};
    EXPECT_EQ(BuildCommandLine(over, line), -1);
    EXPECT_STREQ(line, "");
}

TEST(ProcessCommandLine, ChildArgumentRemovesOneEnclosingQuotePair) {
    EXPECT_EQ(ChildArgument("\"a b\""), "a b");
    EXPECT_EQ(ChildArgument("\"\""), "");
    EXPECT_EQ(ChildArgument("\"\"x\"\""), "\"x\"");
    EXPECT_EQ(ChildArgument("\""), "\"");
    EXPECT_EQ(ChildArgument("a\"b\""), "a\"b\"");
    EXPECT_EQ(ChildArgument("0"), "0");
    EXPECT_EQ(ChildArgument(nullptr), "");
}

TEST(ProcessCommandLine, WindowsFormKeepsEveryArgumentIntact) {
    // Ordinary values keep the caller's "%s" form byte for byte.
    EXPECT_EQ(WindowsCommandArgument("\"/opt/x y/prog\""), "\"/opt/x y/prog\"");
    EXPECT_EQ(WindowsCommandArgument("\"C:\\vrn\\data\""), "\"C:\\vrn\\data\"");
    EXPECT_EQ(WindowsCommandArgument("0"), "0");
    EXPECT_EQ(WindowsCommandArgument("\"\""), "\"\"");
    // A trailing backslash would escape the closing quote; inner quotes
    // would end the argument.
    EXPECT_EQ(WindowsCommandArgument("\"C:\\vrn\\\""), "\"C:\\vrn\\\\\"");
    EXPECT_EQ(WindowsCommandArgument("\"p a\"ss\""), "\"p a\\\"ss\"");
    EXPECT_EQ(WindowsCommandArgument("\"a\\\"b\""), "\"a\\\\\\\"b\"");
    EXPECT_EQ(WindowsCommandArgument("two words"), "\"two words\"");
    char line[kCommandLineSize];
    const char* arguments[] = {"\"C:\\vrn\\\"", "1", nullptr};
    EXPECT_EQ(BuildWindowsCommandLine(arguments, line), 0);
    EXPECT_STREQ(line, "\"C:\\vrn\\\\\" 1 ");
}

TEST(ProcessRun, ArgumentsReachTheStepStandInIntact) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("step dir"));
    std::string program = dir.file("step dir/updbatbookmarkv30.exe");
    std::filesystem::copy_file(std::string(KESTRUN_BINARY_DIR) + "/tools/updbatbookmarkv30.exe", program);
    std::string out = dir.file("argv.txt");
    ASSERT_TRUE(WriteWholeFile(dir.file("step dir/updbatbookmarkv30.ctl"),
                               "argvfile=" + out + "\nstatusfile=none\n"));
    Outcome outcome = RunChild({Quoted(program), Quoted("he said \"hi\" there"), Quoted("C:\\vrn\\"),
                                Quoted("a\\\"b"), "plain", "\"\"", Quoted("日本 語"), "0"});
    ASSERT_EQ(outcome.code, 0);
    std::string argv = ReadWholeFile(out);
    EXPECT_EQ(argv.substr(argv.find('\n') + 1),
              "he said \"hi\" there\nC:\\vrn\\\na\\\"b\nplain\n\n日本 語\n0\n");
}

TEST(ProcessRun, ExitCodes) {
    if (OnWindows()) GTEST_SKIP() << "the child is a POSIX shell";
    Outcome ok = RunChild({"/bin/sh", "-c", "exit 0"});
    EXPECT_EQ(ok.code, 0);
    EXPECT_EQ(ok.dret, 0);
    EXPECT_EQ(ok.derr, 0);
    Outcome three = RunChild({"/bin/sh", "-c", "exit 3"});
    EXPECT_EQ(three.code, -2);
    EXPECT_EQ(three.dret, 3);
    EXPECT_EQ(three.derr, 0);
    // A program without a directory is found through PATH.
    EXPECT_EQ(RunChild({"sh", "-c", "exit 0"}).code, 0);
}

TEST(ProcessRun, SignalGivesExitCodeAbove128) {
    if (OnWindows()) GTEST_SKIP() << "the child is a POSIX shell";
    Outcome killed = RunChild({"/bin/sh", "-c", "kill -9 $$"});
    EXPECT_EQ(killed.code, -2);
    EXPECT_EQ(killed.dret, 128 + 9);
    EXPECT_EQ(killed.derr, 0);
}

TEST(ProcessRun, MissingProgramFailsToStart) {
    TempDir dir;
    Outcome missing = RunChild({Quoted(dir.file("no-such-program")), "x"});
    EXPECT_EQ(missing.code, -1);
    EXPECT_EQ(missing.dret, 0);
    EXPECT_EQ(missing.derr, kProcessErrorNotFound);
    Outcome unknown = RunChild({"kestrun-no-such-program-anywhere"});
    EXPECT_EQ(unknown.code, -1);
    EXPECT_EQ(unknown.derr, kProcessErrorNotFound);
}

TEST(ProcessRun, RefusesEmptyAndOverlongLists) {
    Outcome empty = RunChild({});
    EXPECT_EQ(empty.code, -1);
    EXPECT_NE(empty.derr, 0);
    EXPECT_EQ(RunProcess(nullptr, nullptr, nullptr), -1);
    std::string half(kCommandLineSize / 2, 'y');
    Outcome tooLong = RunChild({"/bin/sh", "-c", "exit 0", half, half});
    EXPECT_EQ(tooLong.code, -1);
    EXPECT_EQ(tooLong.dret, 0);
    EXPECT_EQ(tooLong.derr, kProcessErrorTooLong);
}

TEST(ProcessRun, QuotedArgumentsArriveIntact) {
    if (OnWindows()) GTEST_SKIP() << "the child is a POSIX shell";
    TempDir dir;
    std::filesystem::create_directory(dir.file("step dir"));
    std::string script = dir.file("step dir/args.sh");
    ASSERT_TRUE(WriteWholeFile(script,
                               "#!/bin/sh\n"
                               "out=$1\n"
                               "shift\n"
                               "for a; do printf '[%s]\\n' \"$a\"; done > \"$out\"\n"));
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    std::string out = dir.file("args.txt");
    Outcome outcome = RunChild({Quoted(script), Quoted(out), Quoted("he said \"hi\" there"),
                           "plain", "\"\"", Quoted("a;b $(x) `y`"), "0"});
    ASSERT_EQ(outcome.code, 0);
    EXPECT_EQ(ReadWholeFile(out),
              "[he said \"hi\" there]\n[plain]\n[]\n[a;b $(x) `y`]\n[0]\n");
}

TEST(ProcessRun, ChildInheritsEnvironmentAndDirectory) {
    if (OnWindows()) GTEST_SKIP() << "the child is a POSIX shell";
    TempDir dir;
    ASSERT_TRUE(SetTestEnvironment("KESTRUN_PROCESS_PROBE", "v a l"));
    std::string cwd = std::filesystem::current_path().string();
    Outcome outcome = RunChild({"/bin/sh", "-c",
                           "test \"$KESTRUN_PROCESS_PROBE\" = 'v a l' && test \"$(pwd)\" = \"$1\"",
                           "probe", cwd});
    EXPECT_EQ(outcome.code, 0);
}

TEST(ProcessRun, ChildGetsOnlyStandardDescriptors) {
    if (OnWindows()) GTEST_SKIP() << "the child is a POSIX shell";
    TempDir dir;
    ASSERT_TRUE(WriteWholeFile(dir.file("open.txt"), "x"));
    int fd = open(dir.file("open.txt").c_str(), O_RDONLY);  // inheritable
    ASSERT_GT(fd, 2);
    std::string probe = "test -e /proc/self/fd/" + std::to_string(fd);
    Outcome inherited = RunChild({"/bin/sh", "-c", probe});
    close(fd);
    EXPECT_EQ(inherited.code, -2);
    EXPECT_EQ(inherited.dret, 1);
    EXPECT_EQ(RunChild({"/bin/sh", "-c", "test -e /proc/self/fd/2"}).code, 0);
}

TEST(ProcessId, IsThisProcess) { EXPECT_EQ(CurrentProcessId(), static_cast<int>(getpid())); }
