// Flag and keyword field values of the office settings.
#include "cxiocom/office_flags.h"

#include <cerrno>
#include <cstring>

#include "util/log.h"
#include "util/utf8_text.h"

namespace {

const char kTag[] = "cxiooffice_flag";

const char* OrEmpty(const char* text) { return text ? text : ""; }

}  // namespace

int CXioTypeSendMailFrom::Set(const char* text) {
    return SetFromList(text, {"0", "1", "2"}, Refusal::ClearValue);
}

int ZFlgPosition::Set(const char* text) {
    text = OrEmpty(text);
    int ret = CS3String::SetN(text, static_cast<int>(strlen(text)));
    if (ret != 0) {
        TraceError("[%s][%d]ret[%d]errno[%d]", kTag, __LINE__, ret, errno);
        Clear();
        return -10007;
    }
    const char* v = Value();
    bool valid = strlen(v) == 2 && strchr("tmb", v[0]) && strchr("lcr", v[1]);
    if (valid) return 0;
    Clear();
    return -10007;
}

int CXioKeyword::Set(const char* text) {
    text = OrEmpty(text);
    if (!IsInteger(text)) return -13006;
    size_t length = strlen(text);
    if (length >= 4) return -62;
    return SetN(text, static_cast<int>(length));
}
