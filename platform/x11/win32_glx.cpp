#include "win32_glx.h"

#include "win32_opengl32.h"

#include <dlfcn.h>

namespace win32_glx {

#define WIN32_GLX_DEFINE(name) decltype(&::name) name = nullptr;
WIN32_GLX_FUNCTIONS(WIN32_GLX_DEFINE)
#undef WIN32_GLX_DEFINE

bool Load() {
    static const bool loaded = [] {
        void* library = win32_opengl32::LibGL();
        if (library == nullptr)
            return false;
        bool all = true;
#define WIN32_GLX_BIND(name)                                                                       \
    name = reinterpret_cast<decltype(name)>(dlsym(library, #name));                                \
    all = all && name != nullptr;
        WIN32_GLX_FUNCTIONS(WIN32_GLX_BIND)
#undef WIN32_GLX_BIND
        if (!all) {
#define WIN32_GLX_CLEAR(name) name = nullptr;
            WIN32_GLX_FUNCTIONS(WIN32_GLX_CLEAR)
#undef WIN32_GLX_CLEAR
        }
        return all;
    }();
    return loaded;
}

} // namespace win32_glx
