// The benchmarks' installation: one temporary home per process with its
// environment, a SQLite session holding the record table and a message
// catalog, set up on first use and released at exit.
#pragma once

#include <string>

// Rows of the record table TM_ITEM (company 1, identifiers 1..n).
constexpr int kBenchItemRows = 100000;
// Numbered messages in the catalog local/ja_JP/message (numbers 1..n).
constexpr int kBenchMessages = 10000;

// Sets the installation up once: "" when it is ready, else what failed.
const std::string& OpenBenchEnvironment();
// The SQLite file of the session.
std::string BenchDbPath();
