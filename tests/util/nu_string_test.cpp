// NUString: buffer reuse, cuts at UTF-8 boundaries, Format limit, Append.
#include "util/nu_string.h"

#include <gtest/gtest.h>

#include <string>

TEST(NUString, NewStringIsEmptyAndPointsIntoObject) {
    NUString s;
    ASSERT_NE(s.Get(), nullptr);
    EXPECT_STREQ(s.Get(), "");
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ(s.Set(""), 0);
    EXPECT_STREQ(s.Get(), "");
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ(s.Set(nullptr), 0);
    EXPECT_STREQ(s.Get(), "");
}

TEST(NUString, SetReusesBufferOnlyWhenLongEnough) {
    NUString s;
    s.Set("abcdef");
    const char* first = s.Get();
    s.Set("xy");
    EXPECT_EQ(s.Get(), first);
    EXPECT_STREQ(s.Get(), "xy");
    s.Set("abcdef");
    EXPECT_STREQ(s.Get(), "abcdef");
}

TEST(NUString, SetNPadsAndStopsAtNul) {
    NUString s;
    EXPECT_EQ(s.SetN("abcdef", 3), 0);
    EXPECT_STREQ(s.Get(), "abc");
    EXPECT_EQ(s.SetN("ab", 5), 0);
    EXPECT_STREQ(s.Get(), "ab");
}

TEST(NUString, SetCutBytes) {
    NUString s;
    s.SetCutBytes("abcdef", 4, "..");
    EXPECT_STREQ(s.Get(), "ab..");
    s.SetCutBytes("abc", 4, "..");
    EXPECT_STREQ(s.Get(), "abc");
    // Two 3-byte characters cut at 5 bytes keep only the first.
    s.SetCutBytes("\xE3\x81\x82\xE3\x81\x84", 5, "");
    EXPECT_STREQ(s.Get(), "\xE3\x81\x82");
    // A complete character right before the cut stays.
    s.SetCutBytes("a\xE3\x81\x82xyz", 4, "");
    EXPECT_STREQ(s.Get(), "a\xE3\x81\x82");
    // Only continuation bytes before the cut: nothing is kept.
    s.SetCutBytes("\x80\x80\x80\x80", 2, "");
    EXPECT_STREQ(s.Get(), "");
}

TEST(NUString, SetCutCharsCountsUnits) {
    NUString s;
    s.SetCutChars("abcdef", 4, "..", true);
    EXPECT_STREQ(s.Get(), "ab..");
    // The suffix's room is reserved before the scan, even when the text
    // itself is within maxUnits.
    s.SetCutChars("abcd", 4, "..", true);
    EXPECT_STREQ(s.Get(), "ab..");
    s.SetCutChars("ab", 4, "..", true);
    EXPECT_STREQ(s.Get(), "ab");
    // A 4-byte character is 2 units when fourByteIsOne is false.
    const char* text = "a\xF0\x9F\x98\x80" "b";
    s.SetCutChars(text, 2, "", false);
    EXPECT_STREQ(s.Get(), "a");
    s.SetCutChars(text, 2, "", true);
    EXPECT_STREQ(s.Get(), "a\xF0\x9F\x98\x80");
    // A character running past the end is cut before it.
    s.SetCutChars("ab\xE3\x81", 5, "~", true);
    EXPECT_STREQ(s.Get(), "ab~");
    s.SetCutChars("abc", 2, "..", true);
    EXPECT_STREQ(s.Get(), "");
    s.SetCutChars("abc", 1, "..", true);
    EXPECT_STREQ(s.Get(), "..");
    // A truncated character before a whole one is one broken byte.
    s.SetCutChars("\xE3" "a\xE3\x81\x82", 3, "~", true);
    EXPECT_STREQ(s.Get(), "\xE3" "a~");
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
