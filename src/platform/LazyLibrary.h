// Libraries loaded when a feature first needs them (GIO with the desktop's menu
// library, libcanberra, ALSA), so that a bar that plays no sound and opens no document
// never maps them. Their functions are defined here under their own names, each
// loading its library at its first call and calling the library's function from then
// on; the call sites use the libraries' headers as they stand. When a library cannot
// be loaded, this is said once on stderr and its functions answer as the library
// does for "not available" (an error code, NULL, FALSE), so that the feature is
// simply missing.
#pragma once

namespace kex {

// The library's handle, loaded at the first call; null when it cannot be loaded.
void* LazyLibrary(const char* soname);
// A function of the library; null when the library or the function is missing.
void* LazySymbol(const char* soname, const char* symbol);
// Whether the library is mapped in this process now.
bool LibraryMapped(const char* soname);

} // namespace kex

// Defines the library function `name` with the header's parameters and return type.
#define KEX_LAZY(soname, ret, name, params, args, fallback)                                                            \
    extern "C" ret name params                                                                                         \
    {                                                                                                                  \
        static const auto real = reinterpret_cast<decltype(&name)>(::kex::LazySymbol(soname, #name));                  \
        if (!real)                                                                                                     \
            return fallback;                                                                                           \
        return real args;                                                                                              \
    }
#define KEX_LAZY_VOID(soname, name, params, args)                                                                      \
    extern "C" void name params                                                                                        \
    {                                                                                                                  \
        static const auto real = reinterpret_cast<decltype(&name)>(::kex::LazySymbol(soname, #name));                  \
        if (real)                                                                                                      \
            real args;                                                                                                 \
    }
