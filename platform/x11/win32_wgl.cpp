#include "platform/core/win32_wgl.h"

#include "win32_gdi_internal.h"
#include "platform/core/win32_internal.h"
#include "win32_module.h"
#include "win32_opengl32.h"
#include "win32_glx.h"
#include "win32_x11.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <thread>

#ifndef GLX_SWAP_INTERVAL_EXT
#define GLX_SWAP_INTERVAL_EXT 0x20F1
#endif

namespace {

struct RenderingContext {
    GLXContext glx = nullptr;
    int pixelFormat = 0;
    std::thread::id currentOn; // default id: current nowhere
    // What the driver offers, read the first time a name is asked for.
    bool described = false;
    int major = 0;
    int minor = 0;
    std::set<std::string> extensions;
};

std::mutex gMutex;
std::map<HGLRC, RenderingContext> gRenderingContexts;
std::uintptr_t gNextContext = 0x30000;

thread_local HGLRC tCurrentContext = nullptr;
thread_local HDC tCurrentDC = nullptr;

using GlGetString = const unsigned char* (*)(unsigned);
constexpr unsigned kGlVersion = 0x1F02;
constexpr unsigned kGlExtensions = 0x1F03;

void Describe(RenderingContext& context) {
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

bool Offers(const RenderingContext& context, const char* providers) {
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

::Window CurrentDrawable() {
    if (tCurrentContext == nullptr)
        return 0;
    return win32_internal::DrawableOf(tCurrentDC, nullptr);
}

// The interval each drawable was given. Mesa's software path accepts EXT's
// setter but crashes in its query, and refuses MESA's pair, so the value is
// kept here, as Wine keeps it too. A new drawable starts at 1, as GLX's do.
std::map<::Window, int> gSwapIntervals;

BOOL SwapIntervalEXT(int interval) {
    const ::Window drawable = CurrentDrawable();
    if (drawable == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (interval < 0) {
        SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    bool set = false;
    if (HasMesaSwapControl()) {
        using Set = int (*)(unsigned);
        if (auto mesaSet = GlxFunction<Set>("glXSwapIntervalMESA"))
            set = mesaSet(static_cast<unsigned>(interval)) == 0;
    }
    if (!set && HasExtSwapControl()) {
        using Set = void (*)(Display*, GLXDrawable, int);
        if (auto extSet = GlxFunction<Set>("glXSwapIntervalEXT")) {
            win32_x11::ErrorTrap trap(win32_x11::Connection());
            extSet(win32_x11::Connection(), drawable, interval);
            set = !trap.Failed();
        }
    }
    if (!set) {
        SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    gSwapIntervals[drawable] = interval;
    return TRUE;
}

int GetSwapIntervalEXT() {
    const ::Window drawable = CurrentDrawable();
    if (drawable == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    const auto found = gSwapIntervals.find(drawable);
    return found == gSwapIntervals.end() ? 1 : found->second;
}

const char* GetExtensionsStringEXT() {
    return HasExtSwapControl() || HasMesaSwapControl()
               ? "WGL_EXT_extensions_string WGL_EXT_swap_control"
               : "WGL_EXT_extensions_string";
}

const char* GetExtensionsStringARB(HDC) {
    return HasExtSwapControl() || HasMesaSwapControl()
               ? "WGL_ARB_extensions_string WGL_EXT_extensions_string WGL_EXT_swap_control"
               : "WGL_ARB_extensions_string WGL_EXT_extensions_string";
}

template <class Function> PROC AsProc(Function function) {
    return reinterpret_cast<PROC>(reinterpret_cast<void (*)()>(function));
}

RenderingContext* Find(HGLRC hglrc) {
    const auto found = gRenderingContexts.find(hglrc);
    return found == gRenderingContexts.end() ? nullptr : &found->second;
}

void ReleaseCurrent() {
    if (tCurrentContext == nullptr)
        return;
    if (RenderingContext* context = Find(tCurrentContext))
        context->currentOn = std::thread::id();
    win32_glx::glXMakeContextCurrent(win32_x11::Connection(), None, None, nullptr);
    tCurrentContext = nullptr;
    tCurrentDC = nullptr;
}

} // namespace

namespace win32_internal {

void ForgetDrawable(HDC hdc) {
    std::lock_guard<std::mutex> lock(gMutex);
    if (const ::Window drawable = DrawableOf(hdc, nullptr))
        gSwapIntervals.erase(drawable);
    if (tCurrentDC == hdc)
        ReleaseCurrent();
}

} // namespace win32_internal

HGLRC wglCreateContext(HDC hdc) {
    int pixelFormat = 0;
    if (win32_internal::DrawableOf(hdc, &pixelFormat) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    const win32_internal::PixelFormat* format = win32_internal::FindPixelFormat(pixelFormat);
    if (format == nullptr) {
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
        return nullptr;
    }
    Display* display = win32_x11::Connection();
    win32_x11::ErrorTrap trap(display);
    GLXContext glx =
        win32_glx::glXCreateNewContext(display, format->config, GLX_RGBA_TYPE, nullptr, True);
    if (trap.Failed() || glx == nullptr) {
        if (glx != nullptr)
            win32_glx::glXDestroyContext(display, glx);
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(gMutex);
    const HGLRC handle = reinterpret_cast<HGLRC>(gNextContext);
    gNextContext += 4;
    RenderingContext& context = gRenderingContexts[handle];
    context.glx = glx;
    context.pixelFormat = pixelFormat;
    return handle;
}

BOOL wglDeleteContext(HGLRC hglrc) {
    std::lock_guard<std::mutex> lock(gMutex);
    RenderingContext* context = Find(hglrc);
    if (context == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (context->currentOn != std::thread::id() &&
        context->currentOn != std::this_thread::get_id()) {
        SetLastError(ERROR_BUSY);
        return FALSE;
    }
    // Deleting the thread's current context makes it not current first.
    if (tCurrentContext == hglrc)
        ReleaseCurrent();
    win32_glx::glXDestroyContext(win32_x11::Connection(), context->glx);
    gRenderingContexts.erase(hglrc);
    return TRUE;
}

BOOL wglMakeCurrent(HDC hdc, HGLRC hglrc) {
    std::lock_guard<std::mutex> lock(gMutex);
    if (hglrc == nullptr) {
        if (tCurrentContext == nullptr && win32_internal::FindDC(hdc) == nullptr) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        ReleaseCurrent();
        return TRUE;
    }
    // Already current here: nothing to ask of the drawable, which may be gone.
    if (hglrc == tCurrentContext && hdc == tCurrentDC && Find(hglrc) != nullptr)
        return TRUE;
    RenderingContext* context = Find(hglrc);
    int pixelFormat = 0;
    const ::Window drawable = win32_internal::DrawableOf(hdc, &pixelFormat);
    if (context == nullptr || drawable == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (pixelFormat != context->pixelFormat) {
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
        return FALSE;
    }
    if (context->currentOn != std::thread::id() &&
        context->currentOn != std::this_thread::get_id()) {
        SetLastError(ERROR_BUSY);
        return FALSE;
    }
    Display* display = win32_x11::Connection();
    win32_x11::ErrorTrap trap(display);
    const bool made = win32_glx::glXMakeContextCurrent(display, drawable, drawable, context->glx);
    if (!made || trap.Failed()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (tCurrentContext != nullptr && tCurrentContext != hglrc)
        if (RenderingContext* previous = Find(tCurrentContext))
            previous->currentOn = std::thread::id();
    context->currentOn = std::this_thread::get_id();
    tCurrentContext = hglrc;
    tCurrentDC = hdc;
    return TRUE;
}

HGLRC wglGetCurrentContext() {
    return tCurrentContext;
}

HDC wglGetCurrentDC() {
    return tCurrentDC;
}

PROC wglGetProcAddress(LPCSTR lpszProc) {
    if (lpszProc == nullptr)
        return nullptr;
    std::lock_guard<std::mutex> lock(gMutex);
    RenderingContext* context = Find(tCurrentContext);
    if (context == nullptr)
        return nullptr;
    const bool swapControl = HasExtSwapControl() || HasMesaSwapControl();
    if (std::strcmp(lpszProc, "wglSwapIntervalEXT") == 0)
        return swapControl ? AsProc(&SwapIntervalEXT) : nullptr;
    if (std::strcmp(lpszProc, "wglGetSwapIntervalEXT") == 0)
        return swapControl ? AsProc(&GetSwapIntervalEXT) : nullptr;
    if (std::strcmp(lpszProc, "wglGetExtensionsStringEXT") == 0)
        return AsProc(&GetExtensionsStringEXT);
    if (std::strcmp(lpszProc, "wglGetExtensionsStringARB") == 0)
        return AsProc(&GetExtensionsStringARB);
    // glXGetProcAddress answers for any name at all, so the context's own
    // version and extensions decide.
    const char* providers = win32_opengl32::Providers(lpszProc);
    if (providers == nullptr)
        return nullptr;
    Describe(*context);
    if (!Offers(*context, providers))
        return nullptr;
    return reinterpret_cast<PROC>(
        win32_glx::glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(lpszProc)));
}
