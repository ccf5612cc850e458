// Rendering contexts over GLX: creation, making current, swap control, and
// the entry points a context offers.
#include "platform/core/win32_backend.h"
#include "platform/core/win32_error.h"
#include "win32_gdi_internal.h"
#include "win32_glx.h"
#include "win32_opengl32.h"
#include "win32_x11.h"

#include <dlfcn.h>

#include <cstdio>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <string>

namespace {

// What the driver offers, read the first time a name is asked for.
struct ContextInfo {
    bool described = false;
    int major = 0;
    int minor = 0;
    std::set<std::string> extensions;
};

std::mutex gMutex;
std::map<GLXContext, ContextInfo> gContexts;
thread_local GLXContext tCurrent = nullptr;

using GlGetString = const unsigned char* (*)(unsigned);
constexpr unsigned kGlVersion = 0x1F02;
constexpr unsigned kGlExtensions = 0x1F03;

void Describe(ContextInfo& context) {
    if (context.described)
        return;
    context.described = true;
    const auto getString =
        reinterpret_cast<GlGetString>(dlsym(win32_opengl32::LibGL(), "glGetString"));
    if (getString == nullptr)
        return;
    if (const auto* version = reinterpret_cast<const char*>(getString(kGlVersion)))
        std::sscanf(version, "%d.%d", &context.major, &context.minor);
    if (const auto* extensions = reinterpret_cast<const char*>(getString(kGlExtensions))) {
        std::istringstream words(extensions);
        std::string word;
        while (words >> word)
            context.extensions.insert(word);
    }
}

bool Offers(const ContextInfo& context, const char* providers) {
    std::istringstream words(providers);
    std::string word;
    while (words >> word) {
        int major = 0, minor = 0;
        if (std::sscanf(word.c_str(), "GL_VERSION_%d_%d", &major, &minor) == 2) {
            if (context.major > major || (context.major == major && context.minor >= minor))
                return true;
        } else if (context.extensions.count(word) != 0) {
            return true;
        }
    }
    return false;
}

bool ListHas(const char* list, const char* name) {
    if (list == nullptr)
        return false;
    std::istringstream words(list);
    std::string word;
    while (words >> word)
        if (word == name)
            return true;
    return false;
}

// The swap-control extension of GLX: EXT's per drawable, else MESA's. Mesa
// leaves the client-side ones out of the server-and-client list until a
// direct context exists, and they are all we need for direct rendering.
bool GlxExtension(const char* name) {
    Display* display = win32_x11::Connection();
    if (display == nullptr)
        return false;
    return ListHas(win32_glx::glXQueryExtensionsString(display, DefaultScreen(display)), name) ||
           ListHas(win32_glx::glXGetClientString(display, GLX_EXTENSIONS), name);
}

bool HasExtSwapControl() {
    static const bool has = GlxExtension("GLX_EXT_swap_control");
    return has;
}

bool HasMesaSwapControl() {
    static const bool has = GlxExtension("GLX_MESA_swap_control");
    return has;
}

template <class Function> Function GlxFunction(const char* name) {
    return reinterpret_cast<Function>(
        win32_glx::glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
}

} // namespace

namespace win32_backend {

NativeContext CreateContext(NativeWindow, int format) {
    Display* display = win32_x11::Connection();
    const win32_x11::PixelFormat* found = win32_x11::FindPixelFormat(format);
    if (display == nullptr || found == nullptr || !win32_glx::Load()) {
        win32_internal::ReportFailure(
            ERROR_INVALID_PIXEL_FORMAT,
            "wglCreateContext: no GLX configuration for the pixel format");
        return 0;
    }
    win32_x11::ErrorTrap trap(display);
    GLXContext glx =
        win32_glx::glXCreateNewContext(display, found->config, GLX_RGBA_TYPE, nullptr, True);
    if (trap.Failed() || glx == nullptr) {
        if (glx != nullptr)
            win32_glx::glXDestroyContext(display, glx);
        win32_internal::ReportFailure(ERROR_INVALID_PIXEL_FORMAT,
                                      "wglCreateContext: glXCreateNewContext failed" +
                                          trap.Description());
        return 0;
    }
    std::lock_guard<std::mutex> lock(gMutex);
    gContexts[glx] = ContextInfo{};
    return reinterpret_cast<NativeContext>(glx);
}

void DestroyContext(NativeContext context) {
    const auto glx = reinterpret_cast<GLXContext>(context);
    win32_glx::glXDestroyContext(win32_x11::Connection(), glx);
    std::lock_guard<std::mutex> lock(gMutex);
    gContexts.erase(glx);
}

bool MakeCurrent(NativeWindow window, NativeContext context) {
    Display* display = win32_x11::Connection();
    if (display == nullptr || !win32_glx::Load())
        return false;
    const auto glx = reinterpret_cast<GLXContext>(context);
    if (glx == nullptr) {
        win32_glx::glXMakeContextCurrent(display, None, None, nullptr);
        tCurrent = nullptr;
        return true;
    }
    const auto drawable = static_cast<GLXDrawable>(window);
    win32_x11::ErrorTrap trap(display);
    const bool made = win32_glx::glXMakeContextCurrent(display, drawable, drawable, glx);
    if (!made || trap.Failed()) {
        win32_internal::ReportFailure(ERROR_INVALID_HANDLE,
                                      "wglMakeCurrent: glXMakeContextCurrent failed" +
                                          trap.Description());
        return false;
    }
    tCurrent = glx;
    return true;
}

bool HasSwapControl() {
    return HasExtSwapControl() || HasMesaSwapControl();
}

bool SetSwapInterval(NativeWindow window, int interval) {
    if (HasMesaSwapControl()) {
        using Set = int (*)(unsigned);
        if (auto mesaSet = GlxFunction<Set>("glXSwapIntervalMESA"))
            if (mesaSet(static_cast<unsigned>(interval)) == 0)
                return true;
    }
    if (HasExtSwapControl()) {
        using Set = void (*)(Display*, GLXDrawable, int);
        if (auto extSet = GlxFunction<Set>("glXSwapIntervalEXT")) {
            win32_x11::ErrorTrap trap(win32_x11::Connection());
            extSet(win32_x11::Connection(), static_cast<GLXDrawable>(window), interval);
            if (!trap.Failed())
                return true;
        }
    }
    return false;
}

PROC GetProcAddress(const char* name) {
    // glXGetProcAddress answers for any name at all, so the context's own
    // version and extensions decide.
    const char* providers = win32_opengl32::Providers(name);
    if (providers == nullptr || tCurrent == nullptr)
        return nullptr;
    {
        std::lock_guard<std::mutex> lock(gMutex);
        const auto found = gContexts.find(tCurrent);
        if (found == gContexts.end())
            return nullptr;
        Describe(found->second);
        if (!Offers(found->second, providers))
            return nullptr;
    }
    return reinterpret_cast<PROC>(
        win32_glx::glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
}

} // namespace win32_backend
