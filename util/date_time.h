// Date and time text: dates YYYYMMDD, times hhmmss or hhmm, stamps
// YYYYMMDDhhmmss from the clock, in UTC, local time or the configured zone;
// checks, shifts and comparisons of such texts; the process-wide time zone.
#pragma once

#include <cstdint>
#include <ctime>

// Buffers callers provide: stamps 15 bytes, dates 9, times 7, LocalStampMs 17.

// out = the current time as a 14-digit stamp: UTC when useZone is 0, the
// configured zone otherwise (empty text if the zone conversion fails).
void NowStamp(char* out, unsigned char useZone);
// out (may be null) = the first 8 characters of NowStamp: today's date.
void TodayDate(char* out, unsigned char useZone);
// Current date and time in the configured zone. 0; -9 for a null argument;
// -1 when the conversion fails.
int ZoneNow(char* outDate, char* outTime);
// out = date + time of ZoneNow. 0; -9 for null; ZoneNow's code otherwise.
int ZoneStamp(char* out);
// Sets the configured zone: offset "+hhmm"/"-hhmm" (at least 5 characters)
// and daylight minutes (not null), each kept to 31 bytes. Otherwise nothing.
void SetTimeZone(const char* offset, const char* daylightMinutes);
// The configured offset ("+0900" until set); *daylightMinutes (if given)
// receives the daylight minutes text ("0" until set). Process-wide storage.
const char* GetTimeZone(const char** daylightMinutes);
// Shifts the UTC date and time by offset and daylight minutes into
// outDate/outTime. 0, or -1 for null arguments or unusable texts.
int ConvertZone(const char* offset, const char* date, const char* time,
                const char* daylightMinutes, char* outDate, char* outTime);
// *value = the local date and time (time of 6 or 4 digits) as seconds since
// 1970. 0, or -1 for unusable texts or when the conversion fails.
int DateTimeToTime(const char* time, int64_t* value, const char* date);
// out = local time as MMDDhhmmss followed by the milliseconds in 6 digits.
void LocalStampMs(char* out);
// Milliseconds since 1970-01-01 UTC.
int64_t NowMillis();
// seconds as milliseconds for a wait or a time-out: 0 for 0 or less,
// INT_MAX when the product would not fit an int.
int MillisFromSeconds(int64_t seconds);

bool IsLeapYear(int year);
// 28 to 31.
int DaysInMonth(int month, int year);
// 0 (Sunday) to 6 (Saturday).
int DayOfWeek(int month, int year, int day);
// 0 when the first 8 characters are digits forming a valid date, else -1.
int IsValidDate(const char* date);
// 0 when the day exists in that month and year (texts read as numbers).
int CheckDayOfMonth(const char* day, const char* month, const char* year);
// 0 when text starts with hhmm, hour at most 24, minute at most 59.
int IsValidTime(const char* time);
// out (may be null) = date shifted by days, "%d" of YYYYMMDD.
// 0; -99 null date; -1 too short; -2 not an integer; -3 invalid date.
int AddDays(const char* date, char* out, int days);
// to - from in seconds (local stamps, missing fields read as start of the
// period); 0 if either stamp is null or before 1970.
int SecondsBetween(const char* from, const char* to);
// The number in characters 1-4, 1-2, 3-4, 5-6 or 7-8; 0 for null or short text.
int YearOf(const char* text);
int DigitsAt0(const char* text);
int DigitsAt2(const char* text);
int DigitsAt4(const char* text);
int DigitsAt6(const char* text);
// 0 if every character is "-" or a digit (empty text included), else -9.
int IsSignedDigits(const char* text);

// Clock readings for the log and environment units.
struct ClockTime {
    int year;         // four digits
    int month;        // 1-12
    int day;          // 1-31
    int hour;         // 0-23
    int minute;       // 0-59
    int second;       // 0-60
    int millisecond;  // 0-999
};
// The current local time, with milliseconds.
void LocalClockNow(ClockTime* out);
// The current UTC time, with milliseconds.
void UtcClockNow(ClockTime* out);
// Milliseconds of a monotonic clock (wraps around every 49.7 days).
uint32_t TickCountMs();

// Calendar conversion on local time: mktime normalises *fields and *value
// receives the time; false when it cannot be converted (a valid time of -1
// is not a failure).
bool TimeOfLocal(std::tm* fields, int64_t* value);
// The run-time library's mktime on this platform: the time of the local
// *fields, normalising them, or -1.
int64_t PlatformMakeTime(std::tm* fields);
