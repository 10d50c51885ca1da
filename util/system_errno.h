// The C run-time errno for a Windows system error, as the Windows C run-time
// library maps them after a failed system call.
#pragma once

// errno for a GetLastError value: ENOENT, EACCES, EEXIST, ENOTEMPTY,
// ENOTDIR, ENOSPC, ENOMEM, EBADF, EINVAL (anything else).
int ErrnoOfSystemError(unsigned long systemError);
