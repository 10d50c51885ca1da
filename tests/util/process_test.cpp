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
    const CodePageLeadBytes single;
    EXPECT_EQ(WindowsCommandArgument("\"/opt/x y/prog\"", single), "\"/opt/x y/prog\"");
    EXPECT_EQ(WindowsCommandArgument("\"C:\\vrn\\data\"", single), "\"C:\\vrn\\data\"");
    EXPECT_EQ(WindowsCommandArgument("0", single), "0");
    EXPECT_EQ(WindowsCommandArgument("\"\"", single), "\"\"");
    // A trailing backslash would escape the closing quote; inner quotes
    // would end the argument.
    EXPECT_EQ(WindowsCommandArgument("\"C:\\vrn\\\"", single), "\"C:\\vrn\\\\\"");
    EXPECT_EQ(WindowsCommandArgument("\"p a\"ss\"", single), "\"p a\\\"ss\"");
    EXPECT_EQ(WindowsCommandArgument("\"a\\\"b\"", single), "\"a\\\\\\\"b\"");
    EXPECT_EQ(WindowsCommandArgument("two words", single), "\"two words\"");
    char line[kCommandLineSize];
    const char* arguments[] = {"\"C:\\vrn\\\"", "1", nullptr};
    EXPECT_EQ(BuildWindowsCommandLine(arguments, line, single), 0);
    EXPECT_STREQ(line, "\"C:\\vrn\\\\\" 1 ");
}

TEST(ProcessCommandLine, SplitsAsTheCRunTimeDoes) {
    // The C run-time's documented examples, after a program name.
    struct Row {
        const char* line;
        std::vector<std::string> arguments;
    };
    const Row rows[] = {
        {R"("a b c" d e)", {"a b c", "d", "e"}},
        {R"("ab\"c" "\\" d)", {"ab\"c", "\\", "d"}},
        {R"(a\\\b d"e f"g h)", {"a\\\\\\b", "de fg", "h"}},
        {R"(a\\\"b c d)", {"a\\\"b", "c", "d"}},
        {R"(a\\\\"b c" d e)", {"a\\\\b c", "d", "e"}},
        {R"(a"b"" c d)", {"ab\" c d"}},
        {"\t x  \"\" ", {"x", ""}},
    };
    const CodePageLeadBytes single;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        std::vector<std::string> expected = {"C:\\p q\\prog.exe"};
        expected.insert(expected.end(), row.arguments.begin(), row.arguments.end());
        EXPECT_EQ(SplitWindowsCommandLine(std::string("\"C:\\p q\\\"prog.exe ") + row.line, single), expected);
    }
}

TEST(ProcessCommandLine, QuotesByCharactersOfTheCodePage) {
    // Code page 932: a lead byte and its trail are one character, and a
    // trail byte 0x5C is no backslash.
    CodePageLeadBytes cp932;
    for (int byte = 0x81; byte <= 0xFC; ++byte) cp932[static_cast<size_t>(byte)] = byte <= 0x9F || byte >= 0xE0;
    const CodePageLeadBytes single;
    struct Row {
        const char* text;
        const char* in932;    // its quoted form in code page 932
        const char* inSingle; // in a single-byte code page
    };
    const Row rows[] = {
        {"\x95\x5C", "\"\x95\x5C\"", "\"\x95\x5C\x5C\""},
        {"\x83\x5C\"x", "\"\x83\x5C\\\"x\"", "\"\x83\x5C\x5C\x5C\"x\""},
        {"\x83\x5C\\", "\"\x83\x5C\\\\\"", "\"\x83\\\\\\\\\""},
        {"C:\\vrn\\", "\"C:\\vrn\\\\\"", "\"C:\\vrn\\\\\""},
        {"he said \"hi\"", "\"he said \\\"hi\\\"\"", "\"he said \\\"hi\\\"\""},
        {"\x93\xFA\x96\x7B \x8C\xEA", "\"\x93\xFA\x96\x7B \x8C\xEA\"", "\"\x93\xFA\x96\x7B \x8C\xEA\""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        std::string argument = std::string("\"") + row.text + "\"";
        EXPECT_EQ(WindowsCommandArgument(argument.c_str(), cp932), row.in932);
        EXPECT_EQ(WindowsCommandArgument(argument.c_str(), single), row.inSingle);
        // Either way the child's split gives the text back, as one argument.
        for (const CodePageLeadBytes* leads : {static_cast<const CodePageLeadBytes*>(&cp932), &single}) {
            const char* arguments[] = {"prog", argument.c_str(), "tail", nullptr};
            char line[kCommandLineSize];
            ASSERT_EQ(BuildWindowsCommandLine(arguments, line, *leads), 0);
            EXPECT_EQ(SplitWindowsCommandLine(line, *leads), (std::vector<std::string>{"prog", row.text, "tail"}));
        }
    }
}

TEST(ProcessRun, NarrowStepGetsEveryArgumentAsItsBytes) {
    if (!OnWindows()) GTEST_SKIP() << "narrow command lines in an ANSI code page are Windows's";
    int page = SystemCodePage();
    ASSERT_EQ(page, RegisteredCodePage()) << "the locale of LC_ALL is missing (scripts/common.sh makes it)";
    if (page != 1252 && page != 932) GTEST_SKIP() << "rows for the code pages 1252 and 932 only";
    // The argument's bytes as configured, and whether a narrow step gets
    // them in code page 1252 and in 932 (else it is not started).
    struct Row {
        const char* name;
        const char* bytes;
        bool in1252;
        bool in932;
    };
    const Row rows[] = {
        {"U+FF02 as UTF-8", "pw\xEF\xBC\x82 -injected", true, false},
        {"U+FF3C as UTF-8 at the end", "pw\xEF\xBC\xBC", true, false},
        {"U+00A5 as UTF-8 at the end", "pw\xC2\xA5", true, true},
        {"U+FF02 in 932", "pw\xFA\x57 -injected", true, true},
        {"U+FF3C in 932 at the end", "pw\x81\x5F", true, true},
        {"U+00A5 in 1252 at the end", "pw\xA5", true, true},
        {"trail byte 0x5C at the end", "\x95\x5C", true, true},
        {"trail byte 0x5C before a quote", "\x83\x5C\"x", true, true},
        {"quotes", "he said \"hi\" \"", true, true},
        {"trailing backslashes", "C:\\vrn\\\\", true, true},
        {"Japanese text in 932", "\x93\xFA\x96\x7B\x8C\xEA \x83\x70\x83\x58", true, true},
        {"a lead byte without its trail", "pw\x82", true, false},
        {"no exact way back in 932", "\xED\x40", true, false},
    };
    TempDir dir;
    std::string program = std::string(KESTRUN_BINARY_DIR) + "/tools/kestrun-narrow-args.exe";
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string out = dir.file("argv.txt");
        std::filesystem::remove(out);
        Outcome outcome = RunChild({Quoted(program), Quoted(out), Quoted(row.bytes), "tail"});
        if (page == 1252 ? row.in1252 : row.in932) {
            ASSERT_EQ(outcome.code, 0);
            EXPECT_EQ(ReadWholeFile(out), std::string(row.bytes) + "\ntail\n");
        } else {
            EXPECT_EQ(outcome.code, -1);
            EXPECT_EQ(outcome.derr, kProcessErrorNotRepresentable);
            EXPECT_FALSE(std::filesystem::exists(out));
        }
    }
}

TEST(ProcessRun, InheritanceThatCannotBeSetUpFailsTheStart) {
    // A handle that is not open cannot be handed to the child: the step is
    // not started without it.
    TempDir dir;
    std::string program = std::string(KESTRUN_BINARY_DIR) + "/tools/updbatbookmarkv30.exe";
    int dret = -7;
    int derr = 0;
    const char* arguments[] = {program.c_str(), dir.path().c_str(), nullptr};
    EXPECT_EQ(RunProcess(arguments, &dret, &derr, static_cast<NUFileHandle>(0x3FFFFFF0)), -1);
    EXPECT_NE(derr, 0);
    EXPECT_EQ(dret, 0);
    EXPECT_FALSE(std::filesystem::exists(dir.file("log/bookmarkv30.sts")));
}

TEST(ProcessRun, ArgumentsReachTheStepStandInIntact) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("step dir"));
    std::string program = dir.file("step dir/updbatbookmarkv30.exe");
    std::filesystem::copy_file(std::string(KESTRUN_BINARY_DIR) + "/tools/updbatbookmarkv30.exe", program);
    std::string out = dir.file("argv.txt");
    ASSERT_TRUE(WriteWholeFile(dir.file("step dir/updbatbookmarkv30.ctl"),
                               "argvfile=" + out + "\nstatusfile=none\ndatabase=none\n"));
    // No shell reads them: its quoting and substitutions stay text.
    Outcome outcome = RunChild({Quoted(program), Quoted("he said \"hi\" there"),
                                Quoted("C:\\vrn\\"), Quoted("a\\\"b"), "plain", "\"\"",
                                Quoted("日本 語"), Quoted("a;b $(x) `y`"), "0"});
    ASSERT_EQ(outcome.code, 0);
    std::string argv = ReadWholeFile(out);
    EXPECT_EQ(argv.substr(argv.find('\n') + 1),
              "he said \"hi\" there\nC:\\vrn\\\na\\\"b\nplain\n\n日本 語\na;b $(x) `y`\n0\n");
}

// A child's end as the caller sees it: an exit code, a signal (above 128),
// a program that is not there, a list that cannot be a command line. A
// program without a directory is found through PATH.
TEST(ProcessRun, ExitCodesAndStartFailures) {
    TempDir dir;
    const std::string half(kCommandLineSize / 2, 'y');
    const struct {
        const char* name;
        std::vector<std::string> arguments;
        Outcome expected;  // derr -1: any error but 0
        bool shell;        // the child is a POSIX shell
    } rows[] = {
        {"exit 0", {"/bin/sh", "-c", "exit 0"}, {0, 0, 0}, true},
        {"exit 3", {"/bin/sh", "-c", "exit 3"}, {-2, 3, 0}, true},
        {"through PATH", {"sh", "-c", "exit 0"}, {0, 0, 0}, true},
        {"killed", {"/bin/sh", "-c", "kill -9 $$"}, {-2, 128 + 9, 0}, true},
        {"missing",
         {Quoted(dir.file("no-such-program")), "x"},
         {-1, 0, kProcessErrorNotFound},
         false},
        {"unknown", {"kestrun-no-such-program-anywhere"}, {-1, 0, kProcessErrorNotFound}, false},
        {"empty", {}, {-1, 0, -1}, false},
        {"too long", {"/bin/sh", "-c", "exit 0", half, half}, {-1, 0, kProcessErrorTooLong}, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.shell && OnWindows()) continue;
        Outcome outcome = RunChild(row.arguments);
        EXPECT_EQ(outcome.code, row.expected.code);
        EXPECT_EQ(outcome.dret, row.expected.dret);
        if (row.expected.derr == -1) {
            EXPECT_NE(outcome.derr, 0);
        } else {
            EXPECT_EQ(outcome.derr, row.expected.derr);
        }
    }
    EXPECT_EQ(RunProcess(nullptr, nullptr, nullptr), -1);
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
