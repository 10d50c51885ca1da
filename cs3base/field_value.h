// Typed field values: the root CS3String, the character-limited strings,
// user identifiers and hierarchical constant identifiers.
#pragma once

#include "util/nu_string.h"

// One column value of a record: an owned NUL-terminated byte string with a
// capacity (bytes including the NUL; 0 = unbounded) and a validating Set.
// Results: 0 success, negative codes on refusal. A bounded value holds what it
// stores, not its capacity: its buffer grows (at least twice, at most to the
// capacity) when a longer text comes, and is kept until destroyed.
class CS3String {
public:
    explicit CS3String(int capacity = 0);
    CS3String(const CS3String&) = delete;
    CS3String& operator=(const CS3String&) = delete;

    virtual ~CS3String();
    // The current text; never null ("" while no buffer exists). Points into
    // the value and stays valid until the next store, clear or destruction.
    virtual const char* Value() const;
    // CheckLength, then Store; failures are logged and returned.
    virtual int SetN(const char* text, int length);
    // The validating setter; null reads as "".
    virtual int Set(const char* text);
    virtual bool IsEmpty() const;
    // Bounded: zero-fills and keeps the buffer. Unbounded: frees it.
    virtual void Clear();
    // 0, -99 (negative length) or -62 (over the byte limit, user message set).
    virtual int CheckLength(const char* text, int length);
    // Copies the first length bytes of text (stopping at its NUL) into the
    // buffer. 0, -62 (does not fit the capacity), -10 (allocation failed).
    virtual int Store(const char* text, int length);

    // -1, 0 or 1 as the value's text compares below, equal to or above text
    // (unsigned bytes; null reads as "").
    int Compare(const char* text) const;
    // Appends text. 0; -62 when a bounded value would overflow; -10 when
    // memory runs out.
    int Append(const char* text);
    // The text read as a decimal integer; "" and non-numbers read as 0,
    // values beyond the 32-bit range are clamped.
    int AsInt() const;
    int Capacity() const { return capacity; }

protected:
    // Adopts a new capacity; only while no buffer exists.
    void SetCapacity(int newCapacity);
    bool HasBuffer() const { return buffer != nullptr; }
    // Writable view of the buffer (null while none exists).
    char* Buffer() { return buffer; }
    // Fills the whole buffer with zero bytes, keeping it.
    void ZeroBuffer();

private:
    // Replaces the buffer of a bounded value by one that holds length
    // bytes and the NUL, starting with the first count bytes of text (the
    // rest zero). 0 or -10.
    int Grow(const char* text, size_t count, size_t length);

    // A bounded value of at most this capacity (numbers, identifiers) keeps
    // its buffer inside the object: no allocation per field.
    static constexpr int kInlineCapacity = 16;

    char* buffer = nullptr;
    int capacity = 0;
    int allocated = 0;  // size of the buffer in bytes
    char inlineBuffer[kInlineCapacity];
};

// Reports a violated byte ("comzlengthbyte") or character ("comzlength")
// limit to the user: the catalog text with its "limit" placeholder filled
// replaces the environment's user message text.
void ReportLengthViolation(const char* key, int limit);

// The catalog text of a message key: the current language's texts first,
// then the message catalog; null without environment or when neither has
// it. The text stays owned by the environment.
const char* CatalogText(const char* key);

// A password text: a plain CS3String.
class AppStringPwd : public CS3String {
public:
    explicit AppStringPwd(int capacity = 0) : CS3String(capacity) {}
};

// A string limited in characters (UTF-8; a four-byte character counts two)
// and in bytes (maximum × 4 + 1 including the NUL). Maximum 0: no limit.
class CXioLCString : public CS3String {
public:
    explicit CXioLCString(int maxChars = 0);

    // -62 over the limits (user message set), -1000030 for a broken UTF-8
    // sequence, else SetN's result.
    int Set(const char* text) override;
    void Clear() override;
    // While no buffer exists, a non-zero maxChars becomes the new maximum
    // (and capacity); then clears the buffer.
    virtual void Reset(int maxChars);

    int MaxChars() const { return maxChars; }

private:
    int maxChars = 0;
};

class CS3ShortStr : public CXioLCString {
public:
    CS3ShortStr() : CXioLCString(63) {}
};

class CS3MiddleStr : public CXioLCString {
public:
    CS3MiddleStr() : CXioLCString(127) {}
};

class CS3LongStr : public CXioLCString {
public:
    CS3LongStr() : CXioLCString(255) {}
};

class ZString : public CXioLCString {
public:
    ZString() : CXioLCString(511) {}
};

class ZString511 : public CXioLCString {
public:
    ZString511() : CXioLCString(511) {}
    // The byte limit: capacity - 1.
    virtual int ByteLimit() const;
};

// A required long string: "" is refused with -10006, the value unchanged.
class CS3LongStrH : public CS3LongStr {
public:
    int Set(const char* text) override;
};

// A user identifier as read from the database (no character check).
class CS3UidStrDB : public CS3LongStr {};

// A user identifier: "-", ".", digits, "=", "@", letters, "[", "]", "^", "_",
// "`" (and the space when allowed), stored in lower case. Any other byte
// clears the value and gives -10007.
class CS3UidStr : public CS3ShortStr {
public:
    CS3UidStr() = default;
    int Set(const char* text) override;

protected:
    explicit CS3UidStr(bool spacesAllowed) : spacesAllowed(spacesAllowed) {}

private:
    bool spacesAllowed = false;
};

class CS3UidSpaceStr : public CS3UidStr {
public:
    CS3UidSpaceStr() : CS3UidStr(true) {}
};

// A hierarchical constant identifier: the company number as 9 digits
// followed by one 3-digit segment per level.
class CS3ConstIDStr : public CS3String {
public:
    CS3ConstIDStr() : CS3String(85) {}

    // -10006 empty, -10007 shorter than 9, -66 length not a multiple of 3,
    // -65 not all digits (the last two clear the value), else SetN's result.
    int Set(const char* text) override;

    // The text after the company part; a value of 8 characters or fewer is
    // cleared and "" returned. Points into the value.
    const char* RelativePart();
    // Sets company number + part; an empty part clears the value. -62 for a
    // part longer than 1023 bytes, else Set's result.
    int SetFromRelative(const char* part);
    // Sets the value to its parent (the last segment removed; "" when fewer
    // than 9 characters would remain). Set's result.
    int SetParent();
    // True when the value is the company's root ("%09d" of the company).
    bool IsRoot() const;
    // The value, or when empty and a name of at most 75 bytes is given,
    // "%09d %s" of company number and name. 0, or -2 when memory runs out.
    int DisplayForm(const char* name, NUString& out) const;

protected:
    explicit CS3ConstIDStr(int capacity) : CS3String(capacity) {}
    // SetN, then -66 / -65 (value cleared) for bad segments.
    int StoreSegments(const char* text);
};

// A constant identifier that may be empty.
class CS3OrgConstIDStr : public CS3ConstIDStr {
public:
    CS3OrgConstIDStr() : CS3ConstIDStr(60) {}
    int Set(const char* text) override;
};
