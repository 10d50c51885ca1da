// Windows side of the log files: one open-append-write-close per line.
#include <windows.h>

#include "util/log_file.h"
#include "util/reparse_point_win32.h"
#include "util/wide_text.h"

bool AppendToFile(const char* path, const char* data, size_t length) {
    // Never through a link planted at the log's name: the link itself is
    // opened and refused.
    std::wstring wide;
    if (!WidePath(path, &wide)) return false;
    HANDLE file = CreateFileNoLink(wide.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_ALWAYS,
                                   nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    while (length > 0) {
        DWORD chunk = length > 0x40000000u ? 0x40000000u : static_cast<DWORD>(length);
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr)) {
            ok = false;
            break;
        }
        data += written;
        length -= written;
    }
    CloseHandle(file);
    return ok;
}
