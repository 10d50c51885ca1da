// Flags of the directory records.
#include "cs3base/directory_flag.h"

int CXioCloseFlg::Set(const char* text) {
    return SetFromList(text, {"0", "1"}, Refusal::ClearValue);
}

int CiofUseFlg::Set(const char* text) {
    return SetFromList(text, {"0", "1"}, Refusal::ClearValue);
}
