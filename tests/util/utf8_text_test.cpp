// UTF-8 text utilities: boundary-safe search and cuts, column trimming,
// blank trimming and the integer and decimal checks.
#include "util/utf8_text.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

// "あ" E3 81 82, "ｱ" (half-width) EF BD B1, "😀" F0 9F 98 80.
const char kA3[] = "\xE3\x81\x82";
const char kKana[] = "\xEF\xBD\xB1";
const char kEmoji[] = "\xF0\x9F\x98\x80";

std::string Repeat(const std::string& unit, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += unit;
    return out;
}

}  // namespace

TEST(Utf8Text, SequenceLengthFollowsLeadByteTable) {
    for (auto [lead, length] : {std::pair{0x41, 1},
                                {0xC2, 2},
                                {0xE3, 3},
                                {0xF4, 4},
                                {0xFB, 5},
                                {0xFD, 6},
                                {0x80, -1},
                                {0xC1, -1},
                                {0xF5, -1},
                                {0xFF, -1}}) {
        EXPECT_EQ(Utf8SequenceLength(lead), length) << lead;
    }
}

TEST(Utf8Text, HalfWidthKanaRange) {
    EXPECT_TRUE(IsHalfWidthKana("\xEF\xBD\xA1"));
    EXPECT_TRUE(IsHalfWidthKana("\xEF\xBE\x9F"));
    EXPECT_FALSE(IsHalfWidthKana("\xEF\xBD\xA0"));
    EXPECT_FALSE(IsHalfWidthKana("\xEF\xBE\xA0"));
    EXPECT_FALSE(IsHalfWidthKana(kA3));
    EXPECT_FALSE(IsHalfWidthKana("\xEF"));  // stops at the terminating zero
    EXPECT_FALSE(IsHalfWidthKana(nullptr));
}

TEST(Utf8Text, FindTextMatchesOnlyAtCharacterBoundaries) {
    std::string hay = std::string("x") + kA3 + "y";
    // The last two bytes of the three-byte character are not a match.
    EXPECT_EQ(FindText(hay.c_str(), "\x81\x82"), nullptr);
    EXPECT_EQ(FindText(hay.c_str(), kA3), hay.c_str() + 1);
    EXPECT_EQ(FindText(hay.c_str(), "y"), hay.c_str() + 4);
    EXPECT_EQ(FindText(hay.c_str(), "yz"), nullptr);
    EXPECT_EQ(FindText("abc", "abcd"), nullptr);
    EXPECT_EQ(FindText(static_cast<const char*>(nullptr), "a"), nullptr);
    EXPECT_EQ(FindText("a", nullptr), nullptr);
    EXPECT_EQ(FindText("", ""), nullptr);
    // A byte that cannot lead steps over two bytes.
    const char stray[] = "\x80xab";
    EXPECT_EQ(FindText(stray, "x"), nullptr);
    EXPECT_EQ(FindText(stray, "a"), stray + 2);
}

TEST(Utf8Text, FindTextNoCaseFoldsAsciiOnly) {
    const char hay[] = "Data/SERVER.txt";
    EXPECT_EQ(FindTextNoCase(hay, "server"), hay + 5);
    EXPECT_EQ(FindTextNoCase(hay, ".TXT"), hay + 11);
    EXPECT_EQ(FindText(hay, "server"), nullptr);
    EXPECT_EQ(FindTextNoCase(hay, "servers"), nullptr);
    char writable[] = "aBc";
    EXPECT_EQ(FindTextNoCase(writable, "bC"), writable + 1);
}

TEST(Utf8Text, CutsNeverSplitACharacter) {
    const std::string abA3c = std::string("ab") + kA3 + "c";
    const std::string truncated = "ab\xE3\x81";
    struct Row {
        std::string text;
        size_t position;  // CutAtByte
        int count;        // CutToChars, with the flag as fourByteAsOne
        bool flag;        // clamp for CutAtByte
        std::string cutAt;
        std::string cutTo;
        bool cut;
    } rows[] = {
        // Inside the three-byte character, right after it, before it, at 0.
        {abA3c, 4, 2, false, "ab", "ab", true},
        {abA3c, 5, 3, false, std::string("ab") + kA3, std::string("ab") + kA3, true},
        {abA3c, 2, 4, false, "ab", abA3c, false},
        {abA3c, 0, 0, false, "", "", false},
        // Past the end: without clamp nothing changes; with clamp the
        // incomplete character at the end goes, as it does for CutToChars.
        {truncated, 10, 5, false, truncated, "ab", true},
        {truncated, 10, 5, true, "ab", "ab", true},
        {"abc", 3, 3, true, "abc", "abc", false},
        // A four-byte character counts 2 unless fourByteAsOne.
        {kEmoji, 4, 1, false, kEmoji, "", true},
        {std::string(kEmoji) + "x", 4, 1, true, kEmoji, kEmoji, true},
        {std::string("a") + kEmoji + "b", 3, 3, false, "a", std::string("a") + kEmoji, true},
        // A lead byte whose continuation bytes are missing is one broken
        // byte; a complete character before stray bytes stays.
        {std::string("\xE3") + "a" + kA3, 2, 2, true, "\xE3" "a", "\xE3" "a", true},
        {std::string("\xE3") + kA3 + "b", 1, 1, true, "", "\xE3", true},
        {std::string("\xF0\x9F") + kA3, 2, 2, true, "", "\xF0\x9F", true},
        {std::string("\xE3") + kA3, 4, 2, true, std::string("\xE3") + kA3, std::string("\xE3") + kA3, false},
        {"0\xae", 2, 2, true, "0\xae", "0\xae", false},
        {std::string(kA3) + "\x80\x80x", 4, 1, false, std::string(kA3) + "\x80", kA3, true},
        {"0\x80\xE3\x81x", 4, 9, false, "0\x80", "0\x80\xE3\x81x", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text + " at " + std::to_string(row.position) + " to " + std::to_string(row.count));
        std::string buffer = row.text;
        CutAtByte(row.position, buffer.data(), row.flag);
        EXPECT_EQ(std::string(buffer.c_str()), row.cutAt);
        buffer = row.text;
        EXPECT_EQ(CutToChars(buffer.data(), row.count, row.flag), row.cut);
        EXPECT_EQ(std::string(buffer.c_str()), row.cutTo);
    }
    EXPECT_FALSE(CutToChars(nullptr, 1, false));
}

// The last 64 columns of a text are kept; wide characters count two
// columns, half-width kana one, and a wide character that would make 65 goes.
TEST(Utf8Text, KeepLastColumns) {
    std::string ascii;
    for (int i = 0; i < 70; ++i) ascii += static_cast<char>('a' + i % 26);
    const struct {
        std::string text;
        std::string kept;
    } rows[] = {
        {ascii, ascii.substr(6)},
        {ascii.substr(0, 64), ascii.substr(0, 64)},
        {Repeat(kA3, 40), Repeat(kA3, 32)},  // 120 bytes, 80 columns
        {Repeat(kA3, 23), Repeat(kA3, 23)},  // 69 bytes, 46 columns: unchanged
        {Repeat(kKana, 70), Repeat(kKana, 64)},
        {std::string(kA3) + kA3 + std::string(63, 'z'), std::string(63, 'z')},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        std::string buffer = row.text;
        KeepLastColumns(buffer.data());
        EXPECT_EQ(std::string(buffer.c_str()), row.kept);
    }
}

TEST(Utf8Text, TrimTrailingSpace) {
    char text[] = " a b \t\r\n ";
    TrimTrailingSpace(text);
    EXPECT_STREQ(text, " a b");
    char blank[] = " \t";
    TrimTrailingSpace(blank);
    EXPECT_STREQ(blank, "");
    TrimTrailingSpace(nullptr);
}

TEST(Utf8Text, IntegersAndDecimals) {
    struct Row {
        std::string text;
        bool integer;
        bool decimal;
    } rows[] = {
        {"12", true, true},        {"007", true, true},     {"-5", true, true},
        {"12 \t\r\n", true, true}, {"", false, false},      {" 1", false, false},
        {"-", false, false},       {"- ", false, false},    {"  ", false, false},
        {"1-2", false, false},     {"12 3", false, false},  {"--1", false, false},
        {"1.5", false, true},      {"-1.5", false, true},   {".5", false, true},
        {"5.", false, false},      {"1.-5", false, false},  {"1.2.3", false, false},
        {"a.5", false, false},     {"-.5", false, false},
        // The whole integer part is checked, however long it is.
        {std::string(600, '1') + ".5", false, true},
        {std::string(600, '1') + "x.5", false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(IsInteger(row.text.c_str()), row.integer);
        EXPECT_EQ(IsDecimal(row.text.c_str()), row.decimal);
    }
    EXPECT_FALSE(IsInteger(nullptr));
    EXPECT_FALSE(IsDecimal(nullptr));
}
