// POSIX side of loading a shared library at run time: dlopen and dlsym.
#include <dlfcn.h>

#include "db/library.h"

std::string DBLoadLibrary(const char* file, const char* what, const char* const* names,
                          void** found, size_t count) {
    void* library = dlopen(file, RTLD_LAZY | RTLD_LOCAL);
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
