// The C run-time errno for a Windows system error, as the Windows C run-time
// library maps them after a failed system call.
#pragma once

// errno for a GetLastError value by the C run-time's full table (EINVAL for
// anything it does not name), with a few additions where that table says
// EINVAL but a caller needs the cause: invalid name (123) ENOENT, out of
// memory (14) ENOMEM, disk full (39) ENOSPC, not a directory (267) ENOTDIR,
// the file cannot be accessed (1920) EACCES.
int ErrnoOfSystemError(unsigned long systemError);
