// File and directory operations over the OS call table: tree removal,
// replacing rename, directory creation, lock files, path splitting.
#include "util/file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "util/date_time.h"
#include "util/file_os.h"
#include "util/log.h"
#include "util/system_error_keeper.h"

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

std::string JoinPath(const char* dir, const char* name) {
    std::string joined = dir;
    if (joined.empty() || !IsSeparator(joined.back())) joined += '/';
    return joined + name;
}

constexpr int kLockReportSize = 2048;
// Opens of a lock file that changed under the opener, beyond which it counts
// as held by someone else.
constexpr int kLockReopens = 10;

}  // namespace

std::string DirectoryOf(const char* path) {
    std::string dir(strlen(path) + 1, '\0');
    DirectoryPart(dir.data(), path, static_cast<int>(dir.size()));
    dir.resize(strlen(dir.c_str()));
    return dir;
}

bool IsLinkReparseTag(unsigned long tag) {
    const unsigned long kNameSurrogate = 0x20000000ul;
    return (tag & kNameSurrogate) != 0;
}

void CloseFileHandle(NUFileHandle handle) {
    if (handle != kInvalidFileHandle) FileOs().closeHandle(handle);
}

int RemoveFile(const char* path) {
    if (!path || !*path) {
        errno = EINVAL;
        return -1;
    }
    if (FileOs().removeFile(path) == 0 || errno == ENOENT) return 0;
    LogAppend("delete file:unlink path[%s] errno[%d]\r\n", path, errno);
    return -1;
}

int RemoveTree(const char* path, NURemoveFilter filter, bool tolerateDenied, bool filterBelow) {
    if (!path || !*path) return -9;
    NUFileOs& os = FileOs();
    NURemoveFilter subFilter = filterBelow ? filter : nullptr;

    // A trailing separator would make the system resolve a symbolic link
    // named by the path; without it a link is removed as itself. A root
    // ("/", or a drive's "C:/") keeps its separator.
    std::string trimmed = path;
    while (trimmed.size() > 1 && IsSeparator(trimmed.back()) && trimmed[trimmed.size() - 2] != ':') {
        trimmed.pop_back();
    }
    path = trimmed.c_str();

    int systemError = kSysNone;
    void* listing = os.openListing(path, &systemError);
    if (!listing) {
        if (systemError == kSysPathNotFound || systemError == kSysNotDirectory) {
            // A file, or nothing at all.
            if (os.removeFile(path) == 0 || errno == ENOENT) return 0;
            if (systemError == kSysPathNotFound) {
                LogAppend("ERROR_PATH_NOT_FOUND delete dir:unilnk path[%s] errno[%d]\r\n", path, errno);
            } else {
                LogAppend("ERROR_DIRECTORY delete dir:unilnk path[%s] errno[%d]\r\n", path, errno);
            }
            return -1;
        }
        int error = errno;
        std::string pattern = JoinPath(path, "*.*");
        LogAppend("delete dir:FindFirstFile path[%s] lasterror[%d]\r\n", pattern.c_str(),
                  systemError == kSysOther ? error : systemError);
        errno = systemError == kSysAccessDenied ? EACCES : error;
        return -1;
    }

    bool keptSome = false;
    const char* name = nullptr;
    int isFile = 0;
    NUFindData data;
    while (os.nextEntry(listing, &name, &isFile, &data) == 1) {
        if (strcmp(name, ".") == 0 || strcmp(name, "..") == 0) continue;
        if (filter && !filter(name, isFile, &data)) {
            keptSome = true;
            continue;
        }
        std::string child = JoinPath(path, name);
        int r;
        if (isFile) {
            r = os.removeFile(child.c_str());
            if (r != 0) {
                LogAppend("delete dir:unilnk path[%s] errno[%d]\r\n", child.c_str(), errno);
            }
        } else {
            r = RemoveTree(child.c_str(), subFilter, tolerateDenied, filterBelow);
        }
        if (r != 0 && !(tolerateDenied && (errno == EACCES || errno == ENOENT))) {
            SystemErrorKeeper keep;
            os.closeListing(listing);
            return -1;
        }
    }
    os.closeListing(listing);
    if (keptSome) return 0;

    if (os.removeDirectory(path) == 0 || errno == ENOENT) return 0;
    bool leftBehind = errno == ENOTEMPTY || errno == EACCES || errno == EEXIST;
    if (leftBehind && (filter || tolerateDenied)) return 0;
    LogAppend("delete dir:rmdir path[%s] errno[%d]lasterror[%d]\r\n", path, errno, errno);
    return -1;
}

int RenameReplace(const char* source, const char* target) {
    // Only the platform's replacing rename touches the target: it swaps the
    // new file in as one step, so a failure leaves both files as they were.
    int r = FileOs().rename(source, target);
    if (r != 0) {
        LogAppend("rename[%s->%s] errno=[%d]\n", source, target, errno);
    }
    return r;
}

int MakeDirectory(const char* dir) {
    int r = FileOs().makeDirectory(dir);
    if (r != 0 && errno != ENOENT) {
        LogAppend("_mkdir[%s] errno=[%d]\n", dir, errno);
    }
    return r;
}

int CreateDirectories(const char* path) {
    if (!path) path = "";
    std::string dir = DirectoryOf(path);
    if (dir.empty()) {
        LogAppend("dircreate dir empty\r\n");
        return -1;
    }
    if (MakeDirectory(dir.c_str()) == 0) return 0;
    if (errno != ENOENT) {
        LogAppend("dircreateall:dircreate path[%s] ret[%d] errno[%d]\r\n", dir.c_str(), -1, errno);
        return -1;
    }
    // The parent is missing too.
    int r = CreateDirectories(dir.c_str());
    if (r == 0) return MakeDirectory(dir.c_str());
    LogAppend("dircreateall:dircreateall path[%s] ret[%d] errno[%d]\r\n", dir.c_str(), r, errno);
    return r;
}

int EnsureDirectory(const char* dir) {
    if (!dir || !*dir) return -3;
    if (PathExists(dir) == 1) return 0;
    // A path of one part ("single", "/x") has no parents to create.
    if (!DirectoryOf(dir).empty() && CreateDirectories(dir) != 0 && errno != EEXIST) return -3;
    if (PathExists(dir) == 1 || FileOs().makeDirectory(dir) == 0) return 0;
    if (errno != ENOENT) {
        LogAppend("_mkdir[%s] errno=[%d]\n", dir, errno);
    }
    return -3;
}

int PathExists(const char* path) {
    if (!path) return 0;
    std::string copy = path;
    // One trailing separator is dropped, but a bare root stays a root.
    if (copy.size() > 1 && IsSeparator(copy.back())) copy.pop_back();
    return FileOs().exists(copy.c_str()) == 1 ? 1 : 0;
}

long long ReadFileStart(const char* path, void* buffer, size_t size) {
    NUFileOs& os = FileOs();
    NUFileHandle file = path ? os.openRead(path) : kInvalidFileHandle;
    if (file == kInvalidFileHandle) return -1;
    long long n = os.read(file, buffer, size);
    os.close(file);
    return n;
}

namespace {

// The retry loop shared by the three lock openers.
NUFileHandle OpenLockWithRetries(NULockMode mode, const char* path, int attempts, int seconds) {
    NUFileOs& os = FileOs();
    const bool reading = mode == kLockModeRead;
    int lastError = kSysNone;
    int reopens = 0;
    for (int attempt = 1; attempt <= attempts; ++attempt) {
        int systemError = kSysNone;
        NUFileHandle handle = os.openLock(path, mode, &systemError);
        if (handle != kInvalidFileHandle) {
            // A lock on a file deleted (or replaced) between the open and the
            // lock excludes nobody: the lock belongs to the file at the path.
            if (os.sameFileAtPath(handle, path) == 1) return handle;
            os.closeHandle(handle);
            if (++reopens <= kLockReopens) {
                --attempt;  // nobody held the lock: not an attempt
                continue;
            }
            systemError = kSysSharingViolation;
        }
        lastError = systemError;
        if (reading && (systemError == kSysFileNotFound || systemError == kSysPathNotFound)) {
            errno = ENOENT;
            return kInvalidFileHandle;
        }
        if (!reading && systemError == kSysPathNotFound) {
            if (CreateDirectories(path) != 0) return kInvalidFileHandle;
            if (attempt == attempts) --attempt;  // the last attempt is granted again
            continue;
        }
        bool retried = systemError == kSysAccessDenied || systemError == kSysSharingViolation ||
                       (!reading && systemError == kSysLockViolation);
        if (!retried) return kInvalidFileHandle;
        if (attempt == attempts) break;
        os.sleepMilliseconds(MillisFromSeconds(seconds));
    }

    char report[kLockReportSize];
    snprintf(report, sizeof report,
             "RETRY[%d] SLEEPTIME[%d] LOCKMODE[%d] ERRNO[%d] WINERRNO[%d]\n"
             "                    FILE[%s]\n",
             attempts, seconds, mode == kLockModeExclusive ? 0 : 1, EACCES, lastError, path);
    LogToRegistered(1, "%s", report);
    errno = EACCES;
    return kInvalidFileHandle;
}

}  // namespace

NUFileHandle OpenLockRead(int attempts, const char* path, int seconds) {
    if (!path || !*path) {
        errno = ENOENT;
        return kInvalidFileHandle;
    }
    return OpenLockWithRetries(kLockModeRead, path, attempts, seconds);
}

NUFileHandle OpenLockExclusive(const char* path, int attempts, int seconds) {
    if (!path || !*path) {
        errno = ENOENT;
        return kInvalidFileHandle;
    }
    return OpenLockWithRetries(kLockModeExclusive, path, attempts, seconds);
}

NUFileHandle OpenLockShared(const char* path, int attempts, int seconds) {
    if (!path || !*path) {
        errno = ENOENT;
        return kInvalidFileHandle;
    }
    return OpenLockWithRetries(kLockModeShared, path, attempts, seconds);
}

int ReportCopyFailure(const char* source, const char* target) {
    int systemError = 0;
    int mapped = FileOs().copyErrorToErrno(&systemError);
    LogAppend("copy file:CopyFile path[%s->%s] errno[%d]\r\n", source ? source : "",
              target ? target : "", systemError);
    errno = mapped;
    return 0;
}

void DirectoryPart(char* out, const char* path, int size) {
    if (!out || size <= 0) return;
    out[0] = '\0';
    if (!path) return;
    size_t end = 0;  // bytes that belong to the directory part
    bool found = false;
    for (size_t i = 0; path[i]; ++i) {
        if (IsSeparator(path[i])) {
            end = i;
            found = true;
        } else if (path[i] == ':') {
            end = i + 1;
            found = true;
        }
    }
    if (!found) return;
    size_t n = end < static_cast<size_t>(size - 1) ? end : static_cast<size_t>(size - 1);
    memcpy(out, path, n);
    out[n] = '\0';
    if (n == 0 || out[n - 1] == ':') out[0] = '\0';  // a bare drive letter
}

void BaseName(const char* path, int size, char* out) {
    if (!out || size <= 0) return;
    out[0] = '\0';
    if (!path) return;
    const char* base = LastPathComponent(path);
    size_t n = strlen(base);
    if (n > static_cast<size_t>(size - 1)) n = static_cast<size_t>(size - 1);
    memcpy(out, base, n);
    out[n] = '\0';
}

const char* LastPathComponent(const char* path) {
    const char* last = path;
    for (const char* p = path; *p; ++p) {
        if (IsSeparator(*p) || *p == ':') last = p + 1;
    }
    return last;
}

void StripExtension(char* out, const char* path) {
    if (!out) return;
    if (!path) {
        out[0] = '\0';
        return;
    }
    const char* dot = strrchr(path, '.');
    size_t n = (dot && dot != path) ? static_cast<size_t>(dot - path) : strlen(path);
    memmove(out, path, n);
    out[n] = '\0';
}
