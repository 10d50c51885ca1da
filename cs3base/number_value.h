// Numeric field values: integers, whole doubles, identifiers, positive
// integers, daylight-saving minutes and fixed-width digit texts.
#pragma once

#include <cstddef>

#include "cs3base/field_value.h"

// An integer stored as its decimal text: at most capacity - 2 digits, or
// capacity - 1 characters with a leading minus. "" is accepted as empty.
// Set: -13006 not a number, -13009 has a decimal point, -63 too many digits.
class CS3Int : public CS3String {
public:
    explicit CS3Int(int capacity = 11) : CS3String(capacity) {}

    int Set(const char* text) override;
    // Set of "%d" of value.
    virtual int SetInt(int value);
};

// A whole number of up to 12 digits (capacity 14).
class CS3Double : public CS3Int {
public:
    explicit CS3Double(int capacity = 14) : CS3Int(capacity) {}
    // Set of the "%0.0f" rendering (rounded, no decimal point).
    int SetDouble(double value);
};

// The length of a text key without its trailing blanks. A CR is dropped
// where a value meets the database, so it keeps no blank before it:
// "k \r" is the key "k", stored and searched alike.
size_t KeyLength(const char* text, size_t length);

// A record identifier: a number (as CS3Int) or, in text mode, a free text
// shorter than the capacity with trailing blanks removed (KeyLength).
class CS3Id : public CS3Int {
public:
    explicit CS3Id(int textMode = 0, int capacity = 11) : CS3Int(capacity), textMode(textMode) {}

    int Set(const char* text) override;

    bool IsTextMode() const { return textMode != 0; }
    void SetTextMode(int mode) { textMode = mode; }

private:
    int textMode = 0;
};

// An integer that must not be negative (-64, value cleared).
class AppIntPositive : public CS3Int {
public:
    // capacity 6 admits 4 digits, 8 admits 6 (as CS3Int).
    explicit AppIntPositive(int capacity = 11) : CS3Int(capacity) {}
    int Set(const char* text) override;
};

// Daylight-saving minutes: "on" or a non-zero integer give 60; "off" and
// "0" give 0; "" stays empty; anything else is refused with -13006.
class AppDstMin : public CS3Int {
public:
    AppDstMin() : CS3Int(11) {}
    int Set(const char* text) override;
};

// Exactly capacity - 1 decimal digits, or empty.
class CS3FixedInt : public CS3Int {
public:
    explicit CS3FixedInt(int capacity) : CS3Int(capacity) {}

    int Set(const char* text) override;
    // 0 when the text is exactly capacity - 1 characters long, else -10007.
    virtual int CheckFixedLength();

    // Stores text with the plain length checks, then requires an empty value
    // or capacity - 1 digits: -10007 (value cleared) otherwise.
    int FixedSet(const char* text);
};
