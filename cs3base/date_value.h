// Date field values: dates, time stamps, year-months, years and month-days
// as fixed-width digit texts.
#pragma once

#include "cs3base/number_value.h"

// A date YYYYMMDD. Set also takes year/month/day and year-month-day.
// Set: -13002 invalid all-digit date, -13004 not a date text (cleared).
class CS3DateStr : public CS3FixedInt {
public:
    CS3DateStr() : CS3FixedInt(9) {}

    int Set(const char* text) override;
    // Builds the date from three texts. All empty: 0, value unchanged; some
    // empty: -13002; a year over 4 or a month or day over 2 characters: -62;
    // a non-number: CS3Int's code; else Set's result.
    virtual int SetYMD(const char* year, const char* month, const char* day);
    // Set, then requires an empty value or a date after 19700102 and before
    // 21000101 (-70001, value cleared).
    virtual int SetInRange(const char* text);
    // 2 for a date, 3 for a date and time.
    virtual int Kind() const;

protected:
    explicit CS3DateStr(int capacity) : CS3FixedInt(capacity) {}
};

// A time stamp YYYYMMDDhhmmss (hour 24 allowed); -10007 when invalid.
class CS3DateTimeStr : public CS3DateStr {
public:
    CS3DateTimeStr() : CS3DateStr(15) {}

    int Set(const char* text) override;
    int Kind() const override;
};

// A year-month YYYYMM; -10007 when invalid. Every store is validated.
class CS3YMStr : public CS3FixedInt {
public:
    CS3YMStr() : CS3FixedInt(7) {}
    int SetN(const char* text, int length) override;
    int Set(const char* text) override;
};

// A year YYYY, not negative; -10007 when invalid. Every store is validated.
class CS3YearStr : public CS3FixedInt {
public:
    CS3YearStr() : CS3FixedInt(5) {}
    int SetN(const char* text, int length) override;
    int Set(const char* text) override;
};

// A month-day MMDD (0229 included); -10007 when invalid. Every store is
// validated.
class CS3MDStr : public CS3FixedInt {
public:
    CS3MDStr() : CS3FixedInt(5) {}
    int SetN(const char* text, int length) override;
    int Set(const char* text) override;
};

// A required month-day: "" is refused with -10006.
class CS3MDStrH : public CS3MDStr {
public:
    int Set(const char* text) override;
};

// The year (characters 1-4) of a date value, -1 when it is empty.
int YearOf(const CS3FixedInt& value);
// The month (characters 5-6) of a date value, -1 when it is empty.
int MonthOf(const CS3FixedInt& value);
