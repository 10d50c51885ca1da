// Test platform services on POSIX.
#include <errno.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "support/test_platform.h"

bool OnWindows() { return false; }

int SystemCodePage() { return 65001; }

bool SetTestEnvironment(const char* name, const char* value) { return setenv(name, value, 1) == 0; }

void UseServerZone(const char* tz) {
    setenv("TZ", tz, 1);
    tzset();
}

void SetLastSystemError(int error) { errno = error; }

bool HandleIsInherited(NUFileHandle handle) {
    int flags = fcntl(static_cast<int>(handle), F_GETFD);
    return flags >= 0 && !(flags & FD_CLOEXEC);
}

std::string HostFilePath(const std::string& path) { return path; }

void InjectSystemError(SystemErrorCase error) { errno = error.posix; }

int ReportedSystemError(SystemErrorCase error) { return error.posix; }

bool SetImmutable(const std::string& path, bool on) {
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    int flags = 0;
    bool set = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (set) {
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        set = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    close(fd);
    return set;
}

bool MakeFifo(const std::string& path) { return mkfifo(path.c_str(), 0600) == 0; }

bool RunsPrivileged() { return geteuid() == 0; }
