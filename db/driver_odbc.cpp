// ODBC driver.
#include "db/driver.h"

std::unique_ptr<DBDriver> CreateOdbcDriver(const DBDriverSettings&) { return nullptr; }
