// POSIX side of the SQLite entry points: the system's SQLite library,
// opened with dlopen when the embedded driver is first used.
#include <dlfcn.h>

#include "db/sqlite_api.h"

namespace {

// SQLite's run-time library (Debian's libsqlite3-0).
const char kLibrary[] = "libsqlite3.so.0";

}  // namespace

const SqliteApi* LoadSqliteApi(std::string* error) {
    static SqliteApi api;
    static std::string failure = [] {
        void* library = dlopen(kLibrary, RTLD_LAZY | RTLD_LOCAL);
        if (!library) {
            const char* reason = dlerror();
            return std::string("the SQLite library cannot be loaded: ") +
                   (reason ? reason : kLibrary);
        }
        std::string missing;
#define KESTRUN_SQLITE_LOAD(name)                                            \
    api.name = reinterpret_cast<decltype(api.name)>(dlsym(library, #name)); \
    if (!api.name && missing.empty()) missing = #name;
        KESTRUN_SQLITE_FUNCTIONS(KESTRUN_SQLITE_LOAD)
#undef KESTRUN_SQLITE_LOAD
        if (missing.empty()) return std::string();
        return std::string("the SQLite library ") + kLibrary + " lacks " + missing;
    }();
    if (!failure.empty()) {
        if (error) *error = failure;
        return nullptr;
    }
    return &api;
}
