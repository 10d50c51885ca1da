// Date field values: dates, time stamps, year-months, years and month-days
// as fixed-width digit texts, with the calendar checks of the date helpers.
#include "cs3base/date_value.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "util/date_time.h"
#include "util/log.h"
#include "util/utf8_text.h"

namespace {

const char kTag[] = "cs3date";

const char* OrEmpty(const char* text) { return text ? text : ""; }

// Reads "<int><sep><int><sep><int>" as scanf's "%d<sep>%d<sep>%d" does
// (blanks and a sign before each number, anything after the third ignored).
// False unless all three numbers are read.
bool ReadThree(const char* text, char sep, int parts[3]) {
    const char* p = text;
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            if (*p != sep) return false;
            ++p;
        }
        char* end = nullptr;
        errno = 0;
        long n = strtol(p, &end, 10);
        if (end == p) return false;
        if (n > INT_MAX) n = INT_MAX;
        if (n < INT_MIN) n = INT_MIN;
        parts[i] = static_cast<int>(n);
        p = end;
    }
    return true;
}

// The entry forms year/month/day and year-month-day as YYYYMMDD; any other
// text as it is.
std::string NormalizeDate(const char* text) {
    int parts[3];
    size_t length = strlen(text);
    if (length < 12) {
        char sep = strchr(text, '/') ? '/' : (strchr(text, '-') ? '-' : '\0');
        if (sep != '\0' && ReadThree(text, sep, parts)) {
            char out[64];
            snprintf(out, sizeof out, "%04d%02d%02d", parts[0], parts[1], parts[2]);
            return out;
        }
    }
    return text;
}

// The SetN of the classes that validate every store: the root SetN, then
// the stored text passed through the class's own Set.
int StoreThenValidate(CS3FixedInt& value, const char* text, int length) {
    int ret = value.CS3String::SetN(text, length);
    if (ret != 0) return ret;
    std::string stored = value.Value();
    return value.Set(stored.c_str());
}

// FixedSet, then a stored value must pass valid (an empty one needs not);
// a value that does not is reset with -10007.
int FixedSetChecked(CS3FixedInt& value, const char* text, bool (*valid)(const std::string&)) {
    int ret = value.FixedSet(text);
    if (ret != 0 || value.IsEmpty()) return ret;
    if (valid(value.Value())) return 0;
    value.Clear();
    return -10007;
}

}  // namespace

int CS3DateStr::Set(const char* text) {
    text = OrEmpty(text);
    if (text[0] == '\0') {
        Clear();
        return 0;
    }
    std::string date = NormalizeDate(text);
    if (date.size() < 8 || IsValidDate(date.c_str()) != 0) {
        Clear();
        return IsInteger(date.c_str()) ? -13002 : -13004;
    }
    return FixedSet(date.c_str()) != 0 ? -13004 : 0;
}

int CS3DateStr::SetYMD(const char* year, const char* month, const char* day) {
    year = OrEmpty(year);
    month = OrEmpty(month);
    day = OrEmpty(day);
    int empty = (year[0] == '\0') + (month[0] == '\0') + (day[0] == '\0');
    if (empty == 3) return 0;
    if (empty != 0) return -13002;
    if (strlen(year) > 4 || strlen(month) > 2 || strlen(day) > 2) return -62;
    int numbers[3];
    const char* parts[3] = {year, month, day};
    for (int i = 0; i < 3; ++i) {
        CS3Int reader;
        int ret = reader.Set(parts[i]);
        if (ret != 0) return ret;
        numbers[i] = reader.AsInt();
    }
    char date[64];
    snprintf(date, sizeof date, "%04d%02d%02d", numbers[0], numbers[1], numbers[2]);
    return Set(date);
}

int CS3DateStr::SetInRange(const char* text) {
    int ret = Set(text);
    if (ret != 0) {
        TraceError("[%s:%d]ret[%d]", kTag, __LINE__, ret);
        return ret;
    }
    if (IsEmpty()) return 0;
    // Only the date part of a time stamp is compared.
    std::string date(Value(), strnlen(Value(), 8));
    if (date.compare("19700102") > 0 && date.compare("21000101") < 0) return 0;
    TraceError("[%s:%d]date[%s]", kTag, __LINE__, OrEmpty(text));
    Clear();
    return -70001;
}

int CS3DateStr::Kind() const { return 2; }

int CS3DateTimeStr::Set(const char* text) {
    return FixedSetChecked(*this, text, [](const std::string& stamp) {
        // 14 digits after FixedSet.
        return IsValidDate(stamp.substr(0, 8).c_str()) == 0 &&
               IsValidTime(stamp.substr(8, 4).c_str()) == 0 &&
               atoi(stamp.substr(12, 2).c_str()) < 60;
    });
}

int CS3DateTimeStr::Kind() const { return 3; }

int CS3YMStr::SetN(const char* text, int length) {
    return StoreThenValidate(*this, text, length);
}

int CS3YMStr::Set(const char* text) {
    return FixedSetChecked(*this, text, [](const std::string& stored) {
        return IsValidDate((stored + "01").c_str()) == 0;
    });
}

int CS3YearStr::SetN(const char* text, int length) {
    return StoreThenValidate(*this, text, length);
}

int CS3YearStr::Set(const char* text) {
    return FixedSetChecked(*this, text,
                           [](const std::string& stored) { return atoi(stored.c_str()) >= 0; });
}

int CS3MDStr::SetN(const char* text, int length) {
    return StoreThenValidate(*this, text, length);
}

int CS3MDStr::Set(const char* text) {
    // 2000 is a leap year, so 0229 passes.
    return FixedSetChecked(*this, text, [](const std::string& stored) {
        return IsValidDate(("2000" + stored).c_str()) == 0;
    });
}

int CS3MDStrH::Set(const char* text) {
    if (!text || text[0] == '\0') return -10006;
    return CS3MDStr::Set(text);
}

int YearOf(const CS3FixedInt& value) {
    if (value.IsEmpty()) return -1;
    return YearOf(value.Value());
}

int MonthOf(const CS3FixedInt& value) {
    if (value.IsEmpty()) return -1;
    return DigitsAt4(value.Value());
}
