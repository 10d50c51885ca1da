// Links among Windows reparse points, decided by the reparse tag.
#include "util/reparse_point_win32.h"

#include "util/file_os.h"

namespace {

// The reparse tag of the entry at path; 0 when it cannot be read.
DWORD ReparseTagAt(const wchar_t* path) {
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileExW(path, FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) return 0;
    FindClose(find);
    return (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? found.dwReserved0 : 0;
}

// Whether the file open at handle (opened as the reparse point itself) is a
// link; *reparse tells whether it is a reparse point at all.
bool HandleIsLink(HANDLE handle, bool* reparse) {
    FILE_ATTRIBUTE_TAG_INFO info;
    if (GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &info, sizeof info)) {
        *reparse = (info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        return *reparse && IsLinkReparseTag(info.ReparseTag);
    }
    BY_HANDLE_FILE_INFORMATION basic;
    *reparse = GetFileInformationByHandle(handle, &basic) && (basic.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
    return *reparse;
}

bool SameFile(HANDLE a, HANDLE b) {
    BY_HANDLE_FILE_INFORMATION x;
    BY_HANDLE_FILE_INFORMATION y;
    return GetFileInformationByHandle(a, &x) && GetFileInformationByHandle(b, &y) &&
           x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh &&
           x.nFileIndexLow == y.nFileIndexLow;
}

}  // namespace

bool IsLinkAt(const wchar_t* path, DWORD attributes) {
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
    DWORD tag = ReparseTagAt(path);
    return tag == 0 || IsLinkReparseTag(tag);
}

bool IsLinkEntry(const WIN32_FIND_DATAW& found) {
    return (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsLinkReparseTag(found.dwReserved0);
}

HANDLE CreateFileNoLink(const wchar_t* path, DWORD access, DWORD sharing, DWORD creation, bool* link) {
    if (link) *link = false;
    HANDLE handle = CreateFileW(path, access, sharing, nullptr, creation,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return handle;
    bool reparse = false;
    if (HandleIsLink(handle, &reparse)) {
        CloseHandle(handle);
        if (link) *link = true;
        SetLastError(ERROR_CANT_ACCESS_FILE);
        return INVALID_HANDLE_VALUE;
    }
    if (!reparse) return handle;
    // Data behind a reparse point of its own is read and written through
    // the system's normal open. The file first opened stays open until the
    // second handle is known to be that same file, not a link put there
    // meanwhile; its sharing mode may refuse the second open, and then the
    // first handle serves.
    HANDLE normal = CreateFileW(path, access, sharing, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (normal == INVALID_HANDLE_VALUE) return handle;
    bool same = SameFile(handle, normal);
    CloseHandle(handle);
    if (same) return normal;
    CloseHandle(normal);
    if (link) *link = true;
    SetLastError(ERROR_CANT_ACCESS_FILE);
    return INVALID_HANDLE_VALUE;
}
