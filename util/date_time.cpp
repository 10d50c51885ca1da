// Date and time text: stamps from the clock, the configured time zone,
// calendar checks, day shifts and stamp differences.
#include "util/date_time.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "util/nu_string.h"
#include "util/utf8_text.h"

namespace {

constexpr size_t kZoneTextSize = 32;  // 31 bytes and the terminating zero
char gZoneOffset[kZoneTextSize];
char gZoneDaylight[kZoneTextSize];

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A text read as a decimal number the way the C library does ("12x" is 12,
// "x" is 0), kept within int.
int TextNumber(const char* text) {
    long long n = strtoll(text, nullptr, 10);
    if (n > INT_MAX) return INT_MAX;
    if (n < INT_MIN) return INT_MIN;
    return static_cast<int>(n);
}

// The number in the count characters of text starting at offset; 0 when
// text is null or shorter than offset + count.
int DigitsAt(const char* text, size_t offset, size_t count) {
    if (!text || strnlen(text, offset + count) < offset + count) return 0;
    char field[16];
    if (count >= sizeof field) return 0;
    CopyCut(field, count + 1, text + offset);
    return TextNumber(field);
}

bool AllDigits(const char* text, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        if (!IsDigit(text[i])) return false;
    }
    return true;
}

// Division rounding towards minus infinity (C's division truncates).
int64_t FloorDiv(int64_t a, int64_t b) {
    int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
    year -= month <= 2;
    int64_t era = (year >= 0 ? year : year - 399) / 400;
    int64_t yearOfEra = year - era * 400;
    int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(int64_t days, int64_t* year, int64_t* month, int64_t* day) {
    days += 719468;
    int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    int64_t dayOfEra = days - era * 146097;
    int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    int64_t shifted = (5 * dayOfYear + 2) / 153;
    *day = dayOfYear - (153 * shifted + 2) / 5 + 1;
    *month = shifted < 10 ? shifted + 3 : shifted - 9;
    *year = yearOfEra + era * 400 + (*month <= 2);
}

// Fixed-width digit texts of in-range fields; each field is reduced to its
// width so that the text always fits its buffer.
void FormatDate(char* out, int year, int month, int day) {
    snprintf(out, 9, "%04u%02u%02u", static_cast<unsigned>(year) % 10000u,
             static_cast<unsigned>(month) % 100u, static_cast<unsigned>(day) % 100u);
}

void FormatTime(char* out, int hour, int minute, int second) {
    snprintf(out, 7, "%02u%02u%02u", static_cast<unsigned>(hour) % 100u,
             static_cast<unsigned>(minute) % 100u, static_cast<unsigned>(second) % 100u);
}

void FormatStamp(char* out, const ClockTime& t) {
    FormatDate(out, t.year, t.month, t.day);
    FormatTime(out + 8, t.hour, t.minute, t.second);
}

// Seconds from 1970-01-01 00:00:00 to a date and time on the proleptic
// Gregorian calendar, counted without any zone; fields out of their range
// carry over into the next larger field, as mktime's do.
int64_t CalendarSeconds(int64_t year, int64_t month, int64_t day, int64_t hour, int64_t minute,
                        int64_t second) {
    int64_t months = month - 1;
    year += FloorDiv(months, 12);
    months -= FloorDiv(months, 12) * 12;
    int64_t days = DaysFromCivil(year, months + 1, 1) + day - 1;
    return ((days * 24 + hour) * 60 + minute) * 60 + second;
}

// The broken-down fields of a date (8 characters or more) and a time (6 or
// 4 characters, seconds then 0); false for texts DateTimeToTime refuses.
bool ReadDateTime(const char* date, const char* time, std::tm* fields) {
    if (IsSignedDigits(date) != 0 || IsSignedDigits(time) != 0) return false;
    if (strlen(date) < 8) return false;
    size_t timeLength = strlen(time);
    if (timeLength != 6 && timeLength != 4) return false;
    *fields = std::tm{};
    fields->tm_year = YearOf(date) - 1900;
    fields->tm_mon = DigitsAt4(date) - 1;
    fields->tm_mday = DigitsAt6(date);
    fields->tm_hour = DigitsAt0(time);
    fields->tm_min = DigitsAt2(time);
    fields->tm_sec = timeLength == 6 ? DigitsAt4(time) : 0;
    return true;
}

int64_t CalendarSeconds(const std::tm& fields) {
    return CalendarSeconds(int64_t{fields.tm_year} + 1900, int64_t{fields.tm_mon} + 1,
                           fields.tm_mday, fields.tm_hour, fields.tm_min, fields.tm_sec);
}

// Calendar seconds of a stamp read field by field; fields the stamp is too
// short for are the start of their period.
int64_t StampSeconds(const char* stamp) {
    size_t length = strlen(stamp);
    auto field = [&](size_t offset, size_t count, int missing) {
        return length >= offset + count ? DigitsAt(stamp, offset, count) : missing;
    };
    return CalendarSeconds(field(0, 4, 0), field(4, 2, 1), field(6, 2, 1), field(8, 2, 0),
                           field(10, 2, 0), field(12, 2, 0));
}

}  // namespace

void NowStamp(char* out, unsigned char useZone) {
    if (!out) return;
    if (useZone == 0) {
        ClockTime now;
        UtcClockNow(&now);
        FormatStamp(out, now);
        return;
    }
    if (ZoneStamp(out) != 0) out[0] = '\0';
}

void TodayDate(char* out, unsigned char useZone) {
    if (!out) return;
    char stamp[15];
    NowStamp(stamp, useZone);
    CopyCut(out, 9, stamp);
}

int ZoneNow(char* outDate, char* outTime) {
    if (!outDate || !outTime) return -9;
    char stamp[15];
    NowStamp(stamp, 0);
    char date[9];
    CopyCut(date, sizeof date, stamp);
    const char* daylight = nullptr;
    const char* offset = GetTimeZone(&daylight);
    if (ConvertZone(offset, date, stamp + 8, daylight, outDate, outTime) != 0) return -1;
    return 0;
}

int ZoneStamp(char* out) {
    if (!out) return -9;
    char date[9];
    char time[7];
    int r = ZoneNow(date, time);
    if (r != 0) return r;
    snprintf(out, 15, "%s%s", date, time);
    return 0;
}

void SetTimeZone(const char* offset, const char* daylightMinutes) {
    if (!offset || strlen(offset) < 5 || !daylightMinutes) return;
    CopyCut(gZoneOffset, kZoneTextSize, offset);
    CopyCut(gZoneDaylight, kZoneTextSize, daylightMinutes);
}

const char* GetTimeZone(const char** daylightMinutes) {
    if (gZoneOffset[0] == '\0') {
        CopyCut(gZoneOffset, kZoneTextSize, "+0900");
        CopyCut(gZoneDaylight, kZoneTextSize, "0");
    }
    if (daylightMinutes) *daylightMinutes = gZoneDaylight;
    return gZoneOffset;
}

int ConvertZone(const char* offset, const char* date, const char* time,
                const char* daylightMinutes, char* outDate, char* outTime) {
    if (!offset || !date || !time || !daylightMinutes || !outDate || !outTime) return -1;
    if (strlen(offset) != 5) return -1;
    std::tm fields{};
    if (!ReadDateTime(date, time, &fields)) return -1;
    if (IsSignedDigits(offset + 1) != 0) return -1;
    int64_t seconds = (int64_t{DigitsAt0(offset + 1)} * 60 + DigitsAt2(offset + 1)) * 60;
    if (offset[0] == '-') {
        seconds = -seconds;
    } else if (offset[0] != '+') {
        return -1;
    }
    // Calendar arithmetic on the UTC fields: the server's own zone, its
    // daylight saving and its history of offsets play no part.
    int64_t t = CalendarSeconds(fields) + seconds + int64_t{TextNumber(daylightMinutes)} * 60;
    int64_t days = FloorDiv(t, 86400);
    int64_t second = t - days * 86400;
    int64_t year = 0, month = 0, day = 0;
    CivilFromDays(days, &year, &month, &day);
    // Dates beyond year 9999 do not fit the 9-byte date text.
    if (year < 0 || year > 9999) return -1;
    FormatDate(outDate, static_cast<int>(year), static_cast<int>(month), static_cast<int>(day));
    FormatTime(outTime, static_cast<int>(second / 3600), static_cast<int>(second / 60 % 60),
               static_cast<int>(second % 60));
    return 0;
}

bool TimeOfLocal(std::tm* fields, int64_t* value) {
    if (!fields || !value) return false;
    // -1 is also the time of 1969-12-31 23:59:59 UTC; only a failed call
    // leaves the day of the week untouched.
    fields->tm_wday = -1;
    int64_t t = PlatformMakeTime(fields);
    if (t == -1 && fields->tm_wday == -1) return false;
    *value = t;
    return true;
}

int DateTimeToTime(const char* time, int64_t* value, const char* date) {
    if (!time || !value || !date) return -1;
    std::tm fields{};
    if (!ReadDateTime(date, time, &fields)) return -1;
    fields.tm_isdst = 0;
    int64_t t = 0;
    if (!TimeOfLocal(&fields, &t)) return -1;
    *value = t;
    return 0;
}

void LocalStampMs(char* out) {
    if (!out) return;
    ClockTime now;
    LocalClockNow(&now);
    snprintf(out, 17, "%02d%02d%02d%02d%02d%06d", now.month, now.day, now.hour, now.minute,
             now.second, now.millisecond);
}

bool IsLeapYear(int year) { return year % 400 == 0 || (year % 4 == 0 && year % 100 != 0); }

int DaysInMonth(int month, int year) {
    switch (month) {
        case 2:
            return IsLeapYear(year) ? 29 : 28;
        case 4:
        case 6:
        case 9:
        case 11:
            return 30;
        default:
            return 31;
    }
}

int DayOfWeek(int month, int year, int day) {
    if (month == 1 || month == 2) {
        month += 12;
        year -= 1;
    }
    // Floor division keeps the rule right for year 0, whose January and
    // February count as year -1.
    int64_t y = year;
    int64_t w = (month * 13 + 8) / 5 + FloorDiv(y, 400) + y + FloorDiv(y, 4) + day - FloorDiv(y, 100);
    return static_cast<int>(w - FloorDiv(w, 7) * 7);
}

int IsValidDate(const char* date) {
    if (!date || strlen(date) < 8) return -1;
    // Only digits make a date; a blank or letter inside would otherwise be
    // read as the end of a shorter number.
    if (!AllDigits(date, 8)) return -1;
    if (YearOf(date) < 0) return -1;
    char year[5], month[3], day[3];
    CopyCut(year, sizeof year, date);
    CopyCut(month, sizeof month, date + 4);
    CopyCut(day, sizeof day, date + 6);
    return CheckDayOfMonth(day, month, year);
}

int CheckDayOfMonth(const char* day, const char* month, const char* year) {
    if (!day || !month || !year) return -1;
    int d = TextNumber(day);
    int m = TextNumber(month);
    int y = TextNumber(year);
    if (m < 1 || m > 12 || d < 1) return -1;
    return d <= DaysInMonth(m, y) ? 0 : -1;
}

int IsValidTime(const char* time) {
    if (!IsInteger(time)) return -1;
    // hhmm must be there as digits: a shorter text has no minute to check.
    if (strlen(time) < 4 || !AllDigits(time, 4)) return -1;
    return DigitsAt0(time) <= 24 && DigitsAt2(time) <= 59 ? 0 : -1;
}

int AddDays(const char* date, char* out, int days) {
    if (!date) return -99;
    if (strlen(date) < 8) return -1;
    if (!IsInteger(date)) return -2;
    if (IsValidDate(date) != 0) return -3;
    int n = DigitsAt(date, 0, 8);
    // Calendar arithmetic on the proleptic Gregorian calendar: the same result
    // as normalising through mktime, without depending on the server's zone.
    int64_t year = 0, month = 0, day = 0;
    CivilFromDays(DaysFromCivil(n / 10000, (n % 10000) / 100, n % 100) + days, &year, &month,
                  &day);
    // The result must fit the 9-byte date buffer.
    if (year < 0 || year > 9999) return -3;
    if (out) snprintf(out, 9, "%d", static_cast<int>(year * 10000 + month * 100 + day));
    return 0;
}

int MillisFromSeconds(int64_t seconds) {
    if (seconds <= 0) return 0;
    return seconds > INT_MAX / 1000 ? INT_MAX : static_cast<int>(seconds * 1000);
}

int SecondsBetween(const char* from, const char* to) {
    if (!from || !to) return 0;
    // Wall-clock difference by calendar arithmetic: a change of the server
    // zone's offset or a skipped local hour does not change it.
    int64_t start = StampSeconds(from);
    int64_t end = StampSeconds(to);
    if (start < 0 || end < 0) return 0;
    int64_t difference = end - start;
    if (difference > INT_MAX) return INT_MAX;
    if (difference < INT_MIN) return INT_MIN;
    return static_cast<int>(difference);
}

int YearOf(const char* text) { return DigitsAt(text, 0, 4); }
int DigitsAt0(const char* text) { return DigitsAt(text, 0, 2); }
int DigitsAt2(const char* text) { return DigitsAt(text, 2, 2); }
int DigitsAt4(const char* text) { return DigitsAt(text, 4, 2); }
int DigitsAt6(const char* text) { return DigitsAt(text, 6, 2); }

int IsSignedDigits(const char* text) {
    if (!text) return -9;
    for (; *text; ++text) {
        if (*text != '-' && !IsDigit(*text)) return -9;
    }
    return 0;
}
