// NUFileDryRun: an OS call table that asks the system whether each change
// would succeed and keeps the changes in a list instead of making them.
#include "util/file_dry_run.h"

#include <cerrno>
#include <cstring>
#include <map>
#include <set>
#include <string>

#include "util/file_os.h"

namespace {

enum class Entry { kFile, kDirectory, kGone };

struct DryState {
    NUFileOs real;
    // What the dry run made or removed, by path as the callers name it.
    std::map<std::string, Entry> entries;
    // Handles of files the dry run made; they name nothing.
    std::set<NUFileHandle> handles;
    NUFileHandle nextHandle = -0x40000000;
    int lastLockError = kSysNone;
};

DryState* state = nullptr;

const Entry* Known(const char* path) {
    auto found = state->entries.find(path);
    return found == state->entries.end() ? nullptr : &found->second;
}

NUFileHandle NewHandle(const char* path) {
    state->entries[path] = Entry::kFile;
    NUFileHandle handle = state->nextHandle--;
    state->handles.insert(handle);
    return handle;
}

bool Made(NUFileHandle handle) { return state->handles.count(handle) != 0; }

bool EntryThere(const char* path) {
    const Entry* known = Known(path);
    return known ? *known != Entry::kGone : state->real.entryExists(path) == 1;
}

// Whether a new entry could be made at path: 0, or -1 with errno.
int MayCreate(const char* path) {
    const Entry* dir = Known(DirectoryOf(path).c_str());
    if (!dir) return state->real.mayCreate(path);
    if (*dir == Entry::kDirectory) return 0;
    errno = *dir == Entry::kGone ? ENOENT : ENOTDIR;
    return -1;
}

int DryExists(const char* path) {
    const Entry* known = Known(path);
    return known ? (*known != Entry::kGone ? 1 : 0) : state->real.exists(path);
}

int DryIsDirectory(const char* path) {
    const Entry* known = Known(path);
    return known ? (*known == Entry::kDirectory ? 1 : 0) : state->real.isDirectory(path);
}

int DryEntryExists(const char* path) { return EntryThere(path) ? 1 : 0; }

int DryMakeDirectory(const char* path) {
    if (EntryThere(path)) {
        errno = EEXIST;
        return -1;
    }
    if (MayCreate(path) != 0) return -1;
    state->entries[path] = Entry::kDirectory;
    return 0;
}

int DryMayRemove(const char* path) {
    const Entry* known = Known(path);
    if (!known) return state->real.mayRemove(path);
    if (*known == Entry::kFile) return 0;
    errno = *known == Entry::kGone ? ENOENT : EISDIR;
    return -1;
}

int DryRemoveFile(const char* path) {
    if (DryMayRemove(path) != 0) return -1;
    state->entries[path] = Entry::kGone;
    return 0;
}

// Only a directory the dry run made goes; any other stays as it is.
int DryRemoveDirectory(const char* path) {
    const Entry* known = Known(path);
    if (!known || *known != Entry::kDirectory) {
        errno = known ? ENOENT : EACCES;
        return -1;
    }
    state->entries[path] = Entry::kGone;
    return 0;
}

int DryRename(const char* from, const char* to) {
    if (!EntryThere(from)) {
        errno = ENOENT;
        return -1;
    }
    if (DryIsDirectory(to) == 1) {
        errno = EISDIR;
        return -1;
    }
    if (MayCreate(to) != 0) return -1;
    state->entries[to] = Entry::kFile;
    state->entries[from] = Entry::kGone;
    return 0;
}

// An existing lock file is opened (and locked) for real: that changes
// nothing. A missing one is made only in the list.
NUFileHandle DryOpenLock(const char* path, NULockMode mode, int* systemError) {
    const Entry* known = Known(path);
    if (known && *known == Entry::kFile) {
        state->lastLockError = *systemError = kSysNone;
        return NewHandle(path);
    }
    if (!known && state->real.entryExists(path) == 1) {
        NUFileHandle handle = state->real.openLock(path, mode, systemError);
        state->lastLockError = *systemError;
        return handle;
    }
    if (mode == kLockModeRead) {
        errno = ENOENT;
        state->lastLockError = *systemError = kSysFileNotFound;
        return kInvalidFileHandle;
    }
    if (MayCreate(path) != 0) {
        int error = errno;
        *systemError = error == ENOENT || error == ENOTDIR   ? kSysPathNotFound
                       : error == EACCES || error == EPERM ? kSysAccessDenied
                                                           : kSysOther;
        state->lastLockError = *systemError;
        errno = error;
        return kInvalidFileHandle;
    }
    state->lastLockError = *systemError = kSysNone;
    return NewHandle(path);
}

int DrySameFileAtPath(NUFileHandle handle, const char* path) {
    return Made(handle) ? 1 : state->real.sameFileAtPath(handle, path);
}

void DryCloseHandle(NUFileHandle handle) {
    if (!state->handles.erase(handle)) state->real.closeHandle(handle);
}

NUFileHandle DryOpenRead(const char* path) {
    const Entry* known = Known(path);
    if (known) {
        errno = *known == Entry::kGone ? ENOENT : EACCES;
        return kInvalidFileHandle;
    }
    return state->real.openRead(path);
}

NUFileHandle DryCreateWrite(const char* path) {
    if (EntryThere(path)) {
        errno = EEXIST;
        return kInvalidFileHandle;
    }
    if (MayCreate(path) != 0) return kInvalidFileHandle;
    return NewHandle(path);
}

// Log lines go nowhere.
NUFileHandle DryOpenAppend(const char*) {
    NUFileHandle handle = state->nextHandle--;
    state->handles.insert(handle);
    return handle;
}

long long DryRead(NUFileHandle handle, void* buffer, std::size_t size) {
    return Made(handle) ? 0 : state->real.read(handle, buffer, size);
}

int DryWrite(NUFileHandle handle, const void* buffer, std::size_t size) {
    return Made(handle) ? 0 : state->real.write(handle, buffer, size);
}

int DrySync(NUFileHandle handle) { return Made(handle) ? 0 : state->real.sync(handle); }

int DryClose(NUFileHandle handle) { return state->handles.erase(handle) ? 0 : state->real.close(handle); }

int DrySyncDirectory(const char*) { return 0; }

}  // namespace

NUFileDryRun::NUFileDryRun() {
    state = new DryState;
    NUFileOs& os = FileOs();
    state->real = os;
    os.removeFile = DryRemoveFile;
    os.removeDirectory = DryRemoveDirectory;
    os.makeDirectory = DryMakeDirectory;
    os.rename = DryRename;
    os.exists = DryExists;
    os.isDirectory = DryIsDirectory;
    os.entryExists = DryEntryExists;
    os.mayCreate = MayCreate;
    os.mayRemove = DryMayRemove;
    os.openLock = DryOpenLock;
    os.sameFileAtPath = DrySameFileAtPath;
    os.closeHandle = DryCloseHandle;
    os.openRead = DryOpenRead;
    os.createWrite = DryCreateWrite;
    os.openAppend = DryOpenAppend;
    os.read = DryRead;
    os.write = DryWrite;
    os.sync = DrySync;
    os.close = DryClose;
    os.syncDirectory = DrySyncDirectory;
}

NUFileDryRun::~NUFileDryRun() {
    FileOs() = state->real;
    delete state;
    state = nullptr;
}

int NUFileDryRun::LastLockError() const { return state->lastLockError; }
