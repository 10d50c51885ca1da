// POSIX side of the file units: the OS call table, lock files as
// open-file-description locks, directory listings, durable writes.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "util/file_os.h"
#include "util/path_limit.h"
#include "util/system_error_keeper.h"

namespace {

int ToDescriptor(NUFileHandle handle) { return static_cast<int>(handle); }

int PosixRemoveFile(const char* path) { return unlink(path); }
int PosixRemoveDirectory(const char* path) { return rmdir(path); }
int PosixMakeDirectory(const char* path) { return mkdir(path, 0777); }
int PosixRename(const char* from, const char* to) { return std::rename(from, to); }
int PosixExists(const char* path) { return access(path, F_OK) == 0 ? 1 : 0; }

int PosixIsDirectory(const char* path) {
    struct stat st;
    return stat(path, &st) == 0 && S_ISDIR(st.st_mode) ? 1 : 0;
}

int PosixEntryExists(const char* path) {
    struct stat st;
    return lstat(path, &st) == 0 ? 1 : 0;
}

// The directory holding path's last component ("." for a bare name).
std::string ParentOf(const char* path) {
    std::string dir = DirectoryOf(path);
    if (!dir.empty()) return dir;
    return path[0] == '/' ? "/" : ".";
}

// A change of entries in dir: a directory this user may write and search.
int ChangeableDirectory(const std::string& dir, struct stat* info) {
    if (stat(dir.c_str(), info) != 0) return -1;
    if (!S_ISDIR(info->st_mode)) {
        errno = ENOTDIR;
        return -1;
    }
    return access(dir.c_str(), W_OK | X_OK) == 0 ? 0 : -1;
}

int PosixMayCreate(const char* path) {
    struct stat dir;
    return ChangeableDirectory(ParentOf(path), &dir);
}

int PosixMayRemove(const char* path) {
    struct stat entry;
    struct stat dir;
    if (lstat(path, &entry) != 0) return -1;
    if (S_ISDIR(entry.st_mode)) {
        errno = EISDIR;
        return -1;
    }
    if (ChangeableDirectory(ParentOf(path), &dir) != 0) return -1;
    // In a sticky directory only the owners of the entry or the directory
    // (or root) remove it.
    uid_t user = geteuid();
    if ((dir.st_mode & S_ISVTX) && user != 0 && user != entry.st_uid && user != dir.st_uid) {
        errno = EPERM;
        return -1;
    }
    return 0;
}

// Maps errno of a failed open onto the portable system error classes.
int ClassifyOpenError(int error, bool creating) {
    switch (error) {
        case ENOENT:
            return creating ? kSysPathNotFound : kSysFileNotFound;
        case ENOTDIR:
            return kSysPathNotFound;
        case EACCES:
        case EPERM:
            return kSysAccessDenied;
        default:
            return kSysOther;
    }
}

struct Listing {
    DIR* dir;
    int fd;
};

void* PosixOpenListing(const char* path, int* systemError) {
    // O_NOFOLLOW: a symbolic link is removed as a link, never its target.
    int fd = open(path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        int error = errno;
        if (error == ENOENT) {
            *systemError = kSysPathNotFound;
        } else if (error == ENOTDIR || error == ELOOP) {
            *systemError = kSysNotDirectory;
        } else {
            *systemError = ClassifyOpenError(error, false);
        }
        errno = error;
        return nullptr;
    }
    DIR* dir = fdopendir(fd);
    if (!dir) {
        int error = errno;
        close(fd);
        *systemError = kSysOther;
        errno = error;
        return nullptr;
    }
    Listing* listing = new Listing{dir, fd};
    *systemError = kSysNone;
    return listing;
}

int PosixNextEntry(void* opaque, const char** name, int* isFile, NUFindData* data) {
    Listing* listing = static_cast<Listing*>(opaque);
    struct dirent* entry = readdir(listing->dir);
    if (!entry) return 0;
    *name = entry->d_name;
    struct stat st;
    if (fstatat(listing->fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
        *isFile = S_ISDIR(st.st_mode) ? 0 : 1;
        data->size = S_ISDIR(st.st_mode) ? 0 : static_cast<long long>(st.st_size);
        data->modifiedTime = static_cast<long long>(st.st_mtime);
    } else {
        *isFile = entry->d_type == DT_DIR ? 0 : 1;
        *data = NUFindData{};
    }
    return 1;
}

void PosixCloseListing(void* opaque) {
    Listing* listing = static_cast<Listing*>(opaque);
    closedir(listing->dir);
    delete listing;
}

// Lock bytes: readers share byte 0; an exclusive writer takes bytes 0 and
// 1; a writer that lets readers in takes byte 1 only.
NUFileHandle PosixOpenLock(const char* path, NULockMode mode, int* systemError) {
    bool reading = mode == kLockModeRead;
    int flags = (reading ? O_RDONLY : O_RDWR | O_CREAT) | O_NOFOLLOW | O_CLOEXEC;
    int fd = open(path, flags, 0666);
    if (fd < 0) {
        int error = errno;
        *systemError = ClassifyOpenError(error, !reading);
        errno = error;
        return kInvalidFileHandle;
    }
    struct flock lock;
    memset(&lock, 0, sizeof lock);
    lock.l_whence = SEEK_SET;
    lock.l_type = reading ? F_RDLCK : F_WRLCK;
    lock.l_start = mode == kLockModeShared ? 1 : 0;
    lock.l_len = mode == kLockModeExclusive ? 2 : 1;
    if (fcntl(fd, F_OFD_SETLK, &lock) != 0) {
        int error = errno;
        close(fd);
        *systemError = (error == EAGAIN || error == EACCES) ? kSysSharingViolation : kSysOther;
        errno = error;
        return kInvalidFileHandle;
    }
    *systemError = kSysNone;
    return fd;
}

int PosixSameFileAtPath(NUFileHandle handle, const char* path) {
    struct stat held;
    struct stat named;
    if (fstat(ToDescriptor(handle), &held) != 0 || lstat(path, &named) != 0) return 0;
    return held.st_dev == named.st_dev && held.st_ino == named.st_ino ? 1 : 0;
}

void PosixCloseHandle(NUFileHandle handle) {
    if (handle != kInvalidFileHandle) close(ToDescriptor(handle));
}

void PosixSleepMilliseconds(int milliseconds) {
    if (milliseconds <= 0) return;
    struct timespec wait;
    wait.tv_sec = milliseconds / 1000;
    wait.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

// Opened without waiting (a FIFO's open would wait for a writer), then
// judged by what was opened: only a regular file is read, and reads of it
// block as usual.
NUFileHandle PosixOpenRead(const char* path) {
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return kInvalidFileHandle;
    struct stat st;
    int refused = 0;
    if (fstat(fd, &st) != 0) {
        refused = errno;
    } else if (S_ISDIR(st.st_mode)) {
        refused = EISDIR;
    } else if (!S_ISREG(st.st_mode)) {
        refused = ENODEV;
    } else {
        int flags = fcntl(fd, F_GETFL);
        if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) refused = errno;
    }
    if (refused != 0) {
        close(fd);
        errno = refused;
        return kInvalidFileHandle;
    }
    return fd;
}

NUFileHandle PosixCreateWrite(const char* path) {
    int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    return fd < 0 ? kInvalidFileHandle : fd;
}

NUFileHandle PosixOpenAppend(const char* path) {
    int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    return fd < 0 ? kInvalidFileHandle : fd;
}

long long PosixRead(NUFileHandle handle, void* buffer, size_t size) {
    for (;;) {
        ssize_t n = read(ToDescriptor(handle), buffer, size);
        if (n >= 0 || errno != EINTR) return n;
    }
}

int PosixWrite(NUFileHandle handle, const void* buffer, size_t size) {
    const char* bytes = static_cast<const char*>(buffer);
    while (size > 0) {
        ssize_t n = write(ToDescriptor(handle), bytes, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        bytes += n;
        size -= static_cast<size_t>(n);
    }
    return 0;
}

int PosixSync(NUFileHandle handle) { return fsync(ToDescriptor(handle)); }

int PosixClose(NUFileHandle handle) { return close(ToDescriptor(handle)); }

int PosixSyncDirectory(const char* dir) {
    int fd = open(dir && *dir ? dir : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return -1;
    int r = fsync(fd);
    int error = errno;
    close(fd);
    errno = error;
    return r;
}

// POSIX copies fail with errno itself; it is both the raw error and,
// mapped, the result.
int PosixCopyErrorToErrno(int* systemError) {
    int error = errno;
    *systemError = error;
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return ENOENT;
        case EACCES:
        case EPERM:
        case EBUSY:
            return EACCES;
        case EEXIST:
            return EEXIST;
        default:
            return ENOSPC;
    }
}

}  // namespace

NUPathLimits PlatformPathLimits() { return {0, 0, 0}; }

long long ModifiedTimeNs(NUFileHandle handle) {
    struct stat st;
    if (fstat(ToDescriptor(handle), &st) != 0) return 0;
    return static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
}

long long PlatformPathUnits(const char* path) {
    if (!path) return -1;
    long long units = static_cast<long long>(strlen(path));
    if (path[0] == '/') return units;
    char here[4096];
    if (!getcwd(here, sizeof here)) return -1;
    return static_cast<long long>(strlen(here)) + 1 + units;
}

NUFileOs& FileOs() {
    static NUFileOs table = {
        PosixRemoveFile,  PosixRemoveDirectory,   PosixMakeDirectory, PosixRename,
        PosixExists,      PosixIsDirectory,       PosixEntryExists,   PosixMayCreate,
        PosixMayRemove,   PosixOpenListing,       PosixNextEntry,
        PosixCloseListing, PosixOpenLock,         PosixSameFileAtPath, PosixCloseHandle,
        PosixSleepMilliseconds, PosixOpenRead,    PosixCreateWrite,   PosixOpenAppend,
        PosixRead,        PosixWrite,             PosixSync,          PosixClose,
        PosixSyncDirectory, PosixCopyErrorToErrno, "\n",             true,
    };
    return table;
}

// errno is the only system error here.
unsigned long ThreadLastError() { return 0; }

void SetThreadLastError(unsigned long) {}
