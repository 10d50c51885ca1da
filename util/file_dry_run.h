// NUFileDryRun: the file operations answered as the system would answer
// them, with nothing changed, to learn what a sequence of them would do.
#pragma once

// While an object lives, FileOs() answers every call as the system would
// but changes nothing: files and directories it would make, remove or
// rename are kept in a list of this object's, locks on existing lock files
// are taken for real and released with their handles, and lines for log
// files are dropped. One at a time.
class NUFileDryRun {
public:
    NUFileDryRun();
    ~NUFileDryRun();
    NUFileDryRun(const NUFileDryRun&) = delete;
    NUFileDryRun& operator=(const NUFileDryRun&) = delete;

    // The system error class (NUSysError) of the latest lock file opened:
    // kSysSharingViolation when someone else holds the lock.
    int LastLockError() const;
};
