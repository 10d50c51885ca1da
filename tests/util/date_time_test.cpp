// Date and time text: calendar checks, day shifts, zone conversion, stamps
// from the clock. Each case sets the server zone it needs through TZ.
#include "util/date_time.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "support/test_platform.h"

namespace {

// A server zone without daylight saving, and one with it (no zone files needed).
const char kUtc[] = "UTC0";
const char kEastern[] = "EST5EDT,M3.2.0,M11.1.0";

bool IsDigits(const std::string& text) {
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return !text.empty();
}

std::string Convert(const char* offset, const char* date, const char* time, const char* daylight,
                    int* code) {
    char outDate[9] = "";
    char outTime[7] = "";
    *code = ConvertZone(offset, date, time, daylight, outDate, outTime);
    return std::string(outDate) + " " + outTime;
}

std::string Shown(const char* text) {
    return text ? text : "(null)";
}

using TextCases = std::vector<std::pair<const char*, int>>;

// Each text's answer from read.
void Answers(const char* name, int (*read)(const char*), const TextCases& cases) {
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(read(text), expected) << name << " " << Shown(text);
    }
}

}  // namespace

// Runs first so that the process-wide setting is still untouched.
TEST(DateTimeZone, DefaultIsPlusNineWithoutDaylight) {
    const char* daylight = nullptr;
    EXPECT_STREQ(GetTimeZone(&daylight), "+0900");
    EXPECT_STREQ(daylight, "0");
    EXPECT_STREQ(GetTimeZone(nullptr), "+0900");
}

TEST(DateTimeZone, SetTimeZoneNeedsFullOffsetAndDaylight) {
    SetTimeZone("+0530", "30");
    const char* daylight = nullptr;
    EXPECT_STREQ(GetTimeZone(&daylight), "+0530");
    EXPECT_STREQ(daylight, "30");
    SetTimeZone("+053", "0");
    SetTimeZone("-0800", nullptr);
    SetTimeZone(nullptr, "0");
    EXPECT_STREQ(GetTimeZone(&daylight), "+0530");
    EXPECT_STREQ(daylight, "30");
    std::string longText(40, '1');
    SetTimeZone(("+" + longText).c_str(), longText.c_str());
    EXPECT_EQ(strlen(GetTimeZone(&daylight)), 31u);
    EXPECT_EQ(strlen(daylight), 31u);
}

TEST(DateTimeCalendar, LeapYearsMonthsAndWeekdays) {
    EXPECT_TRUE(IsLeapYear(2024));
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_FALSE(IsLeapYear(2023));
    EXPECT_EQ(DaysInMonth(2, 2024), 29);
    EXPECT_EQ(DaysInMonth(2, 2100), 28);
    EXPECT_EQ(DaysInMonth(4, 2024), 30);
    EXPECT_EQ(DaysInMonth(12, 2024), 31);
    EXPECT_EQ(DayOfWeek(1, 2024, 1), 1);   // Monday
    EXPECT_EQ(DayOfWeek(2, 2000, 29), 2);  // Tuesday
    EXPECT_EQ(DayOfWeek(12, 2023, 31), 0); // Sunday
    EXPECT_EQ(DayOfWeek(3, 2024, 16), 6);  // Saturday
    EXPECT_EQ(DayOfWeek(1, 0, 1), 6);      // year 0: Saturday
    EXPECT_EQ(DayOfWeek(2, 0, 29), 2);     // Tuesday
    EXPECT_EQ(DayOfWeek(3, 0, 1), 3);      // Wednesday
}

// The checks and readers of one text. A stamp's date part is a date; blanks
// and letters are not read as the end of a shorter number; seconds are not
// checked.
TEST(DateTimeCalendar, TextChecksAndFieldReaders) {
    const TextCases dates = {
        {"20240229", 0},  {"20230229", -1}, {"20241301", -1},      {"20240100", -1},
        {"20240431", -1}, {"20241231", 0},  {"20240101235959", 0}, {"2024011", -1},
        {nullptr, -1},    {"2024 1 1", -1}, {"2024011x", -1},      {"-2024011", -1},
    };
    const TextCases times = {
        {"2400", 0}, {"2360", -1}, {"2500", -1},  {"235999", 0}, {"0000 ", 0},
        {"12", -1},  {"-100", -1}, {"12:00", -1}, {nullptr, -1},
    };
    Answers("IsValidDate", IsValidDate, dates);
    Answers("IsValidTime", IsValidTime, times);
    EXPECT_EQ(YearOf("20240315"), 2024);
    EXPECT_EQ(DigitsAt0("20240315"), 20);
    EXPECT_EQ(DigitsAt2("20240315"), 24);
    EXPECT_EQ(DigitsAt4("20240315"), 3);
    EXPECT_EQ(DigitsAt6("20240315"), 15);
    EXPECT_EQ(DigitsAt6("2024031"), 0);
    EXPECT_EQ(YearOf("202"), 0);
    EXPECT_EQ(YearOf(nullptr), 0);
    Answers("IsSignedDigits", IsSignedDigits,
            {{"", 0}, {"-12-3", 0}, {"12a", -9}, {" 1", -9}, {nullptr, -9}});
}

TEST(DateTimeCalendar, CheckDayOfMonth) {
    EXPECT_EQ(CheckDayOfMonth("29", "2", "2024"), 0);
    EXPECT_EQ(CheckDayOfMonth("29", "02", "2100"), -1);
    EXPECT_EQ(CheckDayOfMonth("31", "6", "2024"), -1);
    EXPECT_EQ(CheckDayOfMonth("0", "6", "2024"), -1);
    EXPECT_EQ(CheckDayOfMonth("1", "13", "2024"), -1);
    EXPECT_EQ(CheckDayOfMonth(nullptr, "1", "2024"), -1);
}

TEST(DateTimeAddDays, ShiftsOrRefuses) {
    // The server's daylight saving never moves a date (clocks go forward on
    // 10 March 2024 and back on 3 November in kEastern). A result beyond
    // year 9999 does not fit the date buffer.
    const struct {
        const char* zone;
        const char* date;
        int days;
        int code;
        const char* expected;  // "unset": out is not written
    } rows[] = {
        {kUtc, "20240131", 1, 0, "20240201"},       {kUtc, "20240131", -31, 0, "20231231"},
        {kUtc, "20240228", 1, 0, "20240229"},       {kUtc, "20230228", 1, 0, "20230301"},
        {kUtc, "20240101", 366, 0, "20250101"},     {kUtc, "19691231", 1, 0, "19700101"},
        {kUtc, "20240101120000", 0, 0, "20240101"},  // only the date part counts
        {kEastern, "20240309", 1, 0, "20240310"},   {kEastern, "20241103", -1, 0, "20241102"},
        {kUtc, nullptr, 1, -99, "unset"},           {kUtc, "2024013", 1, -1, "unset"},
        {kUtc, "2024a131", 1, -2, "unset"},         {kUtc, "20241301", 1, -3, "unset"},
        {kUtc, "99991231", 1, -3, "unset"},         {kUtc, "20240101", 2147483647, -3, "unset"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(Shown(row.date) + " + " + std::to_string(row.days) + " in " + row.zone);
        UseServerZone(row.zone);
        char out[9] = "unset";
        EXPECT_EQ(AddDays(row.date, out, row.days), row.code);
        EXPECT_STREQ(out, row.expected);
    }
    EXPECT_EQ(AddDays("20240101", nullptr, 5), 0);
}

TEST(DateTimeConvert, RefusesBadTexts) {
    UseServerZone(kUtc);
    int code = 0;
    Convert("+090", "20240101", "200000", "0", &code);
    EXPECT_EQ(code, -1);
    Convert("*0900", "20240101", "200000", "0", &code);
    EXPECT_EQ(code, -1);
    Convert("+09a0", "20240101", "200000", "0", &code);
    EXPECT_EQ(code, -1);
    Convert("+0900", "2024010", "200000", "0", &code);
    EXPECT_EQ(code, -1);
    Convert("+0900", "20240101", "20000", "0", &code);
    EXPECT_EQ(code, -1);
    char date[9], time[7];
    EXPECT_EQ(ConvertZone("+0900", "20240101", "200000", nullptr, date, time), -1);
    EXPECT_EQ(ConvertZone("+0900", "20240101", "200000", "0", nullptr, time), -1);
}

TEST(DateTimeConvert, ServerZoneNeverChangesTheResult) {
    // Shifts across days and years, short times and daylight minutes, on
    // servers with and without daylight saving: negative daylight saving, a
    // 30-minute and a 2-hour daylight shift, and a zone whose offset moves
    // back and forth around Ramadan. The daylight hour taken off may cross
    // midnight backwards.
    const char* zones[] = {kUtc, kEastern, "Europe/Dublin", "Australia/Lord_Howe",
                           "Antarctica/Troll", "Africa/Casablanca"};
    struct Row {
        const char* offset;
        const char* date;
        const char* time;
        const char* daylight;
        const char* expected;
    } rows[] = {
        {"+0900", "20240101", "200000", "0", "20240102 050000"},
        {"-0530", "20240101", "030000", "0", "20231231 213000"},
        {"+0900", "20240101", "2000", "60", "20240102 060000"},
        {"+0000", "20240229", "235959", "-1", "20240229 235859"},
        {"+0900", "20240701", "200000", "0", "20240702 050000"},
        {"+0900", "20240115", "200000", "0", "20240116 050000"},
        {"+0900", "20240701", "143000", "0", "20240701 233000"},
        {"+0100", "20240331", "003000", "60", "20240331 023000"},
        {"+1030", "20241006", "153000", "30", "20241007 023000"},
        {"+0000", "20240330", "233000", "120", "20240331 013000"},
        {"-0530", "20240315", "020000", "0", "20240314 203000"},
    };
    for (const char* zone : zones) {
        SCOPED_TRACE(zone);
        UseServerZone(zone);
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(row.date) + " " + row.time);
            int code = 1;
            EXPECT_EQ(Convert(row.offset, row.date, row.time, row.daylight, &code), row.expected);
            EXPECT_EQ(code, 0);
        }
    }
}

TEST(DateTimeConvert, DateTimeToTimeReadsLocalFields) {
    UseServerZone(kUtc);
    int64_t t = -5;
    EXPECT_EQ(DateTimeToTime("000000", &t, "19700101"), 0);
    EXPECT_EQ(t, 0);
    EXPECT_EQ(DateTimeToTime("0001", &t, "19700102"), 0);
    EXPECT_EQ(t, 86400 + 60);
    EXPECT_EQ(DateTimeToTime("00000", &t, "19700101"), -1);
    EXPECT_EQ(DateTimeToTime("000000", &t, "1970010"), -1);
    EXPECT_EQ(DateTimeToTime("00:000", &t, "19700101"), -1);
    EXPECT_EQ(DateTimeToTime("000000", nullptr, "19700101"), -1);
    UseServerZone("JST-9");
    EXPECT_EQ(DateTimeToTime("090000", &t, "19700101"), 0);
    EXPECT_EQ(t, 0);
    // One second before 1970 is a time like any other, where the run-time
    // library converts it at all (the Windows one stops at 1970).
    UseServerZone(kUtc);
    if (OnWindows()) return;
    EXPECT_EQ(DateTimeToTime("235959", &t, "19691231"), 0);
    EXPECT_EQ(t, -1);
}

TEST(DateTimeSeconds, SecondsBetweenStamps) {
    UseServerZone(kUtc);
    EXPECT_EQ(SecondsBetween("20240101120000", "20240101120000"), 0);
    EXPECT_EQ(SecondsBetween("20240101120000", "20240102120000"), 86400);
    EXPECT_EQ(SecondsBetween("20240102120000", "20240101120000"), -86400);
    EXPECT_EQ(SecondsBetween("20240101", "2024010100"), 0);
    EXPECT_EQ(SecondsBetween("2024", "20240101000001"), 1);  // missing month and day: 1 January
    EXPECT_EQ(SecondsBetween("19691231", "20240101"), 0);   // before 1970
    EXPECT_EQ(SecondsBetween(nullptr, "20240101"), 0);
    UseServerZone(kEastern);  // daylight flag cleared: calendar difference
    EXPECT_EQ(SecondsBetween("20240309120000", "20240310120000"), 86400);
    // A change of the zone's standard offset, and a local day that was
    // skipped, leave the calendar difference as it is.
    UseServerZone("Asia/Pyongyang");
    EXPECT_EQ(SecondsBetween("20150814120000", "20150816120000"), 2 * 86400);
    UseServerZone("Pacific/Apia");
    EXPECT_EQ(SecondsBetween("20111229120000", "20111230120000"), 86400);
}

TEST(DateTimeClock, NowStampIsUtcClock) {
    UseServerZone(kUtc);
    int64_t before = NowMillis() / 1000;
    char stamp[15] = "";
    NowStamp(stamp, 0);
    int64_t after = NowMillis() / 1000;
    ASSERT_EQ(strlen(stamp), 14u);
    ASSERT_TRUE(IsDigits(stamp));
    int64_t t = 0;
    ASSERT_EQ(DateTimeToTime(stamp + 8, &t, std::string(stamp, 8).c_str()), 0);
    EXPECT_GE(t, before);
    EXPECT_LE(t, after);
}

TEST(DateTimeClock, ZoneStampIsUtcPlusConfiguredOffset) {
    UseServerZone(kEastern);  // the server's own zone must not matter
    SetTimeZone("+0900", "0");
    char before[15], zone[15], after[15];
    NowStamp(before, 0);
    ASSERT_EQ(ZoneStamp(zone), 0);
    NowStamp(after, 0);
    UseServerZone(kUtc);
    EXPECT_GE(SecondsBetween(before, zone), 9 * 3600);
    EXPECT_LE(SecondsBetween(after, zone), 9 * 3600);

    char viaNow[15];
    UseServerZone(kEastern);
    NowStamp(viaNow, 1);
    EXPECT_EQ(strlen(viaNow), 14u);
    char date[9], time[7];
    ASSERT_EQ(ZoneNow(date, time), 0);
    EXPECT_EQ(IsValidDate(date), 0);
    EXPECT_EQ(IsValidTime(time), 0);
    EXPECT_EQ(ZoneNow(nullptr, time), -9);
    EXPECT_EQ(ZoneStamp(nullptr), -9);
}

TEST(DateTimeClock, TodayDateIsStampPrefix) {
    UseServerZone(kUtc);
    SetTimeZone("-1000", "0");
    char before[15], after[15], today[9] = "", zoneBefore[15], zoneAfter[15], zoneToday[9] = "";
    NowStamp(before, 0);
    NowStamp(zoneBefore, 1);
    TodayDate(today, 0);
    TodayDate(zoneToday, 1);
    NowStamp(after, 0);
    NowStamp(zoneAfter, 1);
    EXPECT_GE(std::string(today), std::string(before, 8));
    EXPECT_LE(std::string(today), std::string(after, 8));
    EXPECT_GE(std::string(zoneToday), std::string(zoneBefore, 8));
    EXPECT_LE(std::string(zoneToday), std::string(zoneAfter, 8));
    TodayDate(nullptr, 1);
}

TEST(DateTimeClock, LocalReadingsFollowServerZone) {
    UseServerZone("JST-9");
    ClockTime utc1, local, utc2;
    UtcClockNow(&utc1);
    LocalClockNow(&local);
    UtcClockNow(&utc2);
    auto stamp = [](const ClockTime& c) {
        char text[32];
        snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", c.year, c.month, c.day, c.hour,
                 c.minute, c.second);
        return std::string(text);
    };
    UseServerZone(kUtc);
    EXPECT_GE(SecondsBetween(stamp(utc1).c_str(), stamp(local).c_str()), 9 * 3600);
    EXPECT_LE(SecondsBetween(stamp(utc2).c_str(), stamp(local).c_str()), 9 * 3600);
    EXPECT_GE(local.millisecond, 0);
    EXPECT_LE(local.millisecond, 999);

    char ms[17] = "";
    LocalStampMs(ms);
    ASSERT_EQ(strlen(ms), 16u);
    EXPECT_TRUE(IsDigits(ms));
    EXPECT_LE(atoi(std::string(ms + 10, 6).c_str()), 999);
    EXPECT_EQ(CheckDayOfMonth(std::string(ms + 2, 2).c_str(), std::string(ms, 2).c_str(), "2024"),
              0);
}

TEST(DateTimeClock, TickCountDoesNotGoBackwards) {
    uint32_t first = TickCountMs();
    uint32_t second = TickCountMs();
    EXPECT_LT(static_cast<uint32_t>(second - first), 60000u);
}
