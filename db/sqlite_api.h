// The SQLite entry points the embedded driver calls, loaded when the driver
// is first opened rather than at the start of every process.
#pragma once

#include <sqlite3.h>

#include <string>

#define KESTRUN_SQLITE_FUNCTIONS(X)                                                            \
    X(sqlite3_bind_int64) X(sqlite3_bind_parameter_count) X(sqlite3_bind_text)                 \
    X(sqlite3_bind_text16) X(sqlite3_busy_timeout) X(sqlite3_changes64) X(sqlite3_close)       \
    X(sqlite3_close_v2) X(sqlite3_column_bytes) X(sqlite3_column_count)                        \
    X(sqlite3_column_decltype) X(sqlite3_column_int64) X(sqlite3_column_name)                  \
    X(sqlite3_column_text) X(sqlite3_column_type) X(sqlite3_config) X(sqlite3_errmsg)          \
    X(sqlite3_errstr) X(sqlite3_exec) X(sqlite3_extended_errcode)                              \
    X(sqlite3_extended_result_codes) X(sqlite3_finalize) X(sqlite3_free)                       \
    X(sqlite3_get_autocommit) X(sqlite3_open_v2) X(sqlite3_prepare_v2) X(sqlite3_step)         \
    X(sqlite3_stmt_readonly)

struct SqliteApi {
#define KESTRUN_SQLITE_MEMBER(name) decltype(&::name) name;
    KESTRUN_SQLITE_FUNCTIONS(KESTRUN_SQLITE_MEMBER)
#undef KESTRUN_SQLITE_MEMBER
};

// The entry points, loaded once (each platform's file); null with *error
// naming the library and the reason when it cannot be loaded.
const SqliteApi* LoadSqliteApi(std::string* error);
