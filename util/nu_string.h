// NUString: the framework's owned, NUL-terminated byte string.
#pragma once

#include <cstddef>

#include "util/format_check.h"

// Holds bytes, never characters; the two cut operations read UTF-8 so a cut
// never splits a character. Results: 0 success, -2 allocation failure.
// Null text is accepted everywhere and read as "".
class NUString {
public:
    NUString() = default;
    NUString(const NUString&) = delete;
    NUString& operator=(const NUString&) = delete;

    virtual ~NUString();
    // The text; a pointer to the object's empty word when there is no buffer.
    virtual const char* Get() const;
    // Replaces the text with the first n bytes of text (strncpy semantics).
    virtual int SetN(const char* text, int n);
    virtual int Set(const char* text);
    // Sets text; if longer than maxBytes, cuts at a character boundary so
    // that text plus suffix fit in maxBytes.
    virtual int SetCutBytes(const char* text, int maxBytes, const char* suffix);
    // Sets text; if longer than maxUnits character units, cuts and appends
    // suffix. A character of 4+ bytes counts 2 units unless fourByteIsOne.
    virtual int SetCutChars(const char* text, int maxUnits, const char* suffix, bool fourByteIsOne);
    virtual bool IsEmpty() const;
    virtual void Clear();

    // printf-style set, cut at strlen(format) + 8191 bytes; returns the
    // formatter's count (0 when memory runs out: the string is left empty).
    int Format(const char* format, ...) NU_PRINTF(2, 3);
    int Append(const char* text);
    void NewlinesToSpaces();

    // Length of the text in bytes (convenience; same as strlen(Get())).
    size_t Length() const;

private:
    int Reserve(size_t length);

    char* data = nullptr;
    unsigned emptyWord = 0;
};

// Sequence length of a UTF-8 lead byte (1 to 6), 0 for an invalid lead byte.
// Inline: the text walks call it once per character.
constexpr int Utf8LeadLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    if (lead >= 0xF8 && lead <= 0xFB) return 5;
    if (lead >= 0xFC && lead <= 0xFD) return 6;
    return 0;
}

// True for a UTF-8 continuation byte (0x80 to 0xBF).
constexpr bool IsContinuationByte(unsigned char c) { return c >= 0x80 && c <= 0xBF; }

// Bytes of the UTF-8 character at text, reading at most available bytes:
// its sequence length when every continuation byte is there; 1 for ASCII,
// a byte that cannot lead, or a lead whose continuation bytes are missing
// (one broken byte, so it never swallows the character after it); 0 when
// the text ends inside the character, or available is 0.
inline size_t Utf8CharBytes(const char* text, size_t available) {
    if (available == 0) return 0;
    unsigned char lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80) return 1;
    size_t want = static_cast<size_t>(Utf8LeadLength(lead));
    if (want <= 1) return 1;
    size_t have = 1;
    while (have < want && have < available &&
           IsContinuationByte(static_cast<unsigned char>(text[have]))) {
        ++have;
    }
    if (have == want) return want;
    return have == available ? 0 : 1;
}

// Cuts s in place at byte position p without splitting a UTF-8 character.
void CutAtBytePosition(char* s, size_t p);

// True when text points into the NUL-terminated buffer (its NUL included):
// a store that may free, move or rewrite buffer must copy such a text first.
bool PointsInto(const char* text, const char* buffer);
// A malloc'ed copy of at most maxBytes bytes of text (null read as ""),
// NUL-terminated; the caller frees it. Null when allocation fails.
char* CopyBytes(const char* text, size_t maxBytes);

// Copies text (null read as "") into the fixed buffer out of size bytes,
// cut to size-1 bytes and terminated; size 0 writes nothing.
void CopyCut(char* out, size_t size, const char* text);
// As CopyCut, but a text that does not fit is cut before a character the cut
// would split; a text that fits is copied whole.
void CopyCutChars(char* out, size_t size, const char* text);

// Reads text as a decimal int: an optional "-" and digits, the whole text,
// within int. True and *out set; false (out untouched) for anything else.
bool ParseDecimalInt(const char* text, int* out);
