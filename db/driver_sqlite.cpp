// Embedded SQLite driver.
#include "db/driver.h"

std::unique_ptr<DBDriver> CreateSqliteDriver(const DBDriverSettings&) { return nullptr; }
