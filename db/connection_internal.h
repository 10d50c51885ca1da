// Shared details of the connection's source files.
#pragma once

#include <cstddef>

// lastError of a time-out (SQL state "HYT00").
constexpr int kTimeoutError = -911;
