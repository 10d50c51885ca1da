// Numeric field values: integers, whole doubles, identifiers, positive
// integers, daylight-saving minutes and fixed-width digit texts.
#include "cs3base/number_value.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "util/log.h"
#include "util/utf8_text.h"

namespace {

const char kTag[] = "cs3number";
const char kDateTag[] = "cs3date";

const char* OrEmpty(const char* text) { return text ? text : ""; }

}  // namespace

int CS3Int::Set(const char* text) {
    text = OrEmpty(text);
    if (text[0] == '\0') return SetN(text, 0);
    if (!IsDecimal(text)) return -13006;
    if (strchr(text, '.')) return -13009;
    size_t length = strlen(text);
    size_t limit = static_cast<size_t>(Capacity());
    if (text[0] != '-') --limit;  // room for the minus sign is room for a digit less
    if (length >= limit) return -63;
    return SetN(text, static_cast<int>(length));
}

int CS3Int::SetInt(int value) {
    char text[16];
    snprintf(text, sizeof text, "%d", value);
    return Set(text);
}

int CS3Double::SetDouble(double value) {
    char text[512];
    snprintf(text, sizeof text, "%0.0f", value);
    return Set(text);
}

size_t KeyLength(const char* text, size_t length) {
    while (length > 0 && (text[length - 1] == ' ' || text[length - 1] == '\r')) --length;
    return length;
}

int CS3Id::Set(const char* text) {
    if (textMode == 0) return CS3Int::Set(text);
    text = OrEmpty(text);
    size_t length = strlen(text);
    if (length >= static_cast<size_t>(Capacity())) {
        TraceError("[%s:%d]len[%d]id[%s]", kTag, __LINE__, static_cast<int>(length), text);
        return -62;
    }
    int ret = Store(text, static_cast<int>(KeyLength(text, length)));
    if (ret != 0) TraceError("[%s:%d]ret[%d]errno[%d]", kTag, __LINE__, ret, errno);
    return ret;
}

int AppIntPositive::Set(const char* text) {
    int ret = CS3Int::Set(text);
    if (ret != 0) return ret;
    if (AsInt() < 0) {
        TraceError("[%s:%d] value=[%s]", kTag, __LINE__, Value());
        Clear();
        return -64;
    }
    return 0;
}

int AppDstMin::Set(const char* text) {
    text = OrEmpty(text);
    if (text[0] == '\0') return CS3Int::Set(text);
    int minutes = 0;
    if (strcmp(text, "on") == 0) {
        minutes = 60;
    } else if (strcmp(text, "off") == 0) {
        minutes = 0;
    } else if (IsInteger(text)) {
        minutes = strtoll(text, nullptr, 10) != 0 ? 60 : 0;
    } else {
        TraceError("[%s:%d]dstmin[%s]", kTag, __LINE__, text);
        TraceError("[%s:%d]ret[%d]", kTag, __LINE__, -13006);
        return -13006;
    }
    // Through the integer setter itself: this class's Set would read "60"
    // again.
    return minutes == 60 ? CS3Int::Set("60") : CS3Int::Set("0");
}

int CS3FixedInt::Set(const char* text) { return FixedSet(text); }

int CS3FixedInt::CheckFixedLength() {
    int length = static_cast<int>(strlen(Value()));
    if (length == Capacity() - 1) return 0;
    TraceError("[%s:%d] size[%d]val[%d]", kDateTag, __LINE__, Capacity(), length);
    return -10007;
}

int CS3FixedInt::FixedSet(const char* text) {
    text = OrEmpty(text);
    int ret = CS3String::SetN(text, static_cast<int>(strlen(text)));
    if (ret != 0) return ret;
    if (IsEmpty()) return 0;
    ret = CheckFixedLength();
    if (ret != 0) {
        TraceError("[%s:%d] ret[%d]", kDateTag, __LINE__, ret);
        Clear();
        return ret;
    }
    // Exactly digits: the integer test would also take a minus or
    // trailing blanks within the fixed width.
    for (const char* p = Value(); *p != '\0'; ++p) {
        if (*p < '0' || *p > '9') {
            Clear();
            return -10007;
        }
    }
    return 0;
}
