// Typed field values: storage and limits of CS3String, character counting,
// user and constant identifiers, integers and flags.
#include "cs3base/field_value.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cs3base/flag_value.h"
#include "cs3base/number_value.h"
#include "env/environment.h"
#include "support/value_rows.h"

namespace {

std::string Repeat(const std::string& unit, int count) {
    std::string s;
    for (int i = 0; i < count; ++i) s += unit;
    return s;
}

const std::string kThreeByte = "\xE3\x81\x82";     // one character, 3 bytes
const std::string kFourByte = "\xF0\x9F\x98\x80";  // counts as two characters

}  // namespace

// ---- CS3String storage ----

TEST(CS3String, ClearOnBoundedValueKeepsZeroedBuffer) {
    CS3String v(6);
    ASSERT_NE(v.Value(), nullptr);  // no buffer yet
    EXPECT_STREQ(v.Value(), "");
    EXPECT_TRUE(v.IsEmpty());
    ASSERT_EQ(v.Set("hello"), 0);
    const char* buffer = v.Value();
    v.Clear();
    EXPECT_TRUE(v.IsEmpty());
    EXPECT_EQ(v.Value(), buffer);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(buffer[i], '\0') << i;
    ASSERT_EQ(v.Set("abc"), 0);
    EXPECT_EQ(v.Value(), buffer);
}

TEST(CS3String, SetNStoresPrefixAndNeverReadsPastTheText) {
    CS3String v(5);
    EXPECT_EQ(v.SetN("abcdefgh", 3), 0);  // long text, short length: the prefix
    EXPECT_STREQ(v.Value(), "abc");
    EXPECT_EQ(v.SetN("xy", 100), 0);  // length beyond the text: the text only
    EXPECT_STREQ(v.Value(), "xy");
    EXPECT_EQ(v.SetN("x", -1), -99);
    // A store asked to write more than the capacity refuses instead of
    // writing past the buffer.
    EXPECT_EQ(v.Store("0123456789", 10), -62);
    EXPECT_STREQ(v.Value(), "xy");

    // Its own text, past its end.
    CS3String unbounded;
    ASSERT_EQ(unbounded.Set("abc"), 0);
    ASSERT_EQ(unbounded.SetN(unbounded.Value(), 10), 0);
    EXPECT_STREQ(unbounded.Value(), "abc");
    ASSERT_EQ(unbounded.SetN(unbounded.Value() + 1, 10), 0);
    EXPECT_STREQ(unbounded.Value(), "bc");
}

TEST(CS3String, UnboundedValueGrowsOnlyForLongerText) {
    CS3String v;
    ASSERT_EQ(v.Set("abcdef"), 0);
    const char* first = v.Value();
    ASSERT_EQ(v.Set("ab"), 0);
    EXPECT_EQ(v.Value(), first);
    EXPECT_STREQ(v.Value(), "ab");
    ASSERT_EQ(v.Set("abcd"), 0);  // longer than the current text: reallocated
    EXPECT_STREQ(v.Value(), "abcd");
    std::string big(5000, 'x');
    ASSERT_EQ(v.Set(big.c_str()), 0);
    EXPECT_EQ(v.Value(), big);
    v.Clear();
    EXPECT_TRUE(v.IsEmpty());
}

TEST(CS3String, CompareIsBytewiseUnsigned) {
    struct Case {
        const char* value;
        const char* text;
        int expected;
    };
    const Case cases[] = {
        {"abc", "abc", 0},  {"abc", "abd", -1},  {"abd", "abc", 1}, {"ab", "abc", -1},
        {"abc", "ab", 1},   {"abc", nullptr, 1}, {"", nullptr, 0},  {"", "", 0},
        {"\xE3", "a", 1},   {"a", "\xE3", -1},
    };
    for (const Case& c : cases) {
        CS3String v;
        v.Set(c.value);
        EXPECT_EQ(v.Compare(c.text), c.expected) << c.value << " vs " << (c.text ? c.text : "null");
    }
    CS3String never;
    EXPECT_EQ(never.Compare(""), 0);
}

TEST(CS3String, AppendWithinCapacityAndOfItsOwnText) {
    CS3String v(6);
    EXPECT_EQ(v.Append(""), 0);
    EXPECT_TRUE(v.IsEmpty());
    EXPECT_EQ(v.Append("ab"), 0);  // no buffer yet: set
    EXPECT_EQ(v.Append("cde"), 0);
    EXPECT_STREQ(v.Value(), "abcde");
    EXPECT_EQ(v.Append("f"), -62);
    EXPECT_STREQ(v.Value(), "abcde");

    // Unbounded: the buffer is reallocated while the appended text is read.
    CS3String unbounded;
    ASSERT_EQ(unbounded.Set("abc"), 0);
    for (int i = 0; i < 8; ++i) ASSERT_EQ(unbounded.Append(unbounded.Value()), 0);
    EXPECT_EQ(unbounded.Value(), Repeat("abc", 256));
    // Bounded: the text is written right behind itself.
    CS3String bounded(16);
    ASSERT_EQ(bounded.Set("abcd"), 0);
    ASSERT_EQ(bounded.Append(bounded.Value()), 0);
    EXPECT_STREQ(bounded.Value(), "abcdabcd");
    ASSERT_EQ(bounded.Append(bounded.Value() + 6), 0);
    EXPECT_STREQ(bounded.Value(), "abcdabcdcd");
}

TEST(CS3String, AsIntReadsDecimalText) {
    struct Case {
        const char* text;
        int expected;
    };
    const Case cases[] = {{"", 0},      {"42", 42},  {"-7", -7},
                          {"12ab", 12}, {"abc", 0},  {"99999999999", INT_MAX},
                          {"-99999999999", INT_MIN}};
    for (const Case& c : cases) {
        CS3String v;
        v.Set(c.text);
        EXPECT_EQ(v.AsInt(), c.expected) << c.text;
    }
}

// Set of each class: the result, and whether the old value is kept, the
// value cleared or the text stored (and how).
TEST(FieldValues, SetRefusesOrStoresPerClass) {
    const std::string chars63 = Repeat(kThreeByte, 63), chars64 = Repeat(kThreeByte, 64);
    const std::string units63 = Repeat(kFourByte, 31) + "a", units64 = Repeat(kFourByte, 32);
    const std::string chars1000 = Repeat(kThreeByte, 1000);
    ExpectSets<CS3String>("bounded", {{"abcd", 0, "abcd"}, {"abcde", -62, "old"}, {nullptr, 0, ""}},
                          5);
    // Characters are counted, not bytes; a four-byte character counts two;
    // a broken sequence is refused, a lone continuation byte stands alone.
    ExpectSets<CS3ShortStr>("short", {{chars63.c_str(), 0, chars63.c_str()},
                                      {chars64.c_str(), -62, "old"},
                                      {units63.c_str(), 0, units63.c_str()},
                                      {units64.c_str(), -62, "old"},
                                      {"\xE3" "a", -1000030, "old"},
                                      {"ab\xE3\x81", -1000030, "old"},
                                      {"\xC3", -1000030, "old"},
                                      {"x\xF0\x9F\x98", -1000030, "old"},
                                      {"a\x80z", 0, "a\x80z"}});
    ExpectSets<CXioLCString>("no character limit", {{chars1000.c_str(), 0, chars1000.c_str()}});
    ExpectSets<CS3LongStrH>("required",
                            {{"name", 0, "name"}, {"", -10006, "old"}, {nullptr, -10006, "old"}});
    // User identifiers: accepted characters folded to lower case; any other
    // clears the value.
    ExpectSets<CS3UidStr>("user id", {{"John.Doe-42", 0, "john.doe-42"},
                                      {"A=b@C[d]^_`z", 0, "a=b@c[d]^_`z"},
                                      {"john doe", -10007, ""},
                                      {"a/b", -10007, ""},
                                      {"x*y", -10007, ""},
                                      {"caf\xC3\xA9", -10007, ""},
                                      {"tab\t", -10007, ""}});
    ExpectSets<CS3UidSpaceStr>("user id with spaces",
                               {{"John Doe", 0, "john doe"}, {"a/b", -10007, ""}});
    ExpectSets<CS3Int>("int", {{"123456789", 0, "123456789"},
                               {"-123456789", 0, "-123456789"},
                               {"1234567890", -63, "old"},
                               {"-1234567890", -63, "old"},
                               {"1.5", -13009, "old"},
                               {".5", -13009, "old"},
                               {"12a", -13006, "old"},
                               {" 12", -13006, "old"},
                               {"-", -13006, "old"},
                               {"1-2", -13006, "old"},
                               {"", 0, ""},
                               {"0", 0, "0"}});
    ExpectSets<CS3Double>("double",
                          {{"123456789012", 0, "123456789012"}, {"1234567890123", -63, "old"}});
    ExpectSets<CS3Id>("id", {{"abc", -13006, "old"}, {"123", 0, "123"}});
    ExpectSets<CS3Id>("text id", {{"ab c  ", 0, "ab c"},
                                  {"0123456789", 0, "0123456789"},  // 10 bytes below capacity 11
                                  {"01234567890", -62, "old"},
                                  {nullptr, 0, ""}},
                      1);
    ExpectSets<AppIntPositive>("positive", {{"5", 0, "5"}, {"-5", -64, ""}, {"0", 0, "0"}});
    ExpectSets<AppDstMin>("daylight minutes",
                          {{"on", 0, "60"}, {"off", 0, "0"}, {"0", 0, "0"}, {"00", 0, "0"},
                           {"5", 0, "60"}, {"-30", 0, "60"}, {"60", 0, "60"}, {"", 0, ""},
                           {"maybe", -13006, "old"}, {"1.5", -13006, "old"}});
    ExpectSets<CS3FixedInt>("fixed digits",
                            {{"1234", 0, "1234"}, {"", 0, ""}, {"123", -10007, ""},
                             {"12a4", -10007, ""}, {"12345", -62, "old"}, {"123 ", -10007, ""},
                             {"-123", -10007, ""}},
                            5);
    // Flags: trailing blanks are cut; each class has its set and its way of
    // refusing (value cleared, refused text kept, old value kept).
    ExpectSets<CS3FlgStr>(
        "flag", {{"ab \t\r\n", 0, "ab"}, {"1234567", 0, "1234567"}, {"12345678", -62, "old"}});
    ExpectSets<CS3AccessKindFlg>("access kind", {{"xyz  ", 0, "xyz"}});
    ExpectSets<CS3LoginFlg>("login", {{"3", 0, "3"}, {"0", 0, "0"}, {"4", -10007, "4"}});
    ExpectSets<CS3LevelFlg>("level",
                            {{"0", 0, "0"}, {"1", 0, "1"}, {"2", -10007, ""}, {"x", 0, "x"}});
    ExpectSets<CS3InspectFlg>("inspect", {{"1", 0, "1"}, {"-1", -10007, ""}});
    ExpectSets<ZGenderFlg>("gender", {{"f", 0, "f"}, {"F", -10007, ""}, {"o ", -10007, ""}});
    ExpectSets<ZDisplaySizeFlg>("display size", {{"3", 0, "3"}, {"4", -10007, ""}});
    ExpectSets<ZMenuStyleFlg>("menu style", {{"2", 0, "2"}, {"3", -10007, "old"}});
    ExpectSets<ZAreaFlg>("area", {{"P", 0, "P"}, {"X", -10007, "old"}});
    ExpectSets<ZAddrTargetFlg>("address target", {{"2", 0, "2"}, {"3", -10007, ""}});
}

TEST(FieldValues, SettersBesideSet) {
    CS3Int number;
    EXPECT_EQ(number.SetInt(-42), 0);
    EXPECT_STREQ(number.Value(), "-42");
    EXPECT_EQ(number.AsInt(), -42);
    CS3Double v;
    EXPECT_EQ(v.SetDouble(1234.6), 0);
    EXPECT_STREQ(v.Value(), "1235");
    EXPECT_EQ(v.SetDouble(-0.2), 0);
    EXPECT_STREQ(v.Value(), "-0");
    EXPECT_EQ(v.SetDouble(1e20), -63);
    AppIntPositive positive;
    EXPECT_EQ(positive.SetInt(-1), -64);

    CS3LoginFlg login;
    login.Set("2");
    login.Clear();
    EXPECT_STREQ(login.Value(), "0");
    ZDisplaySizeFlg size;
    size.Set("3");
    EXPECT_TRUE(size.IsLarge());
    size.Set("1");
    EXPECT_FALSE(size.IsLarge());
    ZAreaFlg area;
    EXPECT_EQ(area.SetDefault(), 0);
    EXPECT_STREQ(area.Value(), "S");
}

// ---- Character-limited strings ----

TEST(CXioLCString, CapacitiesOfTheStringClasses) {
    struct Case {
        std::function<CXioLCString*()> make;
        int maxChars;
        int capacity;
    };
    const std::vector<Case> cases = {
        {[] { return new CS3ShortStr; }, 63, 253},   {[] { return new CS3MiddleStr; }, 127, 509},
        {[] { return new CS3LongStr; }, 255, 1021},  {[] { return new ZString; }, 511, 2045},
        {[] { return new ZString511; }, 511, 2045},  {[] { return new CS3LongStrH; }, 255, 1021},
        {[] { return new CS3UidStrDB; }, 255, 1021}, {[] { return new CS3UidStr; }, 63, 253},
    };
    for (const Case& c : cases) {
        std::unique_ptr<CXioLCString> v(c.make());
        EXPECT_EQ(v->MaxChars(), c.maxChars);
        EXPECT_EQ(v->Capacity(), c.capacity);
        EXPECT_EQ(v->Set(std::string(c.maxChars, 'a').c_str()), 0);
        EXPECT_EQ(v->Set(std::string(c.maxChars + 1, 'a').c_str()), -62);
    }
    ZString511 z;
    EXPECT_EQ(z.ByteLimit(), 2044);
}

TEST(CXioLCString, ResetAdoptsMaximumOnlyBeforeFirstStore) {
    CXioLCString v;
    EXPECT_EQ(v.Capacity(), 0);
    v.Reset(3);
    EXPECT_EQ(v.MaxChars(), 3);
    EXPECT_EQ(v.Capacity(), 13);
    EXPECT_EQ(v.Set("abcd"), -62);
    ASSERT_EQ(v.Set("abc"), 0);
    const char* buffer = v.Value();
    v.Reset(10);  // buffer exists: the maximum stays
    EXPECT_EQ(v.MaxChars(), 3);
    EXPECT_TRUE(v.IsEmpty());
    EXPECT_EQ(v.Value(), buffer);
    v.Set("xyz");
    v.Clear();
    EXPECT_TRUE(v.IsEmpty());
    EXPECT_EQ(v.Value(), buffer);
}

TEST(CXioLCString, LengthViolationReplacesUserMessage) {
    ASSERT_EQ(CreateAppEnvironment(), 0);
    CMSioObjApp* env = AppEnvironment();
    ASSERT_NE(env, nullptr);
    // Without a catalog the message text is empty, and it replaces the old one.
    env->UserMessage().Set("earlier message");
    CS3ShortStr chars;
    EXPECT_EQ(chars.Set(std::string(64, 'a').c_str()), -62);
    EXPECT_STREQ(env->UserMessage().Get(), "");

    env->UserMessage().Set("earlier message");
    CS3String bytes(4);
    EXPECT_EQ(bytes.Set("abcd"), -62);
    EXPECT_STREQ(env->UserMessage().Get(), "");

    env->UserMessage().Set("kept");
    CS3Int number;
    EXPECT_EQ(number.Set("12x"), -13006);  // other refusals leave it alone
    EXPECT_STREQ(env->UserMessage().Get(), "kept");
    ReleaseEnvironment();
}

// ---- Constant identifiers (company 1 of a fresh environment) ----

class ConstIdTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(CreateAppEnvironment(), 0); }
    void TearDown() override { ReleaseEnvironment(); }
};

TEST_F(ConstIdTest, SetChecksLengthAndDigits) {
    const std::string tooLong(87, '0'), orgTooLong(60, '0');
    ExpectSets<CS3ConstIDStr>("constant id", {{"000000001001", 0, "000000001001"},
                                              {"000000001", 0, "000000001"},
                                              {"0000000010012", -66, ""},
                                              {"00000000100a", -65, ""},
                                              {"-00000001001", -65, ""},
                                              {"00000001", -10007, "old"},
                                              {"", -10006, "old"},
                                              {tooLong.c_str(), -62, "old"}});
    ExpectSets<CS3OrgConstIDStr>("organisation id", {{"", 0, ""},
                                                     {"1234", -10007, "old"},
                                                     {"000000001001", 0, "000000001001"},
                                                     {orgTooLong.c_str(), -62, "old"}});
    EXPECT_EQ(CS3OrgConstIDStr().Capacity(), 60);
}

TEST_F(ConstIdTest, HierarchyOperations) {
    CS3ConstIDStr v;
    ASSERT_EQ(v.SetFromRelative("001002"), 0);
    EXPECT_STREQ(v.Value(), "000000001001002");
    EXPECT_STREQ(v.RelativePart(), "001002");
    EXPECT_FALSE(v.IsRoot());
    EXPECT_EQ(v.SetParent(), 0);
    EXPECT_STREQ(v.Value(), "000000001001");
    EXPECT_EQ(v.SetParent(), 0);
    EXPECT_STREQ(v.Value(), "000000001");
    EXPECT_TRUE(v.IsRoot());
    EXPECT_STREQ(v.RelativePart(), "");
    EXPECT_EQ(v.SetParent(), -10006);  // the root has no parent

    EXPECT_EQ(v.SetFromRelative(std::string(1024, '0').c_str()), -62);
    EXPECT_EQ(v.SetFromRelative(""), 0);
    EXPECT_TRUE(v.IsEmpty());
}

TEST_F(ConstIdTest, DisplayForm) {
    CS3ConstIDStr v;
    NUString out;
    EXPECT_EQ(v.DisplayForm("Sales", out), 0);
    EXPECT_STREQ(out.Get(), "000000001 Sales");
    std::string longest(75, 'n');
    EXPECT_EQ(v.DisplayForm(longest.c_str(), out), 0);
    EXPECT_EQ(std::string(out.Get()), "000000001 " + longest);
    EXPECT_EQ(v.DisplayForm(std::string(76, 'n').c_str(), out), 0);
    EXPECT_STREQ(out.Get(), "");
    v.Set("000000001001");
    EXPECT_EQ(v.DisplayForm("Sales", out), 0);
    EXPECT_STREQ(out.Get(), "000000001001");
}

TEST(ConstIdNoEnvironment, CompanyZeroWithoutEnvironment) {
    CS3ConstIDStr v;
    ASSERT_EQ(v.SetFromRelative("005"), 0);
    EXPECT_STREQ(v.Value(), "000000000005");
    v.Set("000000000");
    EXPECT_TRUE(v.IsRoot());
    // A value of 8 characters or fewer has no relative part and is cleared.
    CS3ConstIDStr shortValue;
    shortValue.CS3String::Set("12345678");
    EXPECT_STREQ(shortValue.RelativePart(), "");
    EXPECT_TRUE(shortValue.IsEmpty());
}
