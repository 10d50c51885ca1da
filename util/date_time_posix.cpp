// Date and time on POSIX: the real-time and monotonic clocks and the C
// library's local-time conversions.
#include <time.h>

#include <cstdint>

#include "util/date_time.h"

namespace {

void Fill(const struct tm& fields, long nanoseconds, ClockTime* out) {
    out->year = fields.tm_year + 1900;
    out->month = fields.tm_mon + 1;
    out->day = fields.tm_mday;
    out->hour = fields.tm_hour;
    out->minute = fields.tm_min;
    out->second = fields.tm_sec;
    out->millisecond = static_cast<int>(nanoseconds / 1000000);
}

// Reads the real-time clock and breaks it down, locally or in UTC.
void ClockNow(ClockTime* out, bool local) {
    if (!out) return;
    struct timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    struct tm fields {};
    if (local) {
        localtime_r(&now.tv_sec, &fields);
    } else {
        gmtime_r(&now.tv_sec, &fields);
    }
    Fill(fields, now.tv_nsec, out);
}

}  // namespace

void LocalClockNow(ClockTime* out) { ClockNow(out, true); }

void UtcClockNow(ClockTime* out) { ClockNow(out, false); }

uint32_t TickCountMs() {
    struct timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

int64_t NowMillis() {
    struct timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

int64_t PlatformMakeTime(std::tm* fields) { return static_cast<int64_t>(mktime(fields)); }
