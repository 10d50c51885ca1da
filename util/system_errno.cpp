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
        case 67:   // bad network name
        case 161:  // bad path name
        case 206:  // name too long
        case 123:  // invalid name (addition)
            return ENOENT;
        case 4:  // too many open files
            return EMFILE;
        case 5:     // access denied
        case 16:    // current directory
        case 65:    // network access denied
        case 82:    // cannot make
        case 83:    // fail on INT 24
        case 108:   // drive locked
        case 132:   // seek on device
        case 158:   // not locked
        case 167:   // lock failed
        case 1920:  // cannot access the file (addition)
            return EACCES;
        case 6:    // invalid handle
        case 114:  // invalid target handle
        case 130:  // direct access handle
            return EBADF;
        case 7:     // arena trashed
        case 8:     // not enough memory
        case 9:     // invalid block
        case 1816:  // not enough quota
        case 14:    // out of memory (addition)
            return ENOMEM;
        case 10:  // bad environment
            return E2BIG;
        case 11:  // bad format
            return ENOEXEC;
        case 17:  // not the same device
            return EXDEV;
        case 80:   // file exists
        case 183:  // already exists
            return EEXIST;
        case 89:   // no process slots
        case 164:  // thread limit reached
        case 215:  // nesting not allowed
            return EAGAIN;
        case 109:  // broken pipe
            return EPIPE;
        case 112:  // no space on the disk
        case 39:   // disk full (addition)
            return ENOSPC;
        case 128:  // no children to wait for
        case 129:  // child not complete
            return ECHILD;
        case 145:  // directory not empty
            return ENOTEMPTY;
        case 267:  // not a directory (addition)
            return ENOTDIR;
        default:
            break;
    }
    // Device and sharing faults (write protected to sharing buffer exceeded)
    // and the faults of an executable image.
    if (systemError >= 19 && systemError <= 36) return EACCES;
    if (systemError >= 188 && systemError <= 202) return ENOEXEC;
    return EINVAL;
}
