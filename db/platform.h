// OS services of the database units: pausing and process environment
// variables. Implemented per platform (platform_posix.cpp).
#pragma once

#include <string>

// Sleeps for seconds (nothing for 0 or less).
void DBSleepSeconds(int seconds);
// Reads a process environment variable; false when it is not set.
bool DBGetEnvVar(const char* name, std::string* value);
// Sets a process environment variable. 0, or -1 when the system refuses.
int DBSetEnvVar(const char* name, const char* value);
