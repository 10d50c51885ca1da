// UTF-8 text utilities: boundary-safe search and cuts, column trimming,
// blank trimming and the integer and decimal checks.
#include "util/utf8_text.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

// "あ" E3 81 82, "ｱ" (half-width) EF BD B1.
const char kA3[] = "\xE3\x81\x82";
const char kKana[] = "\xEF\xBD\xB1";

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

// The differential sweep checks the search and the cuts against references
// written from their rules (its rows "UTF-8 search and cut" and "UTF-8
// steps after every byte"); here, missing texts, which it never passes, and
// writable text.
TEST(Utf8Text, SearchAndCutOfMissingOrWritableText) {
    EXPECT_EQ(FindText(static_cast<const char*>(nullptr), "a"), nullptr);
    EXPECT_EQ(FindText("a", nullptr), nullptr);
    char writable[] = "aBc";
    EXPECT_EQ(FindTextNoCase(writable, "bC"), writable + 1);
    EXPECT_EQ(FindText(writable, "Bc"), writable + 1);
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
