// NUString: owned byte strings with UTF-8-aware cutting.
#include "util/nu_string.h"

#include <charconv>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "util/utf8_text.h"

namespace {

const char* OrEmpty(const char* text) { return text ? text : ""; }

}  // namespace

bool ParseDecimalInt(const char* text, int* out) {
    if (text == nullptr || *text == '\0') return false;
    const char* end = text + std::strlen(text);
    int value = 0;
    auto [at, error] = std::from_chars(text, end, value);
    if (error != std::errc() || at != end) return false;
    *out = value;
    return true;
}

bool PointsInto(const char* text, const char* buffer) {
    if (text == nullptr || buffer == nullptr) return false;
    auto at = reinterpret_cast<uintptr_t>(text);
    auto start = reinterpret_cast<uintptr_t>(buffer);
    return at >= start && at <= start + strlen(buffer);
}

char* CopyBytes(const char* text, size_t maxBytes) {
    text = OrEmpty(text);
    size_t n = 0;
    while (n < maxBytes && text[n] != '\0') ++n;
    char* copy = static_cast<char*>(malloc(n + 1));
    if (copy == nullptr) return nullptr;
    memcpy(copy, text, n);
    copy[n] = '\0';
    return copy;
}

void CutAtBytePosition(char* s, size_t p) {
    size_t len = strlen(s);
    if (p >= len) p = len;
    if (p == 0) {
        s[0] = '\0';
        return;
    }
    if (static_cast<unsigned char>(s[p - 1]) < 0x80) {
        s[p] = '\0';
        return;
    }
    size_t i = p - 1;
    while (true) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (!IsContinuationByte(c)) break;
        if (i == 0) {
            s[0] = '\0';  // only continuation bytes: nothing whole to keep
            return;
        }
        --i;
    }
    // Only a lead whose character is still incomplete at p is dropped; a
    // complete character followed by stray continuation bytes stays.
    size_t have = p - i;
    size_t want = static_cast<size_t>(Utf8LeadLength(static_cast<unsigned char>(s[i])));
    s[want > have ? i : p] = '\0';
}

void CopyCut(char* out, size_t size, const char* text) {
    if (size == 0) return;
    text = OrEmpty(text);
    size_t n = 0;
    for (; n + 1 < size && text[n]; ++n) out[n] = text[n];
    out[n] = '\0';
}

void CopyCutChars(char* out, size_t size, const char* text) {
    if (size == 0) return;
    text = OrEmpty(text);
    CopyCut(out, size, text);
    if (text[strlen(out)] != '\0') CutAtBytePosition(out, size - 1);
}

NUString::~NUString() { free(data); }

const char* NUString::Get() const {
    return data ? data : reinterpret_cast<const char*>(&emptyWord);
}

size_t NUString::Length() const { return data ? strlen(data) : 0; }

// Keeps the buffer when its current text is at least length bytes long,
// otherwise replaces it by one of length+1 bytes. -2 leaves no buffer.
int NUString::Reserve(size_t length) {
    if (data && strlen(data) < length) {
        free(data);
        data = nullptr;
    }
    if (!data) {
        data = static_cast<char*>(malloc(length + 1));
        if (!data) return -2;
    }
    return 0;
}

int NUString::SetN(const char* text, int n) {
    text = OrEmpty(text);
    if (n < 0) n = 0;
    size_t count = static_cast<size_t>(n);
    if (PointsInto(text, data) && strlen(data) < count) {
        // The buffer is about to be replaced: its own text is copied first.
        char* own = CopyBytes(text, count);
        if (own == nullptr) return -2;
        int rc = SetN(own, n);
        free(own);
        return rc;
    }
    if (Reserve(count) != 0) return -2;
    // strncpy semantics: stop at text's NUL and pad with NUL up to n.
    size_t i = 0;
    for (; i < count && text[i]; ++i) data[i] = text[i];
    for (; i <= count; ++i) data[i] = '\0';
    return 0;
}

int NUString::Set(const char* text) {
    text = OrEmpty(text);
    return SetN(text, static_cast<int>(strlen(text)));
}

int NUString::SetCutBytes(const char* text, int maxBytes, const char* suffix) {
    text = OrEmpty(text);
    suffix = OrEmpty(suffix);
    if (PointsInto(suffix, data)) {
        // The cut rewrites the buffer the suffix lies in.
        char* own = CopyBytes(suffix, strlen(suffix));
        if (own == nullptr) return -2;
        int rc = SetCutBytes(text, maxBytes, own);
        free(own);
        return rc;
    }
    size_t len = strlen(text);
    if (Reserve(len) != 0) return -2;
    if (maxBytes < 0 || len <= static_cast<size_t>(maxBytes)) {
        memmove(data, text, len + 1);
        if (maxBytes >= 0) return 0;
        data[0] = '\0';
        return 0;
    }
    size_t limit = static_cast<size_t>(maxBytes);
    memmove(data, text, limit);
    data[limit] = '\0';
    size_t suffixLen = strlen(suffix);
    // A suffix longer than the limit leaves only the cut text's room for it;
    // never write past the buffer, which holds len+1 > limit bytes.
    size_t p = suffixLen <= limit ? limit - suffixLen : 0;
    CutAtBytePosition(data, p);
    size_t kept = strlen(data);
    size_t room = len - kept;
    size_t add = suffixLen < room ? suffixLen : room;
    memcpy(data + kept, suffix, add);
    data[kept + add] = '\0';
    return 0;
}

int NUString::SetCutChars(const char* text, int maxUnits, const char* suffix, bool fourByteIsOne) {
    text = OrEmpty(text);
    suffix = OrEmpty(suffix);
    if (PointsInto(suffix, data)) {
        char* own = CopyBytes(suffix, strlen(suffix));
        if (own == nullptr) return -2;
        int rc = SetCutChars(text, maxUnits, own, fourByteIsOne);
        free(own);
        return rc;
    }
    size_t len = strlen(text);
    if (Reserve(len) != 0) return -2;
    memmove(data, text, len + 1);

    long k = static_cast<long>(maxUnits) - static_cast<long>(strlen(suffix));
    if (k == 0) {
        data[0] = '\0';
        return 0;
    }
    size_t stop = 0;
    if (k > 0) {
        stop = Utf8CharsEnd(data, len, k, fourByteIsOne);
        if (stop >= len) return 0;  // the whole text fits: no suffix
    }
    // Cut at stop (0 when k < 0) and append as much of the suffix as the
    // buffer of len+1 bytes can hold.
    data[stop] = '\0';
    size_t suffixLen = strlen(suffix);
    size_t room = len - stop;
    size_t add = suffixLen < room ? suffixLen : room;
    if (add < suffixLen) {
        char* grown = static_cast<char*>(realloc(data, stop + suffixLen + 1));
        if (grown) {
            data = grown;
            add = suffixLen;
        }
    }
    memcpy(data + stop, suffix, add);
    data[stop + add] = '\0';
    return 0;
}

bool NUString::IsEmpty() const { return !data || data[0] == '\0'; }

void NUString::Clear() {
    free(data);
    data = nullptr;
}

int NUString::Format(const char* format, ...) {
    format = OrEmpty(format);
    size_t size = strlen(format) + 8192;
    char* buffer = static_cast<char*>(malloc(size));
    if (!buffer) {
        Clear();
        return 0;
    }
    // The old text goes only after formatting: an argument may be that text.
    va_list args;
    va_start(args, format);
    int count = vsnprintf(buffer, size, format, args);
    va_end(args);
    buffer[size - 1] = '\0';
    Clear();
    // A cut output ends before a character it would split.
    if (count >= 0 && static_cast<size_t>(count) >= size) CutAtBytePosition(buffer, size - 1);
    data = buffer;
    return count;
}

int NUString::Append(const char* text) {
    if (!text || !*text) return 0;
    size_t add = strlen(text);
    size_t have = data ? strlen(data) : 0;
    // The text may lie in the buffer, which realloc may move.
    bool own = PointsInto(text, data);
    size_t offset = own ? static_cast<size_t>(text - data) : 0;
    char* grown = static_cast<char*>(realloc(data, have + add + 1));
    if (!grown) return -2;
    data = grown;
    if (own) text = data + offset;
    memmove(data + have, text, add);
    data[have + add] = '\0';
    return 0;
}

void NUString::NewlinesToSpaces() {
    if (!data) return;
    for (char* p = data; *p; ++p) {
        if (*p == '\n') *p = ' ';
    }
}
