// Flag and keyword field values of the office settings: the system mail
// sender, the login input position and the access-logging keyword (the use
// switch CiofUseFlg is shared with the directory records).
#pragma once

#include "cs3base/directory_flag.h"
#include "cs3base/flag_value.h"

// Sender of system mail: "0", "1" or "2"; anything else clears: -10007.
class CXioTypeSendMailFrom : public CS3FlgStr {
public:
    int Set(const char* text) override;
};

// Position on the login page: vertical "t", "m" or "b" followed by
// horizontal "l", "c" or "r". Anything else clears: -10007.
class ZFlgPosition : public CS3FlgStr {
public:
    int Set(const char* text) override;
};

// A short numeric keyword: an integer text of at most 3 bytes.
// -13006 when not an integer; -62 when 4 bytes or longer.
class CXioKeyword : public CS3String {
public:
    CXioKeyword() : CS3String(8) {}
    int Set(const char* text) override;
};
