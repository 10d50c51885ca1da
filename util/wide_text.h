// Text at the Windows boundary: paths, settings and command-line values are
// bytes in the system's ANSI code page (catalog and database text stay
// UTF-8); the wide Windows functions take UTF-16. One conversion each way,
// implemented in wide_text_win32.cpp.
#pragma once

#include <bitset>
#include <string>
#include <string_view>

// *out = the UTF-16 form of text, bytes in the ANSI code page. false when
// some bytes are no character of the code page: *out is then empty and the
// last error ERROR_NO_UNICODE_TRANSLATION.
bool WideFromSystem(std::string_view text, std::wstring* out);
// *out = the ANSI code page's bytes of a UTF-16 text. false when a character
// has no exact form there (no look-alike or default character stands in):
// *out is then empty and the last error ERROR_NO_UNICODE_TRANSLATION.
bool SystemFromWide(std::wstring_view text, std::string* out);
// The lead bytes of the ANSI code page's double-byte characters.
std::bitset<256> SystemLeadBytes();
// The UTF-16 form of a path or setting for a wide call: null reads as "".
// false, as WideFromSystem, with errno EILSEQ as well.
bool WidePath(const char* path, std::wstring* out);
