#pragma once

// A shared library opened on the first call into it, not at start-up: the
// audio libraries (SDL2, libsndfile, libebur128 and the codecs they bring)
// are only needed once a file is opened, and loading them with the program
// would make every start wait for them.
//
// Each library's functions the program calls are defined once, with the
// library's own prototypes, by BRINDLEWAVE_LAZY_FUNCTION in one source file;
// callers include the library's header as usual. A function whose library or
// symbol cannot be found returns the given fallback, which each library's file
// chooses to read as that library's own failure.

#include <dlfcn.h>

namespace lazy_library {

// The library's handle, opened once (thread-safe), or null when it cannot be.
inline void *open(const char *soname)
{
    return dlopen(soname, RTLD_NOW | RTLD_LOCAL);
}

inline void *symbol(void *library, const char *name)
{
    return library ? dlsym(library, name) : nullptr;
}

}  // namespace lazy_library

// Defines `name` (with C linkage, the prototype of the library's header) as a
// call through the library's function, looked up once; `library` is an
// expression giving the handle, `fallback` the result without the library.
#define BRINDLEWAVE_LAZY_FUNCTION(library, ret, name, params, args, fallback)                \
    extern "C" ret name params                                                             \
    {                                                                                      \
        using Function = ret(*) params;                                                    \
        static const Function function =                                                   \
            reinterpret_cast<Function>(lazy_library::symbol(library, #name));              \
        if (!function)                                                                     \
            return fallback;                                                               \
        return function args;                                                              \
    }
