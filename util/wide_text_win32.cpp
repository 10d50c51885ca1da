// The ANSI code page <-> UTF-16 conversions, strict both ways.
#include <windows.h>

#include <cerrno>

#include "util/wide_text.h"

namespace {

bool Refuse(std::wstring* wide, std::string* bytes) {
    if (wide) wide->clear();
    if (bytes) bytes->clear();
    SetLastError(ERROR_NO_UNICODE_TRANSLATION);
    return false;
}

}  // namespace

bool WideFromSystem(std::string_view text, std::wstring* out) {
    out->clear();
    if (text.empty()) return true;
    int length = static_cast<int>(text.size());
    int units = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
    if (units <= 0) return Refuse(out, nullptr);
    out->resize(static_cast<size_t>(units));
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), length, out->data(), units) != units) {
        return Refuse(out, nullptr);
    }
    return true;
}

bool SystemFromWide(std::wstring_view text, std::string* out) {
    out->clear();
    if (text.empty()) return true;
    int length = static_cast<int>(text.size());
    // No best-fit look-alikes, and a report of any default character; UTF-8
    // and a few other code pages take neither, and the round trip below
    // catches what they change.
    UINT page = GetACP();
    DWORD flags = page == CP_UTF8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL replaced = FALSE;
    BOOL* usedDefault = page == CP_UTF8 ? nullptr : &replaced;
    int bytes = WideCharToMultiByte(page, flags, text.data(), length, nullptr, 0, nullptr, usedDefault);
    if (bytes <= 0 && GetLastError() == ERROR_INVALID_FLAGS) {
        flags = 0;
        usedDefault = nullptr;
        bytes = WideCharToMultiByte(page, flags, text.data(), length, nullptr, 0, nullptr, nullptr);
    }
    if (bytes <= 0 || replaced) return Refuse(nullptr, out);
    out->resize(static_cast<size_t>(bytes));
    if (WideCharToMultiByte(page, flags, text.data(), length, out->data(), bytes, nullptr, usedDefault) != bytes ||
        replaced) {
        return Refuse(nullptr, out);
    }
    std::wstring back;
    if (!WideFromSystem(*out, &back) || back != text) return Refuse(nullptr, out);
    return true;
}

bool WidePath(const char* path, std::wstring* out) {
    if (WideFromSystem(path ? std::string_view(path) : std::string_view(), out)) return true;
    errno = EILSEQ;
    return false;
}

std::bitset<256> SystemLeadBytes() {
    std::bitset<256> leads;
    for (int byte = 0x80; byte < 0x100; ++byte) {
        leads[static_cast<size_t>(byte)] = IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(byte)) != 0;
    }
    return leads;
}
