// Loading a shared library when it is first needed (POSIX: the database
// providers' libraries; Windows links its libraries with the program).
#pragma once

#include <cstddef>
#include <string>

// Loads the library file (lazily bound) and finds count names in it,
// storing their addresses into found in order. "" on success, else the
// reason, naming the library as what: "<what> cannot be loaded: <reason>" or
// "<what> (<file>) lacks <name>". A library once loaded stays loaded.
std::string DBLoadLibrary(const char* file, const char* what, const char* const* names,
                          void** found, size_t count);
