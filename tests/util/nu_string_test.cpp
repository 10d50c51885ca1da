// NUString: buffer reuse, cuts at UTF-8 boundaries, Format limit, Append.
#include "util/nu_string.h"

#include <gtest/gtest.h>

#include <string>

TEST(NUString, SetKeepsItsBufferWhenLongEnoughAndSetNStopsAtNul) {
    NUString s;
    ASSERT_NE(s.Get(), nullptr);
    EXPECT_STREQ(s.Get(), "");
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ(s.Set(""), 0);
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ(s.Set(nullptr), 0);
    EXPECT_STREQ(s.Get(), "");
    s.Set("abcdef");
    const char* first = s.Get();
    s.Set("xy");
    EXPECT_EQ(s.Get(), first);
    EXPECT_STREQ(s.Get(), "xy");
    s.Set("abcdef");
    EXPECT_STREQ(s.Get(), "abcdef");
    EXPECT_EQ(s.SetN("abcdef", 3), 0);
    EXPECT_STREQ(s.Get(), "abc");
    EXPECT_EQ(s.SetN("ab", 5), 0);
    EXPECT_STREQ(s.Get(), "ab");
}

// Cuts by bytes (SetCutChars false) or by units, with the suffix's room
// reserved before the scan even when the text itself fits. A 4-byte
// character is 2 units unless fourByteIsOne; a character running past the
// cut or the end goes; a truncated character before a whole one is one
// broken byte; only continuation bytes before the cut keep nothing.
TEST(NUString, CutsNeverSplitACharacter) {
    const char* emoji =
        "a\xF0\x9F\x98\x80"
        "b";
    const struct {
        const char* text;
        int max;
        const char* suffix;
        bool chars;
        bool fourByteIsOne;
        const char* expected;
    } rows[] = {
        {"abcdef", 4, "..", false, false, "ab.."},
        {"abc", 4, "..", false, false, "abc"},
        {"\xE3\x81\x82\xE3\x81\x84", 5, "", false, false, "\xE3\x81\x82"},
        {"a\xE3\x81\x82xyz", 4, "", false, false, "a\xE3\x81\x82"},
        {"\x80\x80\x80\x80", 2, "", false, false, ""},
        {"abcdef", 4, "..", true, true, "ab.."},
        {"abcd", 4, "..", true, true, "ab.."},
        {"ab", 4, "..", true, true, "ab"},
        {emoji, 2, "", true, false, "a"},
        {emoji, 2, "", true, true, "a\xF0\x9F\x98\x80"},
        {"ab\xE3\x81", 5, "~", true, true, "ab~"},
        {"abc", 2, "..", true, true, ""},
        {"abc", 1, "..", true, true, ".."},
        {"\xE3"
         "a\xE3\x81\x82",
         3, "~", true, true,
         "\xE3"
         "a~"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.text) + " to " + std::to_string(row.max));
        NUString s;
        if (row.chars) {
            s.SetCutChars(row.text, row.max, row.suffix, row.fourByteIsOne);
        } else {
            s.SetCutBytes(row.text, row.max, row.suffix);
        }
        EXPECT_STREQ(s.Get(), row.expected);
    }
}

TEST(NUString, FormatCutsAtFormatLengthPlus8191) {
    NUString s;
    std::string arg(10000, 'x');
    s.Format("%s", arg.c_str());
    EXPECT_EQ(std::string(s.Get()).size(), 8193u);
    s.Format("%s\xE3\x81\x82", std::string(8194, 'x').c_str());  // cut inside the character
    EXPECT_EQ(std::string(s.Get()), std::string(8194, 'x'));
    EXPECT_EQ(s.Format("%d-%s", 7, "z"), 3);
    EXPECT_STREQ(s.Get(), "7-z");
}

TEST(NUString, CopyCutCharsCutsOnlyWhatDoesNotFit) {
    char out[6];
    CopyCutChars(out, sizeof out, "abc\xE3\x81\x82");  // cut inside the character
    EXPECT_STREQ(out, "abc");
    CopyCutChars(out, sizeof out, "abc\xE3\x81");  // fits: copied as it is
    EXPECT_STREQ(out, "abc\xE3\x81");
    CopyCutChars(out, sizeof out, nullptr);
    EXPECT_STREQ(out, "");
}

TEST(NUString, AppendAndNewlines) {
    NUString s;
    EXPECT_EQ(s.Append(nullptr), 0);
    EXPECT_EQ(s.Append(""), 0);
    EXPECT_TRUE(s.IsEmpty());
    s.Append("a\nb");
    s.Append("\r\n");
    EXPECT_STREQ(s.Get(), "a\nb\r\n");
    s.NewlinesToSpaces();
    EXPECT_STREQ(s.Get(), "a b\r ");
    s.Clear();
    EXPECT_TRUE(s.IsEmpty());
    s.NewlinesToSpaces();
    EXPECT_STREQ(s.Get(), "");
}

TEST(NUString, StoresOfItsOwnText) {
    NUString s;
    ASSERT_EQ(s.Set("abc"), 0);
    s.Format("[%s]", s.Get());
    EXPECT_STREQ(s.Get(), "[abc]");
    ASSERT_EQ(s.Append(s.Get()), 0);
    EXPECT_STREQ(s.Get(), "[abc][abc]");
    ASSERT_EQ(s.Append(s.Get() + 5), 0);
    EXPECT_STREQ(s.Get(), "[abc][abc][abc]");
    ASSERT_EQ(s.SetN(s.Get() + 1, 40), 0);
    EXPECT_STREQ(s.Get(), "abc][abc][abc]");
    ASSERT_EQ(s.Set("abcdefgh"), 0);
    ASSERT_EQ(s.SetCutBytes(s.Get(), 6, s.Get() + 4), 0);
    EXPECT_STREQ(s.Get(), "abefgh");
}
