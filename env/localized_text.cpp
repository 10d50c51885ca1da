// Localized texts: stored dates formatted with the language's weekday names,
// and message templates filled with values.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "env/catalog.h"
#include "util/date_time.h"
#include "util/log.h"
#include "util/nu_string.h"
#include "util/template_output.h"

namespace {

const char kLocalTag[] = "CMSioObjApp_Local";
const char kMessageTag[] = "CMSioObjApp_Message";

const char* const kEnglishShort[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kEnglishFull[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                     "Thursday", "Friday", "Saturday"};

// Longest text kept after a replaced weekday name.
const size_t kMaxRestAfterName = 4095;

// The digits at [pos, pos+len) of text read as a number; -1 when any of
// them is missing or not a digit, 0 when the text ends before pos.
int Field(const std::string& text, size_t pos, size_t len) {
    if (pos >= text.size()) return 0;
    if (pos + len > text.size()) return -1;
    int value = 0;
    for (size_t i = pos; i < pos + len; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// Replaces the first English weekday name in text by the language's name.
void LocalizeWeekday(char* text, int size, Zi18nLang* lang) {
    for (int day = 0; day < 7; ++day) {
        char* at = strstr(text, kEnglishShort[day]);
        if (!at) continue;
        size_t fullLength = strlen(kEnglishFull[day]);
        bool full = strncmp(at, kEnglishFull[day], fullLength) == 0;
        const char* local = full ? lang->FullWeekdayNames()[day] : lang->ShortWeekdayNames()[day];
        size_t nameLength = full ? fullLength : 3;
        if (!local) return;
        size_t localLength = strlen(local);
        const char* rest = at + nameLength;
        size_t restLength = strlen(rest);
        if (strlen(text) + localLength >= static_cast<size_t>(size - 1) ||
            restLength > kMaxRestAfterName) {
            return;
        }
        std::string tail(rest);
        memcpy(at, local, localLength);
        memcpy(at + localLength, tail.c_str(), tail.size() + 1);
        return;
    }
}

}  // namespace

int LocalizedDateText(const char* stored, char* out, int size, const char* format) {
    if (!out || size < 1) return -99;
    out[0] = '\0';
    if (!stored || !*stored) return 0;
    if (!format || !*format) {
        CopyCutChars(out, static_cast<size_t>(size), stored);
        return 0;
    }
    Zi18nLang* lang = AppEnvironment() ? AppEnvironment()->CurrentLanguage() : nullptr;
    if (!lang || !lang->CommonCatalog()) {
        TraceError("[%s][%d]", kLocalTag, __LINE__);
        CopyCutChars(out, static_cast<size_t>(size), stored);
        return 0;
    }
    std::string text(stored);
    int year = Field(text, 0, 4), month = Field(text, 4, 2), day = Field(text, 6, 2);
    int hour = Field(text, 8, 2), minute = Field(text, 10, 2), second = Field(text, 12, 2);
    if (year < 1900 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 ||
        minute < 0 || minute > 59 || second < 0 || second > 59) {
        TraceError("[%s:%d]y[%d]m[%d]d[%d]h[%d]m[%d]s[%d]", kLocalTag, __LINE__, year, month, day,
                   hour, minute, second);
        TraceError("[%s:%d] ret[%d] date[%s]", kLocalTag, __LINE__, -70013, stored);
        CopyCutChars(out, static_cast<size_t>(size), stored);
        return -70013;
    }
    struct tm fields = {};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    fields.tm_wday = DayOfWeek(month, year, day);
    int yearDay = day - 1;
    for (int m = 1; m < month; ++m) yearDay += DaysInMonth(m, year);
    fields.tm_yday = yearDay;
    fields.tm_isdst = 0;
    if (size > 1 && strftime(out, static_cast<size_t>(size - 1), format, &fields) == 0) {
        out[0] = '\0';
    }
    LocalizeWeekday(out, size, lang);
    return 0;
}

int FillMessageTemplate(const char* const* values, const char* const* names, int count,
                        const char* templateText, char* out, int size) {
    if (!templateText || !out || size < 1 || (count > 0 && !names)) {
        TraceError("[%s][%d]", kMessageTag, __LINE__);
        return -99;
    }
    NUTemplateToOutput expander;
    for (int i = 0; i < count; ++i) {
        if (!names[i] || !*names[i]) continue;
        expander.SetVar(names[i], values ? values[i] : "", 0);
    }
    std::string text(templateText);
    expander.SetTemplateText(text.data(), true);
    int ret = expander.Render();
    if (ret < 0) {
        TraceError("[%s][%d]ret[%d]errno[%d]", kMessageTag, __LINE__, ret, errno);
        out[0] = '\0';
        return -10;
    }
    CopyCutChars(out, static_cast<size_t>(size), expander.OutputText());
    return 0;
}
