// UTF-8 <-> UTF-16 through the system's converters.
#include <windows.h>

#include "util/wide_text.h"

std::wstring WideFromUtf8(const char* text) {
    if (!text || !*text) return std::wstring();
    int units = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    if (units <= 1) return std::wstring();
    std::wstring out(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, out.data(), units);
    out.resize(static_cast<size_t>(units - 1));
    return out;
}

std::string Utf8FromWide(const wchar_t* text, int units) {
    if (!text || units == 0) return std::string();
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text, units, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return std::string();
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, units, out.data(), bytes, nullptr, nullptr);
    if (units < 0) out.resize(static_cast<size_t>(bytes - 1));
    return out;
}
