// Date field values: entry forms, calendar checks, the supported range and
// the fixed-width year-month, year and month-day values.
#include "cs3base/date_value.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "support/value_rows.h"

TEST(DateValues, SetChecksFormAndCalendar) {
    ExpectSets<CS3DateStr>("date", {{"2024/2/29", 0, "20240229"},
                                    {"2024-1-5", 0, "20240105"},
                                    {"20240229", 0, "20240229"},
                                    {"2023/2/29", -13002, ""},
                                    {"20240230", -13002, ""},
                                    {"2024023", -13002, ""},
                                    {"20241301", -13002, ""},
                                    {"abcdefgh", -13004, ""},
                                    {"2024/x/1", -13004, ""},
                                    {"2024.1.5", -13004, ""},
                                    {"20240229123", -13004, "old"},  // valid date, too long
                                    {"", 0, ""},
                                    {nullptr, 0, ""}});
    ExpectSets<CS3DateTimeStr>("stamp", {{"20240101240000", 0, "20240101240000"},
                                         {"20240229235959", 0, "20240229235959"},
                                         {"20240101236000", -10007, ""},
                                         {"20240101235960", -10007, ""},
                                         {"20230229120000", -10007, ""},
                                         {"202401011200", -10007, ""},  // 12 digits
                                         {"2024010112000a", -10007, ""},
                                         {"202401011200000", -62, "old"},
                                         {"2024/1/1", -10007, ""},  // no entry forms for stamps
                                         {"", 0, ""}});
    ExpectSets<CS3YMStr>("year-month", {{"202412", 0, "202412"},
                                        {"202413", -10007, ""},
                                        {"202400", -10007, ""},
                                        {"20241", -10007, ""},
                                        {"2024ab", -10007, ""},
                                        {"", 0, ""}});
    ExpectSets<CS3YearStr>("year", {{"2024", 0, "2024"},
                                    {"0000", 0, "0000"},
                                    {"-123", -10007, ""},
                                    {"202", -10007, ""},
                                    {"20x4", -10007, ""},
                                    {"20245", -62, "old"}});
    ExpectSets<CS3MDStr>("month-day", {{"0229", 0, "0229"},
                                       {"1231", 0, "1231"},
                                       {"0230", -10007, ""},
                                       {"1301", -10007, ""},
                                       {"0000", -10007, ""},
                                       {"", 0, ""}});
    ExpectSets<CS3MDStrH>("required month-day",
                          {{"0101", 0, "0101"}, {"", -10006, "old"}, {"0230", -10007, ""}});
}

TEST(DateValues, SetYMD) {
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
        {"", "", "", 0, "20200101"},  // all empty: unchanged
        {nullptr, nullptr, nullptr, 0, "20200101"},
        {"2024", "", "5", -13002, "20200101"},
        {"20245", "1", "1", -62, "20200101"},
        {"2024", "123", "1", -62, "20200101"},
        {"2024", "1", "x", -13006, "20200101"},
        {"2023", "2", "29", -13002, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.year ? c.year : "null") + "/" + (c.month ? c.month : "") +
                     "/" + (c.day ? c.day : ""));
        CS3DateStr v;
        ASSERT_EQ(v.Set("20200101"), 0);
        EXPECT_EQ(v.SetYMD(c.year, c.month, c.day), c.expected);
        EXPECT_STREQ(v.Value(), c.stored);
    }
}

// The supported range is 1970-01-03 to 2099-12-31, of the date part of a
// stamp too.
TEST(DateValues, SetInRangeBounds) {
    const struct {
        const char* text;
        int expected;
        const char* stored;
    } cases[] = {
        {"19700102", -70001, ""},       {"19700103", 0, "19700103"},
        {"20991231", 0, "20991231"},    {"21000101", -70001, ""},
        {"", 0, ""},                    {"1969/12/31", -70001, ""},
        {"20240230", -13002, ""},       {"19700102235959", -70001, ""},
        {"19700103000000", 0, "19700103000000"}, {"20991231235959", 0, "20991231235959"},
        {"21000101000000", -70001, ""}, {"20240101236000", -10007, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::unique_ptr<CS3DateStr> v(std::strlen(c.text) > 10 ? new CS3DateTimeStr
                                                                : new CS3DateStr);
        EXPECT_EQ(c.expected, v->SetInRange(c.text));
        EXPECT_STREQ(c.stored, v->Value());
    }
}

TEST(DateValues, KindPartsAndPlainStores) {
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

    // A plain SetN on the fixed-width classes still runs their checks.
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
