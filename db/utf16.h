// Strict conversions between UTF-8 and UTF-16 for the database drivers.
#pragma once

#include <string>
#include <string_view>

// False for bytes that are not well-formed UTF-8 (overlong forms,
// surrogates and values above U+10FFFF included); *out is then unspecified.
bool Utf8ToUtf16(std::string_view text, std::u16string* out);
// False for an unpaired surrogate.
bool Utf16ToUtf8(std::u16string_view text, std::string* out);
