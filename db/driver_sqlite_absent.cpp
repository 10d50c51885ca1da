// The embedded SQLite provider in a build without SQLite: the name is known
// but no driver can be created, so a connection on it fails as unavailable.
#include "db/driver.h"

std::unique_ptr<DBDriver> CreateSqliteDriver(const DBDriverSettings&) { return nullptr; }
