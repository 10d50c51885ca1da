// POSIX side of the ODBC entry points: unixODBC's driver manager, opened
// with dlopen when the ODBC driver is first used.
#include <dlfcn.h>

#include "db/odbc_api.h"

namespace {

// unixODBC's run-time library (Debian's libodbc2).
const char kLibrary[] = "libodbc.so.2";

}  // namespace

const OdbcApi* LoadOdbcApi(std::string* error) {
    static OdbcApi api;
    static std::string failure = [] {
        void* library = dlopen(kLibrary, RTLD_LAZY | RTLD_LOCAL);
        if (!library) {
            const char* reason = dlerror();
            return std::string("the ODBC driver manager cannot be loaded: ") +
                   (reason ? reason : kLibrary);
        }
        std::string missing;
#define KESTRUN_ODBC_LOAD(name)                                              \
    api.name = reinterpret_cast<decltype(api.name)>(dlsym(library, #name)); \
    if (!api.name && missing.empty()) missing = #name;
        KESTRUN_ODBC_FUNCTIONS(KESTRUN_ODBC_LOAD)
#undef KESTRUN_ODBC_LOAD
        if (missing.empty()) return std::string();
        // The library stays loaded: it may be another program's too.
        return std::string("the ODBC driver manager ") + kLibrary + " lacks " + missing;
    }();
    if (!failure.empty()) {
        if (error) *error = failure;
        return nullptr;
    }
    return &api;
}
