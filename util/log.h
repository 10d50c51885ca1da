// Log and trace output: the current log file, the error trace, the time log,
// registered log files and the end-of-run error record.
#pragma once

#include <cstddef>

#include "util/format_check.h"

// Size of a log path's buffer: a log path holds at most 511 bytes.
inline constexpr std::size_t kNULogPathSize = 512;

// Sets the current log file (null or "" clears it). When previous is given,
// the old path is copied into it first; it must hold 512 bytes.
void SetLogPath(const char* path, char* previous);
// From now on the process writes no log file at all (current, time,
// registered, error record): for a look at an installation that must leave
// it as it was, whatever its configuration switches on.
void SuspendLogFiles();
// Appends a local-time-stamped line to the current log file, if any. It
// leaves the caller's system error as it was, so a failure logged on the
// way is still the one reported after (also LogToRegistered).
void LogAppend(const char* format, ...) NU_PRINTF(1, 2);
// LogAppend that tells whether the line reached the current log file: false
// when no log file is set or it could not be written.
bool LogAppendChecked(const char* format, ...) NU_PRINTF(1, 2);
// Records a failure, hex-encoded, in the environment's error trace.
// 0; -99 without environment; -2 when memory runs out.
int TraceError(const char* format, ...) NU_PRINTF(1, 2);
// TraceError with the database connection's last error code and message.
int TraceDBError(const char* format, ...) NU_PRINTF(1, 2);
void TimerStart();
void TimeLog(const char* format, ...) NU_PRINTF(1, 2);
// Registers path as log file 1, replacing an earlier one. 0; -99 for a null
// path or one of 512 bytes or more.
int RegisterLogFile(const char* path);
void ReleaseLogFiles();
void LogToRegistered(int id, const char* format, ...) NU_PRINTF(2, 3);
class CMSApp;
class NUString;
// The longest path WriteErrorLog(application, null, ...) can write next, for
// checking paths before anything is created. 0, -99, or a failure code.
int LongestErrorLogPath(CMSApp* application, NUString* out);
// Writes the error record of a failed run to a unique file in the
// environment's temporary directory: the line "code:kind:message" (kind and
// message empty when unknown), then the error trace, which is cleared only
// once it has been written. false (errno set) when the record could not be
// written. writtenPath, when given, receives the file's path (empty when
// the record went to the current log file for want of a directory).
bool WriteErrorLog(CMSApp* application, const char* secondName, int code, const char* text,
                   char kind, NUString* writtenPath = nullptr);
