// POSIX side of the SQLite entry points: the system's SQLite library,
// loaded when the embedded driver is first used.
#include <iterator>

#include "db/library.h"
#include "db/sqlite_api.h"

const SqliteApi* LoadSqliteApi(std::string* error) {
    static SqliteApi api;
    static const std::string failure = [] {
#define KESTRUN_SQLITE_NAME(name) #name,
        static const char* const names[] = {KESTRUN_SQLITE_FUNCTIONS(KESTRUN_SQLITE_NAME)};
#undef KESTRUN_SQLITE_NAME
        void* found[std::size(names)] = {};
        // SQLite's run-time library (Debian's libsqlite3-0).
        std::string result = DBLoadLibrary("libsqlite3.so.0", "the SQLite library", names, found,
                                           std::size(names));
        size_t next = 0;
#define KESTRUN_SQLITE_SET(name) api.name = reinterpret_cast<decltype(api.name)>(found[next++]);
        KESTRUN_SQLITE_FUNCTIONS(KESTRUN_SQLITE_SET)
#undef KESTRUN_SQLITE_SET
        return result;
    }();
    if (!failure.empty()) {
        if (error) *error = failure;
        return nullptr;
    }
    return &api;
}
