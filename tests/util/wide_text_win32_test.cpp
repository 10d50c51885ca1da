// Paths as bytes of the ANSI code page at the Windows boundary: names reach
// the system as their characters and come back as the same bytes; bytes or
// characters without an exact form are refused, never replaced.
#include "util/wide_text.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "support/test_platform.h"
#include "util/file.h"

namespace {

std::vector<std::string> listed;

bool Record(const char* name, int, const NUFindData*) {
    if (std::string(name) != "." && std::string(name) != "..") listed.push_back(name);
    return false;
}

}  // namespace

TEST(SystemText, PathsAreBytesOfTheCodePage) {
    int page = SystemCodePage();
    ASSERT_EQ(page, RegisteredCodePage()) << "the locale of LC_ALL is missing (scripts/common.sh makes it)";
    if (page != 1252 && page != 932) GTEST_SKIP() << "rows for the code pages 1252 and 932 only";
    // A name's bytes in the code page and the characters it has on disk.
    std::string name = page == 1252 ? "\xE9t\xE9" : "\x95\x5C\x93\xFA";
    std::wstring characters = page == 1252 ? L"\u00E9t\u00E9" : L"\u8868\u65E5";
    TempDir dir;
    ASSERT_EQ(MakeDirectory(dir.file(name).c_str()), 0);
    std::wstring wideDir;
    ASSERT_TRUE(WideFromSystem(dir.path(), &wideDir));
    EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::path(wideDir + L"\\" + characters)));
    ASSERT_EQ(RemoveTree(dir.path().c_str(), Record), 0);
    EXPECT_EQ(listed, std::vector<std::string>{name});

    // No character, or no exact way back: refused, not replaced.
    struct Row {
        const char* bytes;
        const wchar_t* characters;
    };
    const Row refused = page == 1252 ? Row{nullptr, L"pw\uFF3C"} : Row{"pw\x82", L"pw\u00A5"};
    if (refused.bytes) {
        errno = 0;
        EXPECT_EQ(MakeDirectory(dir.file(refused.bytes).c_str()), -1);
        EXPECT_EQ(errno, EILSEQ);
    }
    std::string bytes = "x";
    EXPECT_FALSE(SystemFromWide(refused.characters, &bytes));
    EXPECT_EQ(bytes, "");
}
