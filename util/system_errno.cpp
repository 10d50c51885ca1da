// The C run-time errno for a Windows system error.
#include "util/system_errno.h"

#include <cerrno>

int ErrnoOfSystemError(unsigned long systemError) {
    switch (systemError) {
        case 2:    // file not found
        case 3:    // path not found
        case 15:   // invalid drive
        case 18:   // no more files
        case 53:   // bad network path
        case 123:  // invalid name
        case 161:  // bad path name
        case 206:  // name too long
            return ENOENT;
        case 5:    // access denied
        case 19:   // write protected
        case 32:   // sharing violation
        case 33:   // lock violation
        case 82:   // cannot make
        case 1920: // cannot access the file (a link)
            return EACCES;
        case 80:   // file exists
        case 183:  // already exists
            return EEXIST;
        case 145:  // directory not empty
            return ENOTEMPTY;
        case 267:  // not a directory
            return ENOTDIR;
        case 39:   // disk full
        case 112:  // no space on the disk
            return ENOSPC;
        case 8:    // not enough memory
        case 14:   // out of memory
            return ENOMEM;
        case 6:    // invalid handle
            return EBADF;
        default:
            return EINVAL;
    }
}
