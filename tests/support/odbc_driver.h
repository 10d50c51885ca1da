// ODBC drivers of the host for tests: finding a driver's library and
// registering it in a driver list of the test's own.
#pragma once

#include <string>

class TempDir;

// An ODBC driver library (file name), wherever the system keeps it; ""
// when it is not installed.
std::string FindOdbcLibrary(const char* file);
// Registers library under name in a driver list in dir, for this process
// and the programs it starts. false when that fails.
bool RegisterOdbcDriver(const TempDir& dir, const char* name, const std::string& library);
