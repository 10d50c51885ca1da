// POSIX side of loading a shared library at run time: dlopen and dlsym.
#include <dlfcn.h>

#include "db/library.h"

namespace {

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define KESTRUN_SANITIZER_RUNTIME 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define KESTRUN_SANITIZER_RUNTIME 1
#endif

// The library's references to its own symbols are bound inside it first
// (RTLD_DEEPBIND): Debian builds its libraries to bind every symbol at load,
// and SQLite refers to over a thousand of its own, each of which would
// otherwise be looked up in the program and every library it links before
// the library itself. The sanitizers' run-time refuses such a library.
#ifdef KESTRUN_SANITIZER_RUNTIME
constexpr int kOwnSymbolsFirst = 0;
#else
constexpr int kOwnSymbolsFirst = RTLD_DEEPBIND;
#endif

}  // namespace

std::string DBLoadLibrary(const char* file, const char* what, const char* const* names,
                          void** found, size_t count) {
    void* library = dlopen(file, RTLD_LAZY | RTLD_LOCAL | kOwnSymbolsFirst);
    if (!library) {
        const char* reason = dlerror();
        return std::string(what) + " cannot be loaded: " + (reason ? reason : file);
    }
    for (size_t i = 0; i < count; ++i) {
        found[i] = dlsym(library, names[i]);
        if (!found[i]) return std::string(what) + " (" + file + ") lacks " + names[i];
    }
    return std::string();
}
