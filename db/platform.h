// OS services of the database and record units: pausing, process environment
// variables and the process's character set. Implemented per platform
// (platform_posix.cpp).
#pragma once

#include <string>

// Sleeps for seconds (nothing for 0 or less).
void DBSleepSeconds(int seconds);
// Sleeps for milliseconds (nothing for 0 or less).
void DBSleepMilliseconds(int milliseconds);
// Reads a process environment variable; false when it is not set.
bool DBGetEnvVar(const char* name, std::string* value);
// Sets a process environment variable. 0, or -1 when the system refuses.
int DBSetEnvVar(const char* name, const char* value);
// Makes the process's character set UTF-8 unless it already is, so that the
// ODBC driver manager converts texts for drivers without wide-character
// entry points as UTF-8, the framework's database text. Only the character
// classification category changes. False when no UTF-8 locale exists.
bool DBUseUtf8CharacterSet();
