#include "platform/LazyLibrary.h"

#include <dlfcn.h>

#include <cstdio>
#include <map>
#include <mutex>
#include <string>

namespace kex {

void* LazyLibrary(const char* soname)
{
    static std::mutex mutex;
    static std::map<std::string, void*> opened;
    const std::lock_guard<std::mutex> lock(mutex);
    auto it = opened.find(soname);
    if (it != opened.end())
        return it->second;
    // Global, as if linked: a library's own plug-ins find it.
    void* handle = ::dlopen(soname, RTLD_NOW | RTLD_GLOBAL);
    if (!handle) {
        const char* why = ::dlerror();
        std::fprintf(stderr, "kexbar: %s could not be loaded (%s); what needs it is not available\n", soname,
                     why ? why : "unknown error");
    }
    opened.emplace(soname, handle);
    return handle;
}

void* LazySymbol(const char* soname, const char* symbol)
{
    void* library = LazyLibrary(soname);
    return library ? ::dlsym(library, symbol) : nullptr;
}

bool LibraryMapped(const char* soname)
{
    void* handle = ::dlopen(soname, RTLD_LAZY | RTLD_NOLOAD);
    if (handle)
        ::dlclose(handle);
    return handle != nullptr;
}

} // namespace kex
