// The database drivers of Windows: ADO beside the built-in ones, and the
// default provider.
#include "db/driver.h"

std::unique_ptr<DBDriver> CreateAdoDriver(const DBDriverSettings& settings);

const char* DefaultDBProvider() { return "ado"; }

std::vector<std::pair<const char*, DBDriverFactory>> PlatformDBDrivers() {
    return {{"ado", &CreateAdoDriver}};
}
