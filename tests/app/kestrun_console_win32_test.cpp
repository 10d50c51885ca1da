// kestrun.exe on a console: its messages show the characters of their
// code-page bytes, whatever code page the console itself uses.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"
#include "support/test_platform.h"
#include "util/wide_text.h"

TEST(KestrunConsole, ShowsAPathAsItsCharacters) {
    int page = SystemCodePage();
    ASSERT_EQ(page, RegisteredCodePage()) << "the locale of LC_ALL is missing (scripts/common.sh makes it)";
    if (page != 1252 && page != 932) GTEST_SKIP() << "rows for the code pages 1252 and 932 only";
    // A home that does not exist, named in code-page bytes: kestrun prints
    // it in "[-h] : No such directory. path=[...]".
    TempDir dir;
    std::string home = dir.file(page == 1252 ? "h\xE9" : "h\x95\x5C");
    std::wstring shown;
    ASSERT_TRUE(WideFromSystem("[-h] : No such directory. path=[" + home + "/]", &shown));

    // This process gets a console of its own; the child writes to its
    // screen buffer.
    FreeConsole();
    ASSERT_TRUE(AllocConsole());
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE screen = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                &inherit, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(screen, INVALID_HANDLE_VALUE);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!GetConsoleScreenBufferInfo(screen, &info)) {
        CloseHandle(screen);
        FreeConsole();
        GTEST_SKIP() << "this console has no screen buffer to read back (Wine without a display)";
    }
    std::string line = "\"" + std::string(KESTRUN_BINARY_DIR) + "/kestrun.exe\" -h \"" + home + "\"";
    std::wstring command;
    ASSERT_TRUE(WideFromSystem(line, &command));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = screen;
    startup.hStdError = screen;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                               &process));
    WaitForSingleObject(process.hProcess, 60000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    ASSERT_TRUE(GetConsoleScreenBufferInfo(screen, &info));
    std::wstring cells(static_cast<size_t>(info.dwSize.X) * static_cast<size_t>(info.dwCursorPosition.Y + 1), L' ');
    DWORD read = 0;
    ASSERT_TRUE(ReadConsoleOutputCharacterW(screen, cells.data(), static_cast<DWORD>(cells.size()), COORD{0, 0},
                                            &read));
    CloseHandle(screen);
    FreeConsole();
    std::string text;
    SystemFromWide(cells, &text);
    EXPECT_NE(cells.find(shown), std::wstring::npos) << text;
}
