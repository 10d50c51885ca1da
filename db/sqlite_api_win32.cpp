// Windows side of the SQLite entry points: SQLite linked with the program.
#include "db/sqlite_api.h"

const SqliteApi* LoadSqliteApi(std::string*) {
#define KESTRUN_SQLITE_ADDRESS(name) &::name,
    static const SqliteApi api = {KESTRUN_SQLITE_FUNCTIONS(KESTRUN_SQLITE_ADDRESS)};
#undef KESTRUN_SQLITE_ADDRESS
    return &api;
}
