// UTF-8 text utilities: character-boundary searches and cuts, display-width
// trimming, blank trimming and number checks.
#include "util/utf8_text.h"

#include <cstring>

#include "util/nu_string.h"

namespace {

bool IsBlank(char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Bytes a search steps over from each byte: the sequence length of a lead
// byte, 2 for any byte that cannot start a character.
struct SearchSteps {
    constexpr SearchSteps() {
        for (int c = 0; c < 256; ++c) {
            int n = Utf8LeadLength(static_cast<unsigned char>(c));
            step[c] = static_cast<unsigned char>(n > 0 ? n : 2);
        }
    }
    unsigned char step[256] = {};
};
constexpr SearchSteps kSearchSteps;

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// A position is on the search's steps when the five bytes before it are
// ASCII and a step landed at or before the first of them: steps are at most
// six bytes, so the walk lands on one of the five, and one-byte steps lead
// on to the position.
constexpr size_t kSyncRun = 5;

// A position on the steps in [from, c] to walk to c from: the end of the
// last run of five ASCII bytes in [from, c), else from (which is on them).
size_t StepsNear(const char* text, size_t from, size_t c) {
    size_t run = 0;
    for (size_t j = c; j > from; --j) {
        if (static_cast<unsigned char>(text[j - 1]) >= 0x80) {
            run = 0;
        } else if (++run == kSyncRun) {
            return j - 1 + kSyncRun;
        }
    }
    return from;
}

// Byte comparison of the exact search: candidates by memchr.
struct SameByte {
    static char Fold(char c) { return c; }
    static const char* Next(const char* from, size_t n, char first) {
        return static_cast<const char*>(memchr(from, first, n));
    }
};

// Byte comparison with ASCII letters folded to lower case.
struct SameByteNoCase {
    static char Fold(char c) { return LowerAscii(c); }
    static const char* Next(const char* from, size_t n, char first) {
        for (size_t i = 0; i < n; ++i) {
            if (LowerAscii(from[i]) == first) return from + i;
        }
        return nullptr;
    }
};

// First position of needle in haystack on the search's steps, bytes
// compared through Same::Fold. Only where the first byte matches is the
// rest compared, and only when the haystack's rest can hold the needle.
// Such a candidate is found by Same::Next; whether the steps land on it is
// decided by walking to it from the nearest position known to be on them.
template <typename Same>
const char* Search(const char* haystack, const char* needle) {
    if (!haystack || !needle) return nullptr;
    size_t length = strlen(haystack);
    size_t needleLength = strlen(needle);
    if (needleLength == 0) return length > 0 ? haystack : nullptr;
    if (needleLength > length) return nullptr;
    const char first = Same::Fold(needle[0]);
    const size_t lastStart = length - needleLength;
    size_t p = 0;  // always a position the steps land on
    while (p <= lastStart) {
        const char* hit = Same::Next(haystack + p, lastStart + 1 - p, first);
        if (!hit) return nullptr;
        size_t c = static_cast<size_t>(hit - haystack);
        for (p = StepsNear(haystack, p, c); p < c;) {
            p += kSearchSteps.step[static_cast<unsigned char>(haystack[p])];
        }
        if (p != c) continue;  // the candidate lies inside a step
        size_t i = 1;
        while (i < needleLength && Same::Fold(haystack[c + i]) == Same::Fold(needle[i])) ++i;
        if (i == needleLength) return haystack + c;
        p += kSearchSteps.step[static_cast<unsigned char>(haystack[p])];
    }
    return nullptr;
}

// Integer check over text[0, length): digits with an optional leading "-",
// at least one digit, then only blanks.
bool IsIntegerRange(const char* text, size_t length) {
    size_t i = 0;
    if (i < length && text[i] == '-') ++i;
    size_t digitsFrom = i;
    while (i < length && IsDigit(text[i])) ++i;
    if (i == digitsFrom) return false;
    for (; i < length; ++i) {
        if (!IsBlank(text[i])) return false;
    }
    return true;
}

}  // namespace

int Utf8SequenceLength(unsigned char lead) {
    int n = Utf8LeadLength(lead);
    return n > 0 ? n : -1;
}

bool IsHalfWidthKana(const char* text) {
    if (!text) return false;
    const unsigned char* b = reinterpret_cast<const unsigned char*>(text);
    if (b[0] != 0xEF) return false;
    if (b[1] == 0xBD) return b[2] >= 0xA1 && b[2] <= 0xBF;
    if (b[1] == 0xBE) return b[2] >= 0x80 && b[2] <= 0x9F;
    return false;
}

const char* FindText(const char* haystack, const char* needle) {
    return Search<SameByte>(haystack, needle);
}

char* FindText(char* haystack, const char* needle) {
    return const_cast<char*>(FindText(static_cast<const char*>(haystack), needle));
}

const char* FindTextNoCase(const char* haystack, const char* needle) {
    return Search<SameByteNoCase>(haystack, needle);
}

char* FindTextNoCase(char* haystack, const char* needle) {
    return const_cast<char*>(FindTextNoCase(static_cast<const char*>(haystack), needle));
}

void CutAtByte(size_t position, char* text, bool clamp) {
    if (!text) return;
    if (!clamp && position >= strlen(text)) return;
    CutAtBytePosition(text, position);
}

size_t Utf8CharsEnd(const char* text, size_t length, long count, bool fourByteAsOne) {
    const unsigned char* b = reinterpret_cast<const unsigned char*>(text);
    size_t stop = 0;
    long taken = 0;
    while (stop < length && taken < count) {
        // The common characters take a branch of their own, which keeps the
        // next position from waiting on a computed length.
        if (b[stop] < 0x80) {
            ++stop;
            ++taken;
            continue;
        }
        if (b[stop] >= 0xE0 && b[stop] <= 0xEF && length - stop >= 3 &&
            IsContinuationByte(b[stop + 1]) && IsContinuationByte(b[stop + 2])) {
            stop += 3;
            ++taken;
            continue;
        }
        size_t bytes = Utf8CharBytes(text + stop, length - stop);
        if (bytes == 0) break;  // the text ends inside this character
        long cost = (bytes > 3 && !fourByteAsOne) ? 2 : 1;
        if (taken + cost > count) break;
        taken += cost;
        stop += bytes;
    }
    return stop;
}

bool CutToChars(char* text, int count, bool fourByteAsOne) {
    if (!text) return false;
    if (count <= 0) {
        text[0] = '\0';
        return false;
    }
    size_t length = strlen(text);
    size_t stop = Utf8CharsEnd(text, length, count, fourByteAsOne);
    if (stop >= length) return false;
    text[stop] = '\0';
    return true;
}

void KeepLastColumns(char* text) {
    constexpr int kColumns = 64;
    if (!text) return;
    size_t length = strlen(text);
    if (length <= static_cast<size_t>(kColumns)) return;

    int total = 0;
    size_t previousLead = length;  // start of the character counted before
    for (size_t i = length; i-- > 0;) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (IsContinuationByte(c)) continue;
        total += (c < 0x80 || IsHalfWidthKana(text + i)) ? 1 : 2;
        if (total >= kColumns) {
            size_t keep = total == kColumns ? i : previousLead;
            memmove(text, text + keep, length - keep + 1);
            return;
        }
        previousLead = i;
    }
}

void TrimTrailingSpace(char* text) {
    if (!text) return;
    size_t length = strlen(text);
    while (length > 0 && IsBlank(text[length - 1])) --length;
    text[length] = '\0';
}

bool IsInteger(const char* text) {
    if (!text) return false;
    return IsIntegerRange(text, strlen(text));
}

bool IsDecimal(const char* text) {
    if (!text) return false;
    const char* point = strrchr(text, '.');
    if (!point) return IsInteger(text);
    if (point[1] == '-' || !IsInteger(point + 1)) return false;
    if (point == text) return true;
    return IsIntegerRange(text, static_cast<size_t>(point - text));
}

bool EqualsNoCase(const char* a, const char* b) {
    if (!a) a = "";
    if (!b) b = "";
    for (; *a && *b; ++a, ++b) {
        if (*a != *b && LowerAscii(*a) != LowerAscii(*b)) return false;
    }
    return *a == *b;
}
