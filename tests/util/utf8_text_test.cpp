// UTF-8 text utilities: boundary-safe search and cuts, column trimming,
// blank trimming and the integer and decimal checks.
#include "util/utf8_text.h"

#include <gtest/gtest.h>

#include <string>

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
    EXPECT_EQ(Utf8SequenceLength(0x41), 1);
    EXPECT_EQ(Utf8SequenceLength(0xC2), 2);
    EXPECT_EQ(Utf8SequenceLength(0xE3), 3);
    EXPECT_EQ(Utf8SequenceLength(0xF4), 4);
    EXPECT_EQ(Utf8SequenceLength(0xFB), 5);
    EXPECT_EQ(Utf8SequenceLength(0xFD), 6);
    EXPECT_EQ(Utf8SequenceLength(0x80), -1);
    EXPECT_EQ(Utf8SequenceLength(0xC1), -1);
    EXPECT_EQ(Utf8SequenceLength(0xF5), -1);
    EXPECT_EQ(Utf8SequenceLength(0xFF), -1);
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

TEST(Utf8Text, CutAtByteDropsIncompleteCharacter) {
    std::string text = std::string("ab") + kA3 + "c";
    std::string buffer = text;
    CutAtByte(4, buffer.data(), false);  // inside the three-byte character
    EXPECT_STREQ(buffer.c_str(), "ab");
    buffer = text;
    CutAtByte(5, buffer.data(), false);  // right after it
    EXPECT_EQ(std::string(buffer.c_str()), std::string("ab") + kA3);
    buffer = text;
    CutAtByte(2, buffer.data(), false);
    EXPECT_STREQ(buffer.c_str(), "ab");
    buffer = text;
    CutAtByte(0, buffer.data(), false);
    EXPECT_STREQ(buffer.c_str(), "");
}

TEST(Utf8Text, CutAtBytePastEndDependsOnClamp) {
    // A text ending in a truncated character: without clamp nothing changes,
    // with clamp the cut at the end drops the incomplete character.
    std::string truncated = std::string("ab") + "\xE3\x81";
    std::string buffer = truncated;
    CutAtByte(10, buffer.data(), false);
    EXPECT_EQ(std::string(buffer.c_str()), truncated);
    CutAtByte(10, buffer.data(), true);
    EXPECT_STREQ(buffer.c_str(), "ab");
    buffer = "abc";
    CutAtByte(3, buffer.data(), true);
    EXPECT_STREQ(buffer.c_str(), "abc");
}

TEST(Utf8Text, CutToCharsCountsCharacters) {
    std::string buffer = std::string("a") + kA3 + "b" + kA3;
    EXPECT_TRUE(CutToChars(buffer.data(), 2, false));
    EXPECT_EQ(std::string(buffer.c_str()), std::string("a") + kA3);
    buffer = "abc";
    EXPECT_FALSE(CutToChars(buffer.data(), 3, false));
    EXPECT_STREQ(buffer.c_str(), "abc");
    EXPECT_FALSE(CutToChars(buffer.data(), 0, false));
    EXPECT_STREQ(buffer.c_str(), "");
    EXPECT_FALSE(CutToChars(nullptr, 1, false));
}

TEST(Utf8Text, CutToCharsFourByteCharacters) {
    std::string buffer = kEmoji;
    EXPECT_TRUE(CutToChars(buffer.data(), 1, false));  // counts 2, does not fit
    EXPECT_STREQ(buffer.c_str(), "");
    buffer = std::string(kEmoji) + "x";
    EXPECT_TRUE(CutToChars(buffer.data(), 1, true));
    EXPECT_STREQ(buffer.c_str(), kEmoji);
    buffer = std::string("a") + kEmoji + "b";
    EXPECT_TRUE(CutToChars(buffer.data(), 3, false));
    EXPECT_EQ(std::string(buffer.c_str()), std::string("a") + kEmoji);
}

TEST(Utf8Text, CutToCharsDropsTruncatedSequenceAtEnd) {
    std::string buffer = std::string("ab") + "\xE3\x81";
    EXPECT_TRUE(CutToChars(buffer.data(), 5, false));
    EXPECT_STREQ(buffer.c_str(), "ab");
}

TEST(Utf8Text, BrokenBytesNeverMakeACutSplitACharacter) {
    // A lead byte whose continuation bytes are missing is one broken byte.
    struct Row {
        std::string text;
        int count;
        std::string expected;
    } rows[] = {
        {std::string("\xE3") + "a" + kA3, 2, "\xE3" "a"},
        {std::string("\xE3") + kA3 + "b", 1, "\xE3"},
        {std::string("\xF0\x9F") + kA3, 2, "\xF0\x9F"},
        {std::string("\xE3") + kA3, 2, std::string("\xE3") + kA3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        std::string buffer = row.text;
        CutToChars(buffer.data(), row.count, true);
        EXPECT_EQ(std::string(buffer.c_str()), row.expected);
    }
}

TEST(Utf8Text, CutAtByteKeepsCompleteCharactersBeforeStrayBytes) {
    std::string buffer = "0\xae";
    CutAtByte(2, buffer.data(), true);
    EXPECT_STREQ(buffer.c_str(), "0\xae");
    buffer = std::string(kA3) + "\x80\x80x";
    CutAtByte(4, buffer.data(), false);
    EXPECT_EQ(std::string(buffer.c_str()), std::string(kA3) + "\x80");
    buffer = std::string("0\x80") + "\xE3\x81" + "x";
    CutAtByte(4, buffer.data(), false);  // the incomplete character still goes
    EXPECT_STREQ(buffer.c_str(), "0\x80");
}

TEST(Utf8Text, KeepLastColumnsAscii) {
    std::string text;
    for (int i = 0; i < 70; ++i) text += static_cast<char>('a' + i % 26);
    std::string buffer = text;
    KeepLastColumns(buffer.data());
    EXPECT_EQ(std::string(buffer.c_str()), text.substr(6));
    buffer = text.substr(0, 64);
    KeepLastColumns(buffer.data());
    EXPECT_EQ(std::string(buffer.c_str()), text.substr(0, 64));
}

TEST(Utf8Text, KeepLastColumnsWideCharacters) {
    std::string buffer = Repeat(kA3, 40);  // 120 bytes, 80 columns
    KeepLastColumns(buffer.data());
    EXPECT_EQ(std::string(buffer.c_str()), Repeat(kA3, 32));
    // 23 wide characters (69 bytes, 46 columns) fit whole: unchanged.
    buffer = Repeat(kA3, 23);
    KeepLastColumns(buffer.data());
    EXPECT_EQ(std::string(buffer.c_str()), Repeat(kA3, 23));
    // Half-width kana count one column each.
    buffer = Repeat(kKana, 70);
    KeepLastColumns(buffer.data());
    EXPECT_EQ(std::string(buffer.c_str()), Repeat(kKana, 64));
}

TEST(Utf8Text, KeepLastColumnsDropsWideCharacterThatWouldMake65) {
    // 63 ASCII columns at the end, a wide character before them.
    std::string tail(63, 'z');
    std::string buffer = std::string(kA3) + kA3 + tail;
    KeepLastColumns(buffer.data());
    EXPECT_EQ(std::string(buffer.c_str()), tail);
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

TEST(Utf8Text, IsInteger) {
    EXPECT_TRUE(IsInteger("12"));
    EXPECT_TRUE(IsInteger("007"));
    EXPECT_TRUE(IsInteger("-5"));
    EXPECT_TRUE(IsInteger("12 \t\r\n"));
    EXPECT_FALSE(IsInteger(""));
    EXPECT_FALSE(IsInteger(nullptr));
    EXPECT_FALSE(IsInteger(" 1"));
    EXPECT_FALSE(IsInteger("-"));
    EXPECT_FALSE(IsInteger("- "));
    EXPECT_FALSE(IsInteger("  "));
    EXPECT_FALSE(IsInteger("1-2"));
    EXPECT_FALSE(IsInteger("1.5"));
    EXPECT_FALSE(IsInteger("12 3"));
    EXPECT_FALSE(IsInteger("--1"));
}

TEST(Utf8Text, IsDecimal) {
    EXPECT_TRUE(IsDecimal("1.5"));
    EXPECT_TRUE(IsDecimal("-1.5"));
    EXPECT_TRUE(IsDecimal(".5"));
    EXPECT_TRUE(IsDecimal("42"));
    EXPECT_FALSE(IsDecimal("5."));
    EXPECT_FALSE(IsDecimal("1.-5"));
    EXPECT_FALSE(IsDecimal("1.2.3"));
    EXPECT_FALSE(IsDecimal("a.5"));
    EXPECT_FALSE(IsDecimal("-.5"));
    EXPECT_FALSE(IsDecimal(nullptr));
    // The whole integer part is checked, however long it is.
    EXPECT_TRUE(IsDecimal((std::string(600, '1') + ".5").c_str()));
    EXPECT_FALSE(IsDecimal((std::string(600, '1') + "x.5").c_str()));
}
