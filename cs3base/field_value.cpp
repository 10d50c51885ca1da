// Typed field values: the root CS3String and the character-limited strings.
#include "cs3base/field_value.h"

#include <cerrno>
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "env/catalog.h"
#include "env/environment.h"
#include "util/log.h"

namespace {

const char kTag[] = "cs3string";
const char kLcTag[] = "cxiolcstring";

const char* OrEmpty(const char* text) { return text ? text : ""; }

// The catalog text of a length message key (the common catalog first, then
// the message catalog) with its "$limit$" placeholder filled with limit;
// "" (after a log line) when the environment or its catalog cannot give it.
std::string LengthMessage(const char* key, int limit) {
    const char* text = CatalogText(key);
    if (!text) {
        TraceError("[%s][%d]", key, __LINE__);
        return std::string();
    }
    std::string limitText = std::to_string(limit);
    const char* names[] = {"limit"};
    const char* values[] = {limitText.c_str()};
    std::vector<char> message(strlen(text) * 2 + 64);
    if (FillMessageTemplate(values, names, 1, text, message.data(),
                            static_cast<int>(message.size())) != 0) {
        return std::string();
    }
    return message.data();
}

}  // namespace

CS3String::CS3String(int capacity) : capacity(capacity > 0 ? capacity : 0) {}

CS3String::~CS3String() {
    if (buffer != inlineBuffer) free(buffer);
}

const char* CS3String::Value() const { return buffer ? buffer : ""; }

int CS3String::SetN(const char* text, int length) {
    if (length > 0 && PointsInto(text, buffer)) {
        // CheckLength or Store may replace the buffer the text lies in.
        char* own = CopyBytes(text, static_cast<size_t>(length));
        if (own == nullptr) return -10;
        int ret = SetN(own, length);
        free(own);
        return ret;
    }
    int ret = CheckLength(text, length);
    if (ret == 0) ret = Store(text, length);
    if (ret != 0) TraceError("[%s:%d]ret[%d]", kTag, __LINE__, ret);
    return ret;
}

int CS3String::Set(const char* text) {
    text = OrEmpty(text);
    return SetN(text, static_cast<int>(strlen(text)));
}

bool CS3String::IsEmpty() const { return !buffer || buffer[0] == '\0'; }

void CS3String::Clear() {
    if (!buffer) return;
    if (capacity != 0) {
        ZeroBuffer();
        return;
    }
    free(buffer);
    buffer = nullptr;
    allocated = 0;
}

int CS3String::CheckLength(const char* text, int length) {
    text = OrEmpty(text);
    if (length < 0) {
        TraceError("[%s:%d]len[%d]", kTag, __LINE__, length);
        return -99;
    }
    if (capacity != 0) {
        // Too long when both the text and the length reach the capacity:
        // the text up to length (its NUL, if sooner) reaches it.
        size_t limit = static_cast<size_t>(capacity);
        if (strnlen(text, static_cast<size_t>(length)) >= limit) {
            ReportLengthViolation("comzlengthbyte", capacity - 1);
            TraceError("[%s:%d]len[%d]size[%d]", kTag, __LINE__, length, capacity);
            return -62;
        }
        return 0;
    }
    // Unbounded: a longer text needs a new buffer, which Store allocates.
    if (buffer && static_cast<size_t>(length) > strlen(buffer)) {
        free(buffer);
        buffer = nullptr;
        allocated = 0;
    }
    return 0;
}

int CS3String::Store(const char* text, int length) {
    text = OrEmpty(text);
    if (length < 0) length = 0;
    // Never read beyond the text's NUL, whatever length claims.
    size_t count = strnlen(text, static_cast<size_t>(length));
    if (capacity != 0) {
        // Checked on every store, not only the first: a bounded buffer is
        // never written beyond its capacity.
        if (count >= static_cast<size_t>(capacity)) {
            TraceError("[%s:%d]size[%d]len[%d]", kTag, __LINE__, capacity, length);
            return -62;
        }
        if (capacity <= kInlineCapacity) {
            if (!buffer) {
                buffer = inlineBuffer;
                memset(buffer, 0, static_cast<size_t>(capacity));
                allocated = capacity;
            }
        } else if (!buffer || count + 1 > static_cast<size_t>(allocated)) {
            return Grow(text, count, count);
        }
    } else if (!buffer || count + 1 > static_cast<size_t>(allocated)) {
        if (count + 1 > static_cast<size_t>(INT_MAX)) return -62;
        char* grown = static_cast<char*>(malloc(count + 1));
        if (!grown) return -10;
        // Copied before the old buffer goes: the text may lie in it.
        memcpy(grown, text, count);
        grown[count] = '\0';
        free(buffer);
        buffer = grown;
        allocated = static_cast<int>(count + 1);
        return 0;
    }
    memmove(buffer, text, count);
    buffer[count] = '\0';
    return 0;
}

int CS3String::Grow(const char* text, size_t count, size_t length) {
    // Twice the old size, at least 32 bytes, at most the capacity.
    size_t size = std::max({length + 1, static_cast<size_t>(allocated) * 2, size_t{32}});
    size = std::min(size, static_cast<size_t>(capacity));
    char* grown = static_cast<char*>(malloc(size));
    if (!grown) return -10;
    // Copied before the old buffer goes: the text may lie in it.
    memcpy(grown, text, count);
    memset(grown + count, 0, size - count);
    free(buffer);
    buffer = grown;
    allocated = static_cast<int>(size);
    return 0;
}

int CS3String::Compare(const char* text) const {
    int c = strcmp(Value(), OrEmpty(text));  // strcmp compares as unsigned char
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int CS3String::Append(const char* text) {
    text = OrEmpty(text);
    if (text[0] == '\0') return 0;
    if (!buffer) return Set(text);
    // The text may be (part of) this value: copied before the buffer moves
    // or is written.
    const std::string copy = text;
    text = copy.c_str();
    size_t current = strlen(buffer);
    size_t added = copy.size();
    if (capacity != 0) {
        if (current + added >= static_cast<size_t>(capacity)) {
            TraceError("[%s][%d]size[%d]len[%d %d]", kTag, __LINE__, capacity,
                       static_cast<int>(current), static_cast<int>(added));
            return -62;
        }
        if (current + added + 1 > static_cast<size_t>(allocated)) {
            return Grow(buffer, current, current + added) != 0 ? -10 : Append(text);
        }
        memcpy(buffer + current, text, added + 1);
        return 0;
    }
    size_t needed = current + added + 1;
    if (needed > static_cast<size_t>(INT_MAX)) return -62;
    if (needed > static_cast<size_t>(allocated)) {
        char* grown = static_cast<char*>(realloc(buffer, needed));
        if (!grown) return -10;
        buffer = grown;
        allocated = static_cast<int>(needed);
    }
    memcpy(buffer + current, text, added + 1);
    return 0;
}

int CS3String::AsInt() const {
    errno = 0;
    long long n = strtoll(Value(), nullptr, 10);
    if (n > INT_MAX) return INT_MAX;
    if (n < INT_MIN) return INT_MIN;
    return static_cast<int>(n);
}

void CS3String::ZeroBuffer() {
    if (buffer) memset(buffer, 0, static_cast<size_t>(allocated));
}

void CS3String::SetCapacity(int newCapacity) {
    if (buffer) return;
    capacity = newCapacity > 0 ? newCapacity : 0;
}

const char* CatalogText(const char* key) {
    CMSioObjApp* env = AppEnvironment();
    if (!env) return nullptr;
    const char* text = LookupText(key);
    if (!text && env->MessageByKey(key, &text, nullptr) != 0) text = nullptr;
    return text;
}

void ReportLengthViolation(const char* key, int limit) {
    std::string message = LengthMessage(key, limit);
    CMSioObjApp* env = AppEnvironment();
    if (env) env->UserMessage().Format("%s%s", "", message.c_str());
}

CXioLCString::CXioLCString(int maxChars) : CS3String(maxChars > 0 ? maxChars * 4 + 1 : 0) {
    this->maxChars = maxChars > 0 ? maxChars : 0;
}

int CXioLCString::Set(const char* text) {
    text = OrEmpty(text);
    int ret = 0;
    if (maxChars != 0) {
        int count = 0;
        const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
        while (*p != 0 && ret == 0) {
            unsigned char lead = *p++;
            int follow = 0;
            if (lead >= 0xC0 && lead <= 0xDF) {
                follow = 1;
            } else if (lead >= 0xE0 && lead <= 0xEF) {
                follow = 2;
            } else if (lead >= 0xF0 && lead <= 0xF7) {
                follow = 3;
            }
            // A NUL ends a truncated sequence here as well: it is below 0x80.
            for (int i = 0; i < follow; ++i, ++p) {
                if (*p < 0x80) {
                    TraceError("[%s:%d]len[%d][%x]", kLcTag, __LINE__, count, *p);
                    ret = -1000030;
                    break;
                }
            }
            count += follow == 3 ? 2 : 1;
        }
        if (ret == 0 && count > maxChars) {
            ReportLengthViolation("comzlength", maxChars);
            TraceError("[%s:%d]len[%d]max[%d]", kLcTag, __LINE__, count, maxChars);
            ret = -62;
        }
    }
    if (ret == 0) ret = SetN(text, static_cast<int>(strlen(text)));
    if (ret < 0) TraceError("[%s][%d]ret[%d]", kLcTag, __LINE__, ret);
    return ret;
}

void CXioLCString::Clear() {
    if (maxChars != 0) {
        Reset(maxChars);
        return;
    }
    CS3String::Clear();
}

void CXioLCString::Reset(int newMax) {
    if (!HasBuffer() && newMax > 0) {
        maxChars = newMax;
        SetCapacity(newMax * 4 + 1);
    }
    ZeroBuffer();
}

int ZString511::ByteLimit() const { return Capacity() - 1; }

int CS3LongStrH::Set(const char* text) {
    if (!text || text[0] == '\0') return -10006;
    return CS3LongStr::Set(text);
}

int CS3UidStr::Set(const char* text) {
    int ret = CS3ShortStr::Set(text);
    if (ret != 0) return ret;
    char* p = Buffer();
    if (!p) return 0;
    for (; *p; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        bool accepted = c == '-' || c == '.' || (c >= '0' && c <= '9') || c == '=' ||
                        c == '@' || (c >= 'A' && c <= 'Z') || c == '[' || c == ']' ||
                        c == '^' || c == '_' || c == 0x60 || (c >= 'a' && c <= 'z') ||
                        (c == ' ' && spacesAllowed);
        if (!accepted) {
            Clear();
            return -10007;
        }
        if (c >= 'A' && c <= 'Z') *p = static_cast<char>(c - 'A' + 'a');
    }
    return 0;
}
