// Date field values: entry forms, calendar checks, the supported range and
// the fixed-width year-month, year and month-day values.
#include "cs3base/date_value.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

struct DateCase {
    const char* text;
    int expected;
    const char* stored;  // value afterwards, the value having been "old"
};

// Runs each case against a fresh value that holds "old" (stored without
// validation) so that "unchanged" and "cleared" can be told apart.
void RunCases(const std::function<CS3FixedInt*()>& make, const std::vector<DateCase>& cases) {
    for (const DateCase& c : cases) {
        std::unique_ptr<CS3FixedInt> v(make());
        v->CS3String::SetN("old", 3);
        EXPECT_EQ(v->Set(c.text), c.expected) << (c.text ? c.text : "null");
        EXPECT_STREQ(v->Value(), c.stored) << (c.text ? c.text : "null");
    }
}

}  // namespace

TEST(CS3DateStr, EntryFormsAndCalendar) {
    RunCases([] { return new CS3DateStr; },
             {
                 {"2024/2/29", 0, "20240229"},
                 {"2024-1-5", 0, "20240105"},
                 {"20240229", 0, "20240229"},
                 {"2023/2/29", -13002, ""},
                 {"20240230", -13002, ""},
                 {"2024023", -13002, ""},
                 {"20241301", -13002, ""},
                 {"abcdefgh", -13004, ""},
                 {"2024/x/1", -13004, ""},
                 {"2024.1.5", -13004, ""},
                 {"20240229123", -13004, "old"},  // valid date, too long to store
                 {"", 0, ""},
                 {nullptr, 0, ""},
             });
}

TEST(CS3DateStr, SetYMD) {
    struct Case {
        const char* year;
        const char* month;
        const char* day;
        int expected;
        const char* stored;
    };
    const Case cases[] = {
        {"2024", "2", "29", 0, "20240229"},
        {"2024", "02", "09", 0, "20240209"},
        {"", "", "", 0, "20200101"},          // all empty: unchanged
        {nullptr, nullptr, nullptr, 0, "20200101"},
        {"2024", "", "5", -13002, "20200101"},
        {"20245", "1", "1", -62, "20200101"},
        {"2024", "123", "1", -62, "20200101"},
        {"2024", "1", "x", -13006, "20200101"},
        {"2023", "2", "29", -13002, ""},
    };
    for (const Case& c : cases) {
        CS3DateStr v;
        ASSERT_EQ(v.Set("20200101"), 0);
        EXPECT_EQ(v.SetYMD(c.year, c.month, c.day), c.expected) << (c.year ? c.year : "null");
        EXPECT_STREQ(v.Value(), c.stored) << (c.year ? c.year : "null");
    }
}

TEST(CS3DateStr, SetInRangeBounds) {
    const DateCase cases[] = {
        {"19700102", -70001, ""}, {"19700103", 0, "19700103"}, {"20991231", 0, "20991231"},
        {"21000101", -70001, ""}, {"", 0, ""},                 {"1969/12/31", -70001, ""},
        {"20240230", -13002, ""},
    };
    for (const DateCase& c : cases) {
        CS3DateStr v;
        EXPECT_EQ(v.SetInRange(c.text), c.expected) << c.text;
        EXPECT_STREQ(v.Value(), c.stored) << c.text;
    }
}

TEST(CS3DateStr, KindAndParts) {
    CS3DateStr date;
    CS3DateTimeStr stamp;
    EXPECT_EQ(date.Kind(), 2);
    EXPECT_EQ(stamp.Kind(), 3);
    EXPECT_EQ(YearOf(date), -1);
    EXPECT_EQ(MonthOf(date), -1);
    ASSERT_EQ(date.Set("20240705"), 0);
    EXPECT_EQ(YearOf(date), 2024);
    EXPECT_EQ(MonthOf(date), 7);
    CS3YMStr ym;
    ASSERT_EQ(ym.Set("199912"), 0);
    EXPECT_EQ(YearOf(ym), 1999);
    EXPECT_EQ(MonthOf(ym), 12);
}

TEST(CS3DateTimeStr, StampChecks) {
    RunCases([] { return new CS3DateTimeStr; },
             {
                 {"20240101240000", 0, "20240101240000"},
                 {"20240229235959", 0, "20240229235959"},
                 {"20240101236000", -10007, ""},
                 {"20240101235960", -10007, ""},
                 {"20230229120000", -10007, ""},
                 {"202401011200", -10007, ""},  // 12 digits: wrong length
                 {"2024010112000a", -10007, ""},
                 {"202401011200000", -62, "old"},
                 {"2024/1/1", -10007, ""},      // no entry forms for stamps
                 {"", 0, ""},
             });
}

TEST(CS3DateTimeStr, SetInRangeComparesTheDatePart) {
    CS3DateTimeStr v;
    EXPECT_EQ(v.SetInRange("19700102235959"), -70001);
    EXPECT_TRUE(v.IsEmpty());
    EXPECT_EQ(v.SetInRange("19700103000000"), 0);
    EXPECT_EQ(v.SetInRange("20991231235959"), 0);
    EXPECT_EQ(v.SetInRange("21000101000000"), -70001);
    EXPECT_EQ(v.SetInRange("20240101236000"), -10007);
}

TEST(CS3YMStr, YearMonth) {
    RunCases([] { return new CS3YMStr; },
             {
                 {"202412", 0, "202412"},
                 {"202413", -10007, ""},
                 {"202400", -10007, ""},
                 {"20241", -10007, ""},
                 {"2024ab", -10007, ""},
                 {"", 0, ""},
             });
}

TEST(CS3YearStr, Year) {
    RunCases([] { return new CS3YearStr; },
             {
                 {"2024", 0, "2024"},
                 {"0000", 0, "0000"},
                 {"-123", -10007, ""},
                 {"202", -10007, ""},
                 {"20x4", -10007, ""},
                 {"20245", -62, "old"},
             });
}

TEST(CS3MDStr, MonthDay) {
    RunCases([] { return new CS3MDStr; },
             {
                 {"0229", 0, "0229"},
                 {"1231", 0, "1231"},
                 {"0230", -10007, ""},
                 {"1301", -10007, ""},
                 {"0000", -10007, ""},
                 {"", 0, ""},
             });
    RunCases([] { return new CS3MDStrH; },
             {
                 {"0101", 0, "0101"},
                 {"", -10006, "old"},
                 {"0230", -10007, ""},
             });
}

TEST(FixedDateValues, EveryStoreIsValidated) {
    // A plain SetN on these classes still runs their checks.
    CS3YMStr ym;
    EXPECT_EQ(ym.SetN("202413", 6), -10007);
    EXPECT_TRUE(ym.IsEmpty());
    EXPECT_EQ(ym.SetN("202401xx", 6), 0);
    EXPECT_STREQ(ym.Value(), "202401");
    CS3YearStr year;
    EXPECT_EQ(year.SetN("-999", 4), -10007);
    CS3MDStr md;
    EXPECT_EQ(md.SetN("0431", 4), -10007);
    EXPECT_EQ(md.SetInt(1225), 0);
    EXPECT_STREQ(md.Value(), "1225");
    CS3MDStrH required;
    EXPECT_EQ(required.SetN("", 0), -10006);
}
