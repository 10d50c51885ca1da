// POSIX side of the ODBC entry points: unixODBC's driver manager, loaded
// when the ODBC driver is first used.
#include <iterator>

#include "db/library.h"
#include "db/odbc_api.h"

const OdbcApi* LoadOdbcApi(std::string* error) {
    static OdbcApi api;
    static const std::string failure = [] {
#define KESTRUN_ODBC_NAME(name) #name,
        static const char* const names[] = {KESTRUN_ODBC_FUNCTIONS(KESTRUN_ODBC_NAME)};
#undef KESTRUN_ODBC_NAME
        void* found[std::size(names)] = {};
        // unixODBC's run-time library (Debian's libodbc2).
        std::string result = DBLoadLibrary("libodbc.so.2", "the ODBC driver manager", names,
                                           found, std::size(names));
        size_t next = 0;
#define KESTRUN_ODBC_SET(name) api.name = reinterpret_cast<decltype(api.name)>(found[next++]);
        KESTRUN_ODBC_FUNCTIONS(KESTRUN_ODBC_SET)
#undef KESTRUN_ODBC_SET
        return result;
    }();
    if (!failure.empty()) {
        if (error) *error = failure;
        return nullptr;
    }
    return &api;
}
