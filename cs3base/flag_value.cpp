// Flag field values: short texts restricted to a fixed set per class.
#include "cs3base/flag_value.h"

#include <cstring>

#include "util/utf8_text.h"

namespace {

const char* OrEmpty(const char* text) { return text ? text : ""; }

bool InList(const char* text, std::initializer_list<const char*> accepted) {
    for (const char* a : accepted) {
        if (strcmp(text, a) == 0) return true;
    }
    return false;
}

}  // namespace

int CS3FlgStr::SetN(const char* text, int length) {
    int ret = CS3String::SetN(text, length);
    if (ret == 0 && Buffer()) TrimTrailingSpace(Buffer());
    return ret;
}

int CS3FlgStr::SetFromList(const char* text, std::initializer_list<const char*> accepted,
                           Refusal refusal) {
    text = OrEmpty(text);
    if (refusal == Refusal::KeepOld && !InList(text, accepted)) return -10007;
    int ret = CS3String::SetN(text, static_cast<int>(strlen(text)));
    if (ret != 0) return ret;
    if (InList(Value(), accepted)) return 0;
    if (refusal == Refusal::ClearValue) Clear();
    return -10007;
}

int CS3FlgStr::SetFromInts(const char* text, std::initializer_list<int> accepted) {
    text = OrEmpty(text);
    int ret = CS3String::SetN(text, static_cast<int>(strlen(text)));
    if (ret != 0) return ret;
    int n = AsInt();
    for (int a : accepted) {
        if (n == a) return 0;
    }
    Clear();
    return -10007;
}

int CS3LoginFlg::Set(const char* text) {
    return SetFromList(text, {"1", "2", "0", "3"}, Refusal::KeepStored);
}

void CS3LoginFlg::Clear() { CS3String::SetN("0", 1); }

int CS3LevelFlg::Set(const char* text) { return SetFromInts(text, {0, 1}); }

int CS3InspectFlg::Set(const char* text) { return SetFromInts(text, {1, 0}); }

int ZGenderFlg::Set(const char* text) {
    return SetFromList(text, {"m", "f", "o"}, Refusal::ClearValue);
}

int ZDisplaySizeFlg::Set(const char* text) {
    return SetFromList(text, {"1", "2", "3"}, Refusal::ClearValue);
}

bool ZDisplaySizeFlg::IsLarge() const { return Compare("3") == 0; }

int ZMenuStyleFlg::Set(const char* text) {
    return SetFromList(text, {"2", "1"}, Refusal::KeepOld);
}

int ZAreaFlg::Set(const char* text) { return SetFromList(text, {"S", "P"}, Refusal::KeepOld); }

int ZAreaFlg::SetDefault() { return CS3String::SetN("S", 1); }

int ZAddrTargetFlg::Set(const char* text) {
    return SetFromList(text, {"1", "2"}, Refusal::ClearValue);
}
