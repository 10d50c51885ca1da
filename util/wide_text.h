// UTF-8 <-> UTF-16 for the Windows side: the framework's texts are UTF-8,
// the wide Windows functions take UTF-16 (implemented in wide_text_win32.cpp).
#pragma once

#include <string>

// The UTF-16 form of a UTF-8 text (null reads as ""); ill-formed bytes
// become U+FFFD.
std::wstring WideFromUtf8(const char* text);
// The UTF-8 form of units UTF-16 units of text (-1: up to its NUL).
std::string Utf8FromWide(const wchar_t* text, int units = -1);
