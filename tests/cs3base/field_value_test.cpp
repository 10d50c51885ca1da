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

namespace {

std::string Repeat(const std::string& unit, int count) {
    std::string s;
    for (int i = 0; i < count; ++i) s += unit;
    return s;
}

const std::string kThreeByte = "\xE3\x81\x82";      // one character, 3 bytes
const std::string kFourByte = "\xF0\x9F\x98\x80";   // counts as two characters

}  // namespace

// ---- CS3String storage ----

TEST(CS3String, UnsetValueReadsEmpty) {
    CS3String v(8);
    ASSERT_NE(v.Value(), nullptr);
    EXPECT_STREQ(v.Value(), "");
    EXPECT_TRUE(v.IsEmpty());
    EXPECT_EQ(v.Set(nullptr), 0);
    EXPECT_STREQ(v.Value(), "");
    EXPECT_TRUE(v.IsEmpty());
}

TEST(CS3String, BoundedValueRefusesTextAtCapacityAndKeepsOldText) {
    CS3String v(5);
    EXPECT_EQ(v.Set("abcd"), 0);
    EXPECT_STREQ(v.Value(), "abcd");
    EXPECT_EQ(v.Set("abcde"), -62);
    EXPECT_STREQ(v.Value(), "abcd");
    EXPECT_EQ(v.SetN("x", -1), -99);
    EXPECT_STREQ(v.Value(), "abcd");
}

TEST(CS3String, SetNStoresPrefixAndNeverReadsPastTheText) {
    CS3String v(5);
    EXPECT_EQ(v.SetN("abcdefgh", 3), 0);  // long text, short length: the prefix
    EXPECT_STREQ(v.Value(), "abc");
    EXPECT_EQ(v.SetN("xy", 100), 0);      // length beyond the text: the text only
    EXPECT_STREQ(v.Value(), "xy");
    // A store asked to write more than the capacity refuses instead of
    // writing past the buffer.
    EXPECT_EQ(v.Store("0123456789", 10), -62);
    EXPECT_STREQ(v.Value(), "xy");
}

TEST(CS3String, ClearOnBoundedValueKeepsZeroedBuffer) {
    CS3String v(6);
    ASSERT_EQ(v.Set("hello"), 0);
    const char* buffer = v.Value();
    v.Clear();
    EXPECT_TRUE(v.IsEmpty());
    EXPECT_EQ(v.Value(), buffer);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(buffer[i], '\0') << i;
    ASSERT_EQ(v.Set("abc"), 0);
    EXPECT_EQ(v.Value(), buffer);
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
        {"abc", "abc", 0},  {"abc", "abd", -1}, {"abd", "abc", 1},  {"ab", "abc", -1},
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

TEST(CS3String, AppendWithinCapacity) {
    CS3String v(6);
    EXPECT_EQ(v.Append(""), 0);
    EXPECT_TRUE(v.IsEmpty());
    EXPECT_EQ(v.Append("ab"), 0);  // no buffer yet: set
    EXPECT_EQ(v.Append("cde"), 0);
    EXPECT_STREQ(v.Value(), "abcde");
    EXPECT_EQ(v.Append("f"), -62);
    EXPECT_STREQ(v.Value(), "abcde");
}

TEST(CS3String, AppendOfItsOwnText) {
    // Unbounded: the buffer is reallocated while the appended text is read.
    CS3String unbounded;
    ASSERT_EQ(unbounded.Set("abc"), 0);
    for (int i = 0; i < 8; ++i) ASSERT_EQ(unbounded.Append(unbounded.Value()), 0);
    std::string expected;
    for (int i = 0; i < 256; ++i) expected += "abc";
    EXPECT_EQ(unbounded.Value(), expected);
    // Bounded: the text is written right behind itself.
    CS3String bounded(16);
    ASSERT_EQ(bounded.Set("abcd"), 0);
    ASSERT_EQ(bounded.Append(bounded.Value()), 0);
    EXPECT_STREQ(bounded.Value(), "abcdabcd");
    ASSERT_EQ(bounded.Append(bounded.Value() + 6), 0);
    EXPECT_STREQ(bounded.Value(), "abcdabcdcd");
}

TEST(CS3String, SetNOfItsOwnTextPastItsEnd) {
    CS3String unbounded;
    ASSERT_EQ(unbounded.Set("abc"), 0);
    ASSERT_EQ(unbounded.SetN(unbounded.Value(), 10), 0);
    EXPECT_STREQ(unbounded.Value(), "abc");
    ASSERT_EQ(unbounded.SetN(unbounded.Value() + 1, 10), 0);
    EXPECT_STREQ(unbounded.Value(), "bc");
}

TEST(CS3String, AsIntReadsDecimalText) {
    struct Case {
        const char* text;
        int expected;
    };
    const Case cases[] = {{"", 0},     {"42", 42},         {"-7", -7},
                          {"12ab", 12}, {"abc", 0},        {"99999999999", INT_MAX},
                          {"-99999999999", INT_MIN}};
    for (const Case& c : cases) {
        CS3String v;
        v.Set(c.text);
        EXPECT_EQ(v.AsInt(), c.expected) << c.text;
    }
}

// ---- Character-limited strings ----

TEST(CXioLCString, ShortStrCountsCharactersNotBytes) {
    CS3ShortStr v;
    EXPECT_EQ(v.Capacity(), 253);
    std::string max = Repeat(kThreeByte, 63);
    EXPECT_EQ(v.Set(max.c_str()), 0);
    EXPECT_EQ(std::string(v.Value()).size(), 189u);
    std::string over = Repeat(kThreeByte, 64);
    EXPECT_EQ(v.Set(over.c_str()), -62);
    EXPECT_EQ(v.Value(), max);  // refused before storing
}

TEST(CXioLCString, FourByteCharacterCountsTwo) {
    CS3ShortStr v;
    std::string fits = Repeat(kFourByte, 31) + "a";  // 63 units
    EXPECT_EQ(v.Set(fits.c_str()), 0);
    std::string over = Repeat(kFourByte, 32);  // 64 units
    EXPECT_EQ(v.Set(over.c_str()), -62);
}

TEST(CXioLCString, BrokenSequencesAreRefused) {
    const char* broken[] = {"\xE3" "a", "ab\xE3\x81", "\xC3", "x\xF0\x9F\x98"};
    for (const char* text : broken) {
        CS3ShortStr v;
        v.Set("keep");
        EXPECT_EQ(v.Set(text), -1000030);
        EXPECT_STREQ(v.Value(), "keep");
    }
    CS3ShortStr stray;  // a lone continuation byte stands alone
    EXPECT_EQ(stray.Set("a\x80z"), 0);
}

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

TEST(CXioLCString, ZeroMaximumMeansNoCharacterLimit) {
    CXioLCString v;
    std::string big = Repeat(kThreeByte, 1000);
    EXPECT_EQ(v.Set(big.c_str()), 0);
    EXPECT_EQ(v.Value(), big);
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

TEST(CS3LongStrH, EmptyTextIsRefused) {
    CS3LongStrH v;
    v.Set("name");
    EXPECT_EQ(v.Set(""), -10006);
    EXPECT_EQ(v.Set(nullptr), -10006);
    EXPECT_STREQ(v.Value(), "name");
}

// ---- User identifiers ----

// Accepted characters are folded to lower case; any other clears the value.
TEST(CS3UidStr, CharactersAndCase) {
    const struct {
        bool spaces;
        const char* text;
        int result;
        const char* stored;
    } rows[] = {
        {false, "John.Doe-42", 0, "john.doe-42"}, {false, "A=b@C[d]^_`z", 0, "a=b@c[d]^_`z"},
        {false, "john doe", -10007, ""},          {false, "a/b", -10007, ""},
        {false, "x*y", -10007, ""},               {false, "caf\xC3\xA9", -10007, ""},
        {false, "tab\t", -10007, ""},             {true, "John Doe", 0, "john doe"},
        {true, "a/b", -10007, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        std::unique_ptr<CS3UidStr> v(row.spaces ? new CS3UidSpaceStr : new CS3UidStr);
        v->Set("old");
        EXPECT_EQ(v->Set(row.text), row.result);
        EXPECT_STREQ(v->Value(), row.stored);
    }
}

// ---- Integers ----

struct IntCase {
    const char* text;
    int expected;
};

TEST(CS3Int, DigitLimitsAndRefusals) {
    const IntCase cases[] = {
        {"123456789", 0}, {"-123456789", 0}, {"1234567890", -63}, {"-1234567890", -63},
        {"1.5", -13009},  {".5", -13009},    {"12a", -13006},     {" 12", -13006},
        {"-", -13006},    {"1-2", -13006},   {"", 0},             {"0", 0},
    };
    for (const IntCase& c : cases) {
        CS3Int v;
        v.Set("7");
        int ret = v.Set(c.text);
        EXPECT_EQ(ret, c.expected) << c.text;
        if (ret == 0) {
            EXPECT_STREQ(v.Value(), c.text);
        } else {
            EXPECT_STREQ(v.Value(), "7") << c.text;  // refused before storing
        }
    }
    CS3Int v;
    EXPECT_EQ(v.SetInt(-42), 0);
    EXPECT_STREQ(v.Value(), "-42");
    EXPECT_EQ(v.AsInt(), -42);
}

TEST(CS3Double, TwelveDigitsAndRoundedDoubles) {
    CS3Double v;
    EXPECT_EQ(v.Set("123456789012"), 0);
    EXPECT_EQ(v.Set("1234567890123"), -63);
    EXPECT_EQ(v.SetDouble(1234.6), 0);
    EXPECT_STREQ(v.Value(), "1235");
    EXPECT_EQ(v.SetDouble(-0.2), 0);
    EXPECT_STREQ(v.Value(), "-0");
    EXPECT_EQ(v.SetDouble(1e20), -63);
}

TEST(CS3Id, NumberModeIsAnInteger) {
    CS3Id id;
    EXPECT_FALSE(id.IsTextMode());
    EXPECT_EQ(id.Set("abc"), -13006);
    EXPECT_EQ(id.SetInt(123), 0);
    EXPECT_STREQ(id.Value(), "123");
}

TEST(CS3Id, TextModeStoresTrimmedText) {
    CS3Id id(1);
    EXPECT_TRUE(id.IsTextMode());
    EXPECT_EQ(id.Set("ab c  "), 0);
    EXPECT_STREQ(id.Value(), "ab c");
    EXPECT_EQ(id.Set("0123456789"), 0);  // 10 bytes below capacity 11
    EXPECT_EQ(id.Set("01234567890"), -62);
    EXPECT_STREQ(id.Value(), "0123456789");
    EXPECT_EQ(id.Set(nullptr), 0);
    EXPECT_TRUE(id.IsEmpty());
}

TEST(AppIntPositive, NegativeValueIsClearedAndRefused) {
    AppIntPositive v;
    EXPECT_EQ(v.Set("5"), 0);
    EXPECT_EQ(v.Set("-5"), -64);
    EXPECT_TRUE(v.IsEmpty());
    EXPECT_EQ(v.Set("0"), 0);
    EXPECT_EQ(v.SetInt(-1), -64);
}

TEST(AppDstMin, DaylightMinutesAreZeroOrSixty) {
    struct Case {
        const char* text;
        int expected;
        const char* stored;
    };
    const Case cases[] = {
        {"on", 0, "60"}, {"off", 0, "0"},  {"0", 0, "0"},        {"00", 0, "0"},
        {"5", 0, "60"},  {"-30", 0, "60"}, {"60", 0, "60"},      {"", 0, ""},
        {"maybe", -13006, "old"},          {"1.5", -13006, "old"},
    };
    for (const Case& c : cases) {
        AppDstMin v;
        v.CS3String::Set("old");
        EXPECT_EQ(v.Set(c.text), c.expected) << c.text;
        EXPECT_STREQ(v.Value(), c.stored) << c.text;
    }
}

TEST(CS3FixedInt, ExactlyCapacityMinusOneDigits) {
    struct Case {
        const char* text;
        int expected;
        const char* stored;
    };
    const Case cases[] = {
        {"1234", 0, "1234"}, {"", 0, ""},        {"123", -10007, ""},
        {"12a4", -10007, ""}, {"12345", -62, "old"}, {"123 ", -10007, ""},
        {"-123", -10007, ""},
    };
    for (const Case& c : cases) {
        CS3FixedInt v(5);
        v.CS3String::Set("old");
        EXPECT_EQ(v.Set(c.text), c.expected) << c.text;
        EXPECT_STREQ(v.Value(), c.stored) << c.text;
    }
}

// ---- Constant identifiers (company 1 of a fresh environment) ----

class ConstIdTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(CreateAppEnvironment(), 0); }
    void TearDown() override { ReleaseEnvironment(); }
};

TEST_F(ConstIdTest, SetChecksLengthAndDigits) {
    struct Case {
        const char* text;
        int expected;
        const char* stored;
    };
    const Case cases[] = {
        {"000000001001", 0, "000000001001"},
        {"000000001", 0, "000000001"},
        {"0000000010012", -66, ""},
        {"00000000100a", -65, ""},
        {"-00000001001", -65, ""},
        {"00000001", -10007, "old"},
        {"", -10006, "old"},
    };
    for (const Case& c : cases) {
        CS3ConstIDStr v;
        v.CS3String::Set("old");
        EXPECT_EQ(v.Set(c.text), c.expected) << c.text;
        EXPECT_STREQ(v.Value(), c.stored) << c.text;
    }
    CS3ConstIDStr v;
    EXPECT_EQ(v.Set(std::string(87, '0').c_str()), -62);
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

TEST(CS3OrgConstIDStr, EmptyAllowedAndByteLimit) {
    CS3OrgConstIDStr v;
    EXPECT_EQ(v.Capacity(), 60);
    EXPECT_EQ(v.Set(""), 0);
    EXPECT_TRUE(v.IsEmpty());
    EXPECT_EQ(v.Set("1234"), -10007);
    EXPECT_EQ(v.Set("000000001001"), 0);
    EXPECT_EQ(v.Set(std::string(60, '0').c_str()), -62);
    EXPECT_STREQ(v.Value(), "000000001001");
}

// ---- Flags ----

TEST(CS3FlgStr, StoringCutsTrailingBlanks) {
    CS3FlgStr f;
    EXPECT_EQ(f.Capacity(), 8);
    EXPECT_EQ(f.Set("ab \t\r\n"), 0);
    EXPECT_STREQ(f.Value(), "ab");
    EXPECT_EQ(f.Set("123456789"), -62);
    CS3AccessKindFlg any;
    EXPECT_EQ(any.Set("xyz  "), 0);
    EXPECT_STREQ(any.Value(), "xyz");
}

TEST(FlagClasses, AcceptedTextsAndRefusals) {
    struct Case {
        std::function<CS3FlgStr*()> make;
        const char* text;
        int expected;
        const char* stored;  // value after Set, starting from "1"
    };
    auto login = [] { return new CS3LoginFlg; };
    auto level = [] { return new CS3LevelFlg; };
    auto inspect = [] { return new CS3InspectFlg; };
    auto gender = [] { return new ZGenderFlg; };
    auto size = [] { return new ZDisplaySizeFlg; };
    auto menu = [] { return new ZMenuStyleFlg; };
    auto area = [] { return new ZAreaFlg; };
    auto target = [] { return new ZAddrTargetFlg; };
    const std::vector<Case> cases = {
        {login, "3", 0, "3"},        {login, "0", 0, "0"},       {login, "4", -10007, "4"},
        {level, "0", 0, "0"},        {level, "1", 0, "1"},       {level, "2", -10007, ""},
        {level, "x", 0, "x"},        {inspect, "1", 0, "1"},     {inspect, "-1", -10007, ""},
        {gender, "f", 0, "f"},       {gender, "F", -10007, ""},  {gender, "o ", -10007, ""},
        {size, "3", 0, "3"},         {size, "4", -10007, ""},    {menu, "2", 0, "2"},
        {menu, "3", -10007, "1"},    {area, "P", 0, "P"},        {area, "X", -10007, "1"},
        {target, "2", 0, "2"},       {target, "3", -10007, ""},
    };
    for (const Case& c : cases) {
        std::unique_ptr<CS3FlgStr> f(c.make());
        f->CS3String::Set("1");
        EXPECT_EQ(f->Set(c.text), c.expected) << c.text;
        EXPECT_STREQ(f->Value(), c.stored) << c.text;
    }
}

TEST(FlagClasses, AddedOperations) {
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
