// Keeps the caller's system error across work done on the side, such as a
// log line written after a failure that the caller reports afterwards.
#pragma once

#include <cerrno>

// The thread's last system error beside errno (Windows keeps its own, which
// every successful call may clear); 0 where errno is the only one.
unsigned long ThreadLastError();
void SetThreadLastError(unsigned long error);

// Restores errno and the thread's last error when it goes out of scope.
class SystemErrorKeeper {
public:
    SystemErrorKeeper() : savedErrno(errno), savedLast(ThreadLastError()) {}
    ~SystemErrorKeeper() {
        SetThreadLastError(savedLast);
        errno = savedErrno;
    }
    SystemErrorKeeper(const SystemErrorKeeper&) = delete;
    SystemErrorKeeper& operator=(const SystemErrorKeeper&) = delete;

private:
    int savedErrno;
    unsigned long savedLast;
};
