// Flags of the directory records.
#include "cs3base/directory_flag.h"

#include <cstring>

int CXioCloseFlg::Set(const char* text) {
    return SetFromList(text, {"0", "1"}, Refusal::ClearValue);
}

int CiofUseFlg::Set(const char* text) {
    if (text && (strcmp(text, "on") == 0 || strcmp(text, "checked") == 0)) text = "1";
    else if (text && strcmp(text, "off") == 0) text = "0";
    return SetFromList(text, {"1", "0", ""}, Refusal::ClearValue);
}
