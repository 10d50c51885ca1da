// OS services of the database and record units: pausing, process environment
// variables and the process's character set. Implemented per platform
// (platform_posix.cpp).
#pragma once

#include <string>
#include <string_view>

// Sleeps for seconds (nothing for 0 or less).
void DBSleepSeconds(int seconds);
// Sleeps for milliseconds (nothing for 0 or less).
void DBSleepMilliseconds(int milliseconds);
// Names and values below are bytes in the system code page (UTF-8 on POSIX).
// Reads a process environment variable; false when it is not set (or, on
// Windows, when its value has no exact form in the code page).
bool DBGetEnvVar(const char* name, std::string* value);
// Sets a process environment variable. 0, or -1 when the system refuses or
// a text is no text of the code page.
int DBSetEnvVar(const char* name, const char* value);
// Makes the process's character set UTF-8 unless it already is, so that the
// ODBC driver manager converts texts for drivers without wide-character
// entry points as UTF-8, the framework's database text. Only the character
// classification category changes. False when no UTF-8 locale exists.
bool DBUseUtf8CharacterSet();
// *out = the UTF-16 form of text in the system code page (connection data);
// false when some bytes are no character there.
bool DBSystemTextToUtf16(std::string_view text, std::u16string* out);
