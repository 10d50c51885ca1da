// The operating-system calls under the file units, as one table that the
// platform file fills in; tests replace entries to inject I/O failures.
#pragma once

#include <cstddef>
#include <string>

#include "util/file.h"

// Portable classes of the system errors the file logic tells apart. The
// numbers are those the lock report prints as the system error.
enum NUSysError {
    kSysOther = -1,  // anything else: errno holds the cause
    kSysNone = 0,
    kSysFileNotFound = 2,
    kSysPathNotFound = 3,  // a directory on the way is missing
    kSysAccessDenied = 5,
    kSysSharingViolation = 32,  // the lock is held by someone else
    kSysLockViolation = 33,
    kSysNotDirectory = 267,  // listing a path that is a file
};

// Whether a Windows reparse point with this tag is a link: a name surrogate
// (symbolic link, junction). Other tags mark data the system stores its own
// way (deduplicated, compressed, cloud placeholder files), ordinary entries.
bool IsLinkReparseTag(unsigned long tag);

enum NULockMode { kLockModeRead, kLockModeExclusive, kLockModeShared };

// Unless noted, an entry returns 0 on success or -1 with errno set.
struct NUFileOs {
    int (*removeFile)(const char* path);
    int (*removeDirectory)(const char* path);
    int (*makeDirectory)(const char* path);
    // Replaces an existing file at to in one atomic step (never by deleting
    // it first); fails for a directory at to.
    int (*rename)(const char* from, const char* to);
    int (*exists)(const char* path);       // 1 or 0
    int (*isDirectory)(const char* path);  // 1 or 0
    // 1 when anything has the name path, a link (even a dangling one)
    // included; 0 otherwise.
    int (*entryExists)(const char* path);
    // Whether a new entry could be made at path (its directory exists and
    // takes new entries from this user), or the entry at path removed as a
    // file; asked without changing anything. 0, or -1 with errno set as
    // the change itself would set it.
    int (*mayCreate)(const char* path);
    int (*mayRemove)(const char* path);

    // Directory listing without following a symbolic link at the top.
    // openListing gives an opaque listing or null with *systemError set.
    void* (*openListing)(const char* dir, int* systemError);
    // 1 with the next entry ("." and ".." included), 0 at the end. The
    // name stays valid until the next call.
    int (*nextEntry)(void* listing, const char** name, int* isFile, NUFindData* data);
    void (*closeListing)(void* listing);

    // Opens path as a lock file with the mode's lock, never through a
    // symbolic link; kInvalidFileHandle with *systemError (and errno) set
    // on failure.
    NUFileHandle (*openLock)(const char* path, NULockMode mode, int* systemError);
    // 1 when path (a link there not followed) names the file open as
    // handle, 0 when it names another file or nothing.
    int (*sameFileAtPath)(NUFileHandle handle, const char* path);
    void (*closeHandle)(NUFileHandle handle);
    void (*sleepMilliseconds)(int milliseconds);

    // Plain files. openRead opens a regular file only (a link followed),
    // never waiting on what it opens: a directory fails with EISDIR, a
    // FIFO, pipe or device with ENODEV. createWrite makes a new
    // file and fails (EEXIST) when anything has that name already, a
    // symbolic link included, so it never writes through a planted link.
    NUFileHandle (*openRead)(const char* path);
    NUFileHandle (*createWrite)(const char* path);
    // Opens a log file for appending, created (read-write) when missing; a
    // link at path is refused.
    NUFileHandle (*openAppend)(const char* path);
    // Bytes read (0 at the end) or -1.
    long long (*read)(NUFileHandle handle, void* buffer, std::size_t size);
    // Writes all size bytes or fails.
    int (*write)(NUFileHandle handle, const void* buffer, std::size_t size);
    int (*sync)(NUFileHandle handle);  // to stable storage
    int (*close)(NUFileHandle handle);
    int (*syncDirectory)(const char* dir);

    // The system error of a failed file copy mapped to errno; *systemError
    // receives the raw system error for the log.
    int (*copyErrorToErrno)(int* systemError);

    const char* lineEnd;  // line end of text files written here
    // Whether a file can be deleted while a lock holds it open (POSIX); on
    // Windows the lock's sharing mode keeps everyone from deleting it.
    bool heldFilesDeletable;
};

// The directory part of path (DirectoryPart without a length limit).
std::string DirectoryOf(const char* path);

// The table in use. Tests may change entries; each test runs in a process of
// its own, so a change never leaks into another test.
NUFileOs& FileOs();
