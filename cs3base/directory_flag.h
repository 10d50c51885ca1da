// Flags of the directory records: disclosure and use of an address.
#pragma once

#include "cs3base/flag_value.h"

// Disclosure of a mail address: "1" closed to others, "0" disclosed.
// Any other text clears the value: -10007.
class CXioCloseFlg : public CS3FlgStr {
public:
    int Set(const char* text) override;
};

// Use of a setting or address: "1" in use, "0" not, or empty; "on" and
// "checked" are stored as "1", "off" as "0". Any other text clears the
// value: -10007.
class CiofUseFlg : public CS3FlgStr {
public:
    int Set(const char* text) override;
};
