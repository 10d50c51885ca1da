// Test databases made from the shipped schema script data/schema/sqlite.sql.
#pragma once

#include <string>

// The text of data/schema/sqlite.sql ("" when it cannot be read); hand it
// to OpenSessionDb (support/session_db.h) or MakeSqliteDb.
std::string SchemaScript();
// Creates (or extends) the SQLite database at path with the shipped tables.
// "" on success, else what failed.
std::string MakeSchemaDatabase(const std::string& path);
