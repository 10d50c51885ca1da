// Log and trace output. Placeholder bodies until the log unit lands: they
// write nothing and report no environment.
#include "util/log.h"

void SetLogPath(const char*, char* previous) {
    if (previous) previous[0] = '\0';
}
void LogAppend(const char*, ...) {}
int TraceError(const char*, ...) { return -99; }
int TraceDBError(const char*, ...) { return -99; }
void TimerStart() {}
void TimeLog(const char*, ...) {}
int RegisterLogFile(const char* path) { return path ? 0 : -99; }
void ReleaseLogFiles() {}
void LogToRegistered(int, const char*, ...) {}
void WriteErrorLog(CMSApp*, const char*, int, const char*, char) {}
