// Reading the error trace in tests: its lines are hex-encoded text.
#pragma once

#include <string>

// The bytes of each pair of hex digits in hex; a last odd digit is dropped.
std::string DecodeHex(const std::string& hex);
// The text of a log holding an error trace (the driver log, an error log):
// time stamps dropped, hex-encoded lines decoded, other lines kept.
std::string DecodeTrace(const std::string& logText);
