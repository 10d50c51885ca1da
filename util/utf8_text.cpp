// UTF-8 text utilities: character-boundary searches and cuts, display-width
// trimming, blank trimming and number checks.
#include "util/utf8_text.h"

#include <cstring>

#include "util/nu_string.h"

namespace {

bool IsBlank(char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Bytes a search steps over at a position: the sequence length of a lead
// byte, 2 for any byte that cannot start a character.
size_t SearchStep(unsigned char c) {
    int n = Utf8LeadLength(c);
    return n > 0 ? static_cast<size_t>(n) : 2;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool MatchesNoCase(const char* at, const char* needle) {
    for (; *needle; ++at, ++needle) {
        if (LowerAscii(*at) != LowerAscii(*needle)) return false;  // also stops at at's end
    }
    return true;
}

template <typename Match>
const char* Search(const char* haystack, const char* needle, Match match) {
    if (!haystack || !needle) return nullptr;
    size_t length = strlen(haystack);
    for (size_t p = 0; p < length; p += SearchStep(static_cast<unsigned char>(haystack[p]))) {
        if (match(haystack + p, needle)) return haystack + p;
    }
    return nullptr;
}

bool MatchesExact(const char* at, const char* needle) {
    return strncmp(at, needle, strlen(needle)) == 0;
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
    return Search(haystack, needle, MatchesExact);
}

char* FindText(char* haystack, const char* needle) {
    return const_cast<char*>(FindText(static_cast<const char*>(haystack), needle));
}

const char* FindTextNoCase(const char* haystack, const char* needle) {
    return Search(haystack, needle, MatchesNoCase);
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
    size_t stop = 0;
    long taken = 0;
    while (stop < length && taken < count) {
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
        if (LowerAscii(*a) != LowerAscii(*b)) return false;
    }
    return *a == *b;
}
