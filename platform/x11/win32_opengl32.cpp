#include "win32_opengl32.h"

#include "platform/core/win32_module.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstring>
#include <iterator>

namespace win32_opengl32 {
namespace {

struct GlProcProvider {
    const char* name;
    const char* providers;
};

#include "platform/core/win32_gl_procs.inc"

bool Less(const char* a, const char* b) {
    return std::strcmp(a, b) < 0;
}

} // namespace

void* LibGL() {
    // Never closed: contexts and Mesa's threads outlive any FreeLibrary.
    static void* const library = dlopen("libGL.so.1", RTLD_NOW | RTLD_GLOBAL);
    return library;
}

FARPROC Export(const char* name) {
    if (name == nullptr)
        return nullptr;
    if (FARPROC function = win32_internal::WglExport(name))
        return function;
    if (!std::binary_search(std::begin(kOpengl32GlExports), std::end(kOpengl32GlExports), name,
                            Less))
        return nullptr;
    void* library = LibGL();
    return library == nullptr ? nullptr : reinterpret_cast<FARPROC>(dlsym(library, name));
}

const char* Providers(const char* name) {
    if (name == nullptr)
        return nullptr;
    const auto found = std::lower_bound(
        std::begin(kGlProcProviders), std::end(kGlProcProviders), name,
        [](const GlProcProvider& entry, const char* key) { return Less(entry.name, key); });
    if (found == std::end(kGlProcProviders) || std::strcmp(found->name, name) != 0)
        return nullptr;
    return found->providers;
}

} // namespace win32_opengl32
