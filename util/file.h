// File and directory operations: tree removal, replacing rename, directory
// creation, existence tests, lock files with retries, path splitting.
#pragma once

#include <cstddef>
#include <cstdint>

// An open OS file handle (a descriptor on POSIX, a HANDLE on Windows), held
// as an integer so that headers stay free of platform types.
using NUFileHandle = std::intptr_t;
inline constexpr NUFileHandle kInvalidFileHandle = -1;

// Closes an open handle; the invalid handle is ignored. Closing a lock file's
// handle releases the lock.
void CloseFileHandle(NUFileHandle handle);

// What RemoveTree's filter learns about an entry besides its name.
struct NUFindData {
    long long size = 0;          // bytes; 0 for directories
    long long modifiedTime = 0;  // seconds since 1970-01-01 UTC
};

// RemoveTree filter: (entry name, 1 for a file / 0 for a directory, its
// data) -> false keeps the entry (and therefore its directory).
using NURemoveFilter = bool (*)(const char* name, int isFile, const NUFindData* data);

// Deletes a directory with everything in it, or a single file. With a filter,
// entries it rejects are kept; below the top it applies only when
// filterBelow is set. tolerateDenied skips entries that cannot be deleted
// for lack of permission (or that vanished). A symbolic link, even one named
// with a trailing separator, is removed as a link and never descended into.
// 0 (also for a missing path), -1 with errno set, -9 for an empty path.
int RemoveTree(const char* path, NURemoveFilter filter = nullptr, bool tolerateDenied = false,
               bool filterBelow = false);

// Deletes the file (or the link) named path, never a directory. 0, also
// when nothing is there; -1 with errno set when it stays (EISDIR, or on
// Windows EACCES, for a directory; EINVAL for an empty path).
int RemoveFile(const char* path);

// Renames source to target, replacing an existing target file in one
// atomic step. The target is never deleted first: on failure both files
// stay as they were. 0, or -1 with errno set.
int RenameReplace(const char* source, const char* target);

// Creates every missing directory above the last component of path.
// 0; -1 with errno set (EEXIST when the directory already exists).
int CreateDirectories(const char* path);

// Makes one directory: 0, or -1 with errno set.
int MakeDirectory(const char* dir);

// Makes sure dir exists, creating it and its parents: 0 or -3.
int EnsureDirectory(const char* dir);

// 1 when path exists (one trailing separator ignored), 0 otherwise.
int PathExists(const char* path);

// Reads up to size bytes from the start of the file at path (shared with
// every other reader and writer): the count read, or -1 when it cannot be
// opened or read.
long long ReadFileStart(const char* path, void* buffer, size_t size);

// Lock files: the lock is held while the returned handle stays open; close it
// with CloseFileHandle. Each tries up to attempts times, sleeping seconds
// between tries; when the lock stays taken it writes a report line to the
// registered lock log, sets errno EACCES and returns kInvalidFileHandle.
// Read lock: other readers and OpenLockShared writers may hold it too. The
// file must exist (else ENOENT at once).
NUFileHandle OpenLockRead(int attempts, const char* path, int seconds);
// Write lock that excludes everyone. Creates the file and its directories.
NUFileHandle OpenLockExclusive(const char* path, int attempts, int seconds);
// Write lock that lets readers in but excludes other writers.
NUFileHandle OpenLockShared(const char* path, int attempts, int seconds);

// After a failed file copy: maps the system's error to errno (ENOENT,
// EACCES, EEXIST, otherwise ENOSPC) and logs the failure. Returns 0.
int ReportCopyFailure(const char* source, const char* target);

// The directory part of path (before the last separator) in out, at most
// size - 1 bytes; empty for a bare name or a drive root.
void DirectoryPart(char* out, const char* path, int size);
// The last component of path in out, at most size - 1 bytes.
void BaseName(const char* path, int size, char* out);
// The text after the last "/", ":" or backslash of path (all of it when
// there is none); points into path.
const char* LastPathComponent(const char* path);
// path without its last extension into out (which must hold strlen(path)+1).
void StripExtension(char* out, const char* path);
