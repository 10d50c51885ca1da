// Windows side of the ODBC entry points: the system's odbc32, linked with
// the program.
#include <windows.h>

#include "db/odbc_api.h"

const OdbcApi* LoadOdbcApi(std::string*) {
#define KESTRUN_ODBC_ADDRESS(name) &::name,
    static const OdbcApi api = {KESTRUN_ODBC_FUNCTIONS(KESTRUN_ODBC_ADDRESS)};
#undef KESTRUN_ODBC_ADDRESS
    return &api;
}
