// The database drivers of POSIX systems: the built-in ones only, ODBC first.
#include "db/driver.h"

const char* DefaultDBProvider() { return "odbc"; }

std::vector<std::pair<const char*, DBDriverFactory>> PlatformDBDrivers() { return {}; }
