// POSIX side of the log files: one open-append-write-close per line.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "util/log_file.h"

bool AppendToFile(const char* path, const char* data, size_t length) {
    // Never through a symbolic link planted at the log's name.
    int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    bool ok = true;
    while (length > 0) {
        ssize_t n = write(fd, data, length);
        if (n < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        data += n;
        length -= static_cast<size_t>(n);
    }
    close(fd);
    return ok;
}
