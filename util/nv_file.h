// NUFileIO: reads and writes name-value files between a file and an NUioObj,
// guarding the file with its lock file (the path followed by ".lk").
//
// Reading takes the file line by line (LF or CR LF ends a line; a NUL ends
// the line's text) and applies the rules once to each whole line, however
// long it is:
// - A line starting with a TAB continues the last value: the TAB becomes an
//   LF, and the line, trailing blanks trimmed (a lone TAB gives a bare LF),
//   is appended. Continuation lines are never cut at a comment.
// - An entry is name, separator, value. The first separator must stand
//   within the line's first 2047 bytes; a line whose first separator stands
//   later is skipped whole, as is a line without one, and a comment line (a
//   '#' before the separator that starts the line or follows a space or
//   TAB).
// - Unless keepComments, the value ends at its first '#' when a TAB stands
//   before that '#' in the value; the rest of the line is dropped.
// - Name and value lose their trailing TAB, LF, CR and space bytes.
// So a value reads back as it was written whatever its length: the comment
// and trimming rules fall the same on a line of 10 bytes or of 10,000, with
// no rule at the 2047-byte edges other than where a name must end.
#pragma once

#include "util/file.h"
#include "util/nv_io.h"

// Results: 0; -1 null object; -10 data or temporary file cannot be opened;
// -11 path is a directory; -12 writing failed (also when the new contents did
// not reach stable storage); -13 replacing the file
// failed; -14 / -15 lock file cannot be opened for reading / writing; -16
// file (or, when locking, its lock file) not found; -17 locked by someone
// else; -18 replacing failed because the target still exists (Remove: the
// file stays); -19 read without its lock (tryOnce); or a result of the
// NUioObj.
class NUFileIO {
public:
    NUFileIO() = default;
    NUFileIO(const NUFileIO&) = delete;
    NUFileIO& operator=(const NUFileIO&) = delete;

    // Closes the lock handle.
    virtual ~NUFileIO();
    // Adds the file's pairs to obj (it never clears obj). tryOnce: one lock
    // attempt, and when the lock is taken the file is read anyway (-19).
    // keepComments: values are never cut at a TAB-then-'#' comment.
    virtual int Read(NUioObj* obj, bool tryOnce, bool keepComments);
    // Writes obj's pairs through path + ".bk" and a replacing rename; the old
    // file stays untouched when this fails, and when only the replacement
    // fails the ".bk" file stays beside it with the new contents. A failed
    // flush of the directory after the rename is logged and the write counts
    // (a power cut may then bring back the old file, never a partial one).
    // keepLock keeps the write lock.
    virtual int Write(NUioObj* obj, bool keepLock);
    // Takes the write lock on obj's path and keeps it.
    virtual int Lock(NUioObj* obj);
    // Deletes obj's file under the write lock: 0 (also when there was no
    // file), -18 when the file stays, or the lock's code. removeLockFile also
    // deletes the lock file, never one that another holder has taken (it
    // then stays, as lock files normally do).
    virtual int Remove(NUioObj* obj, bool keepLock, bool removeLockFile);
    virtual void SetSeparator(char c);
    // Removes trailing TAB, LF, CR and space bytes in place.
    virtual void TrimRight(char* text);

    // Read lock on path's lock file: 0, -16, -17 or -14.
    int LockShared(const char* path);
    // Write lock on path's lock file (created if missing): 0, -17 or -15.
    int LockExclusive(const char* path);
    void Unlock();
    bool HasLock() const { return lockHandle != kInvalidFileHandle; }
    // The open lock file's handle (kInvalidFileHandle without a lock).
    NUFileHandle LockHandle() const { return lockHandle; }

    int retries = 3;          // attempts to open the lock file
    int waitSeconds = 2;      // seconds between two attempts
    bool shareReaders = false;  // the write lock lets readers in
    bool noLock = false;      // Read neither takes nor releases the lock
    char separator = '=';

private:
    int ReadPairs(NUioObj* obj, NUFileHandle file, bool keepComments);
    int WriteReplacing(NUioObj* obj, const char* path);

    NUFileHandle lockHandle = kInvalidFileHandle;
};
