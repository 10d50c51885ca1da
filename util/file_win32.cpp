// Windows side of the file units: the OS call table over the wide file
// functions, lock files as sharing modes, directory listings, durable
// replacing moves.
#include <windows.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "util/file_os.h"
#include "util/path_limit.h"
#include "util/reparse_point_win32.h"
#include "util/system_errno.h"
#include "util/system_error_keeper.h"
#include "util/wide_text.h"

namespace {

HANDLE ToHandle(NUFileHandle handle) { return reinterpret_cast<HANDLE>(handle); }
NUFileHandle FromHandle(HANDLE handle) { return reinterpret_cast<NUFileHandle>(handle); }

// Sets errno from the last system error and gives -1, for failed calls.
int Failed() {
    errno = ErrnoOfSystemError(GetLastError());
    return -1;
}

// A path with no exact UTF-16 form has no attributes: nothing can be there.
DWORD Attributes(const char* path) {
    std::wstring wide;
    return WidePath(path, &wide) ? GetFileAttributesW(wide.c_str()) : INVALID_FILE_ATTRIBUTES;
}

bool IsLinkDirectory(const std::wstring& path, DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           IsLinkAt(path.c_str(), attributes);
}

// A link to a directory is removed as a link, never its target.
int WinRemoveFile(const char* path) {
    std::wstring wide;
    if (!WidePath(path, &wide)) return -1;
    if (DeleteFileW(wide.c_str())) return 0;
    DWORD error = GetLastError();
    if (error == ERROR_ACCESS_DENIED && IsLinkDirectory(wide, GetFileAttributesW(wide.c_str())) &&
        RemoveDirectoryW(wide.c_str())) {
        return 0;
    }
    SetLastError(error);
    return Failed();
}

int WinRemoveDirectory(const char* path) {
    std::wstring wide;
    if (!WidePath(path, &wide)) return -1;
    return RemoveDirectoryW(wide.c_str()) ? 0 : Failed();
}

int WinMakeDirectory(const char* path) {
    std::wstring wide;
    if (!WidePath(path, &wide)) return -1;
    return CreateDirectoryW(wide.c_str(), nullptr) ? 0 : Failed();
}

// Replaces an existing target in one step and reaches the disk before it
// returns; the target is never deleted first. A directory in the way fails
// with EISDIR, as a rename onto a directory does on POSIX.
int WinRename(const char* from, const char* to) {
    std::wstring source, target;
    if (!WidePath(from, &source) || !WidePath(to, &target)) return -1;
    if (MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return 0;
    }
    DWORD error = GetLastError();
    DWORD attributes = GetFileAttributesW(target.c_str());
    if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        errno = EISDIR;
        return -1;
    }
    SetLastError(error);
    return Failed();
}

int WinExists(const char* path) { return Attributes(path) != INVALID_FILE_ATTRIBUTES ? 1 : 0; }

int WinIsDirectory(const char* path) {
    DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
}

// The entry itself: a link is not followed.
int WinEntryExists(const char* path) { return WinExists(path); }

// The directory holding path's last component ("." for a bare name).
std::string ParentOf(const char* path) {
    std::string dir = DirectoryOf(path);
    if (!dir.empty()) return dir;
    return ".";
}

// Opens path with access, refusing nobody's sharing: 0, or -1 with errno
// from the system's answer. Nothing is changed.
int OpensWith(const std::string& path, DWORD access, DWORD flags) {
    std::wstring wide;
    if (!WidePath(path.c_str(), &wide)) return -1;
    HANDLE handle = CreateFileW(wide.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return Failed();
    CloseHandle(handle);
    return 0;
}

// A new entry needs a directory that grants this user the right to add one.
int WinMayCreate(const char* path) {
    std::string dir = ParentOf(path);
    if (WinIsDirectory(dir.c_str()) != 1) {
        errno = ENOENT;
        return -1;
    }
    return OpensWith(dir, FILE_ADD_FILE, FILE_FLAG_BACKUP_SEMANTICS);
}

// A file is deleted with the right to delete it, when no open handle keeps
// others from deleting it; a directory (not a link) is no file.
int WinMayRemove(const char* path) {
    DWORD attributes = Attributes(path);
    std::wstring wide;
    if (attributes == INVALID_FILE_ATTRIBUTES || !WidePath(path, &wide)) {
        errno = ENOENT;
        return -1;
    }
    if (((attributes & FILE_ATTRIBUTE_DIRECTORY) && !IsLinkDirectory(wide, attributes)) ||
        (attributes & FILE_ATTRIBUTE_READONLY)) {
        errno = EACCES;
        return -1;
    }
    return OpensWith(path, DELETE, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS);
}

struct Listing {
    HANDLE find;
    WIN32_FIND_DATAW data;
    bool pending;  // data holds an entry not yet handed out
    std::string name;
};

void* WinOpenListing(const char* path, int* systemError) {
    // Nothing there, a file, or a link to a directory (listed as what it is,
    // a link: not followed) are told apart before listing.
    // A path with no exact UTF-16 form has nothing there.
    std::wstring wide;
    DWORD attributes = WidePath(path, &wide) ? GetFileAttributesW(wide.c_str()) : INVALID_FILE_ATTRIBUTES;
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        *systemError = kSysPathNotFound;
        errno = ENOENT;
        return nullptr;
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || IsLinkDirectory(wide, attributes)) {
        *systemError = kSysNotDirectory;
        errno = ENOTDIR;
        return nullptr;
    }
    std::wstring pattern = wide + L"\\*.*";
    Listing* listing = new Listing{};
    listing->find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &listing->data, FindExSearchNameMatch,
                                     nullptr, 0);
    if (listing->find == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        delete listing;
        *systemError = static_cast<int>(error);
        errno = ErrnoOfSystemError(error);
        return nullptr;
    }
    listing->pending = true;
    *systemError = kSysNone;
    return listing;
}

// Seconds since 1970-01-01 UTC of a file time.
long long UnixSeconds(const FILETIME& time) {
    ULARGE_INTEGER value;
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    const unsigned long long kEpochDifference = 116444736000000000ull;  // 1601 -> 1970 in 100 ns
    if (value.QuadPart < kEpochDifference) return 0;
    return static_cast<long long>((value.QuadPart - kEpochDifference) / 10000000ull);
}

int WinNextEntry(void* opaque, const char** name, int* isFile, NUFindData* data) {
    Listing* listing = static_cast<Listing*>(opaque);
    if (!listing->pending && !FindNextFileW(listing->find, &listing->data)) return 0;
    listing->pending = false;
    const WIN32_FIND_DATAW& found = listing->data;
    // A name with no exact form in the code page ends the listing (errno
    // EILSEQ): the directory then stays and its removal fails.
    if (!SystemFromWide(found.cFileName, &listing->name)) {
        errno = EILSEQ;
        return 0;
    }
    *name = listing->name.c_str();
    // A link is an entry to delete, not a directory to descend into.
    bool directory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !IsLinkEntry(found);
    *isFile = directory ? 0 : 1;
    data->size = directory ? 0 : static_cast<long long>((static_cast<unsigned long long>(found.nFileSizeHigh) << 32) |
                                                        found.nFileSizeLow);
    data->modifiedTime = UnixSeconds(found.ftLastWriteTime);
    return 1;
}

void WinCloseListing(void* opaque) {
    Listing* listing = static_cast<Listing*>(opaque);
    FindClose(listing->find);
    delete listing;
}

// Sharing modes: a reader shares with readers and with writers that let
// readers in; an exclusive writer shares nothing; a shared writer lets
// readers in but no other writer.
NUFileHandle WinOpenLock(const char* path, NULockMode mode, int* systemError) {
    DWORD access = GENERIC_READ;
    DWORD sharing = FILE_SHARE_READ | FILE_SHARE_WRITE;
    DWORD creation = OPEN_EXISTING;
    if (mode != kLockModeRead) {
        access = GENERIC_READ | GENERIC_WRITE;
        sharing = mode == kLockModeShared ? FILE_SHARE_READ : 0;
        creation = OPEN_ALWAYS;
    }
    bool link = false;
    std::wstring wide;
    HANDLE handle = WidePath(path, &wide) ? CreateFileNoLink(wide.c_str(), access, sharing, creation, &link)
                                          : INVALID_HANDLE_VALUE;
    if (handle == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        DWORD attributes = Attributes(path);
        if (link) {
            // A link is no lock file either, and fails as on POSIX.
            *systemError = kSysOther;
            errno = ELOOP;
        } else if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
                   (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            // A directory is no lock file: not a lock held by someone else.
            *systemError = kSysOther;
            errno = EISDIR;
        } else {
            *systemError = static_cast<int>(error);
            errno = ErrnoOfSystemError(error);
        }
        SetLastError(error);
        return kInvalidFileHandle;
    }
    *systemError = kSysNone;
    return FromHandle(handle);
}

// Same volume and file index. The path is opened without access to the
// file's data, which no sharing mode refuses.
int WinSameFileAtPath(NUFileHandle handle, const char* path) {
    BY_HANDLE_FILE_INFORMATION held;
    BY_HANDLE_FILE_INFORMATION named;
    if (!GetFileInformationByHandle(ToHandle(handle), &held)) return 0;
    const DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const DWORD flags = FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS;
    std::wstring wide;
    if (!WidePath(path, &wide)) return 0;
    HANDLE other = CreateFileW(wide.c_str(), 0, shareAll, nullptr, OPEN_EXISTING, flags, nullptr);
    if (other == INVALID_HANDLE_VALUE) return 0;
    bool same = GetFileInformationByHandle(other, &named) &&
                held.dwVolumeSerialNumber == named.dwVolumeSerialNumber &&
                held.nFileIndexHigh == named.nFileIndexHigh &&
                held.nFileIndexLow == named.nFileIndexLow;
    CloseHandle(other);
    return same ? 1 : 0;
}

void WinCloseHandle(NUFileHandle handle) {
    if (handle != kInvalidFileHandle) CloseHandle(ToHandle(handle));
}

void WinSleepMilliseconds(int milliseconds) {
    if (milliseconds > 0) Sleep(static_cast<DWORD>(milliseconds));
}

NUFileHandle WinOpenRead(const char* path) {
    std::wstring wide;
    if (!WidePath(path, &wide)) return kInvalidFileHandle;
    DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        errno = EISDIR;
        return kInvalidFileHandle;
    }
    HANDLE handle = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        Failed();
        return kInvalidFileHandle;
    }
    // Only a file on disk is read: a pipe, the console or another device
    // (CON, NUL, COM1) could keep a read waiting.
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        errno = ENODEV;
        return kInvalidFileHandle;
    }
    return FromHandle(handle);
}

// A new file only: anything with that name already, a link included,
// fails with EEXIST.
NUFileHandle WinCreateWrite(const char* path) {
    std::wstring wide;
    if (!WidePath(path, &wide)) return kInvalidFileHandle;
    HANDLE handle = CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        Failed();
        return kInvalidFileHandle;
    }
    return FromHandle(handle);
}

// Shared for reading and writing, as other processes append to the same
// logs; a link at path is opened as itself and refused.
NUFileHandle WinOpenAppend(const char* path) {
    std::wstring wide;
    if (!WidePath(path, &wide)) return kInvalidFileHandle;
    HANDLE handle = CreateFileNoLink(wide.c_str(), FILE_APPEND_DATA,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_ALWAYS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        Failed();
        return kInvalidFileHandle;
    }
    return FromHandle(handle);
}

long long WinRead(NUFileHandle handle, void* buffer, size_t size) {
    DWORD got = 0;
    DWORD want = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
    if (!ReadFile(ToHandle(handle), buffer, want, &got, nullptr)) return Failed();
    return static_cast<long long>(got);
}

int WinWrite(NUFileHandle handle, const void* buffer, size_t size) {
    const char* bytes = static_cast<const char*>(buffer);
    while (size > 0) {
        DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(ToHandle(handle), bytes, chunk, &written, nullptr)) return Failed();
        bytes += written;
        size -= written;
    }
    return 0;
}

int WinSync(NUFileHandle handle) { return FlushFileBuffers(ToHandle(handle)) ? 0 : Failed(); }

int WinClose(NUFileHandle handle) { return CloseHandle(ToHandle(handle)) ? 0 : Failed(); }

// A directory entry reaches the disk with the write-through move itself.
int WinSyncDirectory(const char*) { return 0; }

// The system error of a failed copy, mapped as the copy report wants it.
int WinCopyErrorToErrno(int* systemError) {
    DWORD error = GetLastError();
    *systemError = static_cast<int>(error);
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            return EACCES;
        case ERROR_FILE_EXISTS:
            return EEXIST;
        default:
            return ENOSPC;
    }
}

}  // namespace

// Without the long-path opt-in: CreateFileW takes MAX_PATH units with the
// terminating NUL, CreateDirectoryW MAX_PATH - 12, and a current directory
// MAX_PATH with its trailing backslash and NUL.
long long ModifiedTimeNs(NUFileHandle handle) {
    FILETIME written;
    if (!GetFileTime(ToHandle(handle), nullptr, nullptr, &written)) return 0;
    // 100-ns units since 1601 to nanoseconds since 1970.
    unsigned long long units = (static_cast<unsigned long long>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
    return (static_cast<long long>(units) - 116444736000000000LL) * 100;
}

NUPathLimits PlatformPathLimits() { return {MAX_PATH - 1, MAX_PATH - 13, MAX_PATH - 2}; }

long long PlatformPathUnits(const char* path) {
    std::wstring wide;
    if (!path || !WidePath(path, &wide)) return -1;
    DWORD units = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (units == 0) return -1;
    // The size asked for includes the terminating NUL.
    return static_cast<long long>(units) - 1;
}

NUFileOs& FileOs() {
    static NUFileOs table = {
        WinRemoveFile,  WinRemoveDirectory, WinMakeDirectory, WinRename,        WinExists,
        WinIsDirectory, WinEntryExists,     WinMayCreate,     WinMayRemove,
        WinOpenListing, WinNextEntry,       WinCloseListing,  WinOpenLock,
        WinSameFileAtPath, WinCloseHandle,  WinSleepMilliseconds, WinOpenRead,  WinCreateWrite,
        WinOpenAppend,  WinRead,            WinWrite,         WinSync,          WinClose,
        WinSyncDirectory, WinCopyErrorToErrno, "\r\n",      false,
    };
    return table;
}

unsigned long ThreadLastError() { return GetLastError(); }

void SetThreadLastError(unsigned long error) { SetLastError(error); }
