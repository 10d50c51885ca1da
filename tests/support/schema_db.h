// Test databases: SQLite files made from the shipped schema script.
#pragma once

#include <string>

// Creates (or extends) the SQLite database at path by running
// data/schema/sqlite.sql. False, with the reason in *error when given, on
// failure.
bool MakeSchemaDatabase(const std::string& path, std::string* error = nullptr);
// Runs sql (one or more statements) against the database at path.
bool ExecSql(const std::string& path, const std::string& sql, std::string* error = nullptr);
