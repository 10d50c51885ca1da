// Date and time on Windows: the system clock, the tick count and the C
// run-time library's local-time conversions.
#include <windows.h>

#include <cstdint>
#include <ctime>

#include "util/date_time.h"

namespace {

void Fill(const SYSTEMTIME& time, ClockTime* out) {
    out->year = time.wYear;
    out->month = time.wMonth;
    out->day = time.wDay;
    out->hour = time.wHour;
    out->minute = time.wMinute;
    out->second = time.wSecond;
    out->millisecond = time.wMilliseconds;
}

}  // namespace

// Local time through the run-time library, as PlatformMakeTime converts it, so
// every local reading follows the same zone (TZ when it is set).
void LocalClockNow(ClockTime* out) {
    if (!out) return;
    int64_t millis = NowMillis();
    __time64_t seconds = static_cast<__time64_t>(millis / 1000);
    std::tm fields{};
    if (_localtime64_s(&fields, &seconds) != 0) {
        *out = ClockTime{};
        return;
    }
    out->year = fields.tm_year + 1900;
    out->month = fields.tm_mon + 1;
    out->day = fields.tm_mday;
    out->hour = fields.tm_hour;
    out->minute = fields.tm_min;
    out->second = fields.tm_sec;
    out->millisecond = static_cast<int>(millis % 1000);
}

void UtcClockNow(ClockTime* out) {
    if (!out) return;
    SYSTEMTIME now;
    GetSystemTime(&now);
    Fill(now, out);
}

uint32_t TickCountMs() { return static_cast<uint32_t>(GetTickCount64()); }

int64_t NowMillis() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER value;
    value.LowPart = now.dwLowDateTime;
    value.HighPart = now.dwHighDateTime;
    const int64_t kEpochDifference = 116444736000000000LL;  // 1601 -> 1970 in 100 ns
    return (static_cast<int64_t>(value.QuadPart) - kEpochDifference) / 10000;
}

int64_t PlatformMakeTime(std::tm* fields) { return static_cast<int64_t>(_mktime64(fields)); }
