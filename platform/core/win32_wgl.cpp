#include "win32_wgl.h"

#include "win32_backend.h"
#include "win32_error.h"
#include "win32_handles.h"
#include "win32_internal.h"

#include <cstring>
#include <mutex>
#include <thread>

namespace {

struct RenderingContext {
    win32_backend::NativeContext native = 0;
    int pixelFormat = 0;
    std::thread::id currentOn; // default id: current nowhere
};

std::mutex gMutex;
win32_internal::HandleTable<HGLRC, RenderingContext> gRenderingContexts(0x30000);

thread_local HGLRC tCurrentContext = nullptr;
thread_local HDC tCurrentDC = nullptr;

RenderingContext* Find(HGLRC hglrc) {
    return gRenderingContexts.Find(hglrc);
}

void ReleaseCurrent() {
    if (tCurrentContext == nullptr)
        return;
    if (RenderingContext* context = Find(tCurrentContext))
        context->currentOn = std::thread::id();
    win32_backend::MakeCurrent(0, 0);
    tCurrentContext = nullptr;
    tCurrentDC = nullptr;
}

win32_internal::WindowRecord* CurrentWindow() {
    if (tCurrentContext == nullptr)
        return nullptr;
    win32_internal::DeviceContext* dc = win32_internal::FindDC(tCurrentDC);
    return dc == nullptr ? nullptr : win32_internal::FindWindowRecord(dc->window);
}

// The swap interval is the window's, kept here: some drivers set it but
// cannot be asked for it.
BOOL SwapIntervalEXT(int interval) {
    win32_internal::WindowRecord* window = CurrentWindow();
    if (window == nullptr || window->native == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (interval < 0) {
        SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    if (!win32_backend::SetSwapInterval(window->native, interval)) {
        SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    window->swapInterval = interval;
    return TRUE;
}

int GetSwapIntervalEXT() {
    win32_internal::WindowRecord* window = CurrentWindow();
    if (window == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return window->swapInterval;
}

const char* GetExtensionsStringEXT() {
    return win32_backend::HasSwapControl() ? "WGL_EXT_extensions_string WGL_EXT_swap_control"
                                           : "WGL_EXT_extensions_string";
}

const char* GetExtensionsStringARB(HDC) {
    return win32_backend::HasSwapControl()
               ? "WGL_ARB_extensions_string WGL_EXT_extensions_string WGL_EXT_swap_control"
               : "WGL_ARB_extensions_string WGL_EXT_extensions_string";
}

template <class Function> PROC AsProc(Function function) {
    return reinterpret_cast<PROC>(reinterpret_cast<void (*)()>(function));
}

} // namespace

namespace win32_internal {

void ForgetDrawable(HDC hdc) {
    std::lock_guard<std::mutex> lock(gMutex);
    if (tCurrentDC == hdc)
        ReleaseCurrent();
}

} // namespace win32_internal

HGLRC wglCreateContext(HDC hdc) {
    int pixelFormat = 0;
    const win32_backend::NativeWindow surface = win32_internal::SurfaceOf(hdc, &pixelFormat);
    if (surface == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (pixelFormat == 0) {
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
        return nullptr;
    }
    const win32_backend::NativeContext native = win32_backend::CreateContext(surface, pixelFormat);
    if (native == 0) {
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(gMutex);
    const HGLRC handle = gRenderingContexts.Add();
    RenderingContext& context = *Find(handle);
    context.native = native;
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
    win32_backend::DestroyContext(context->native);
    gRenderingContexts.Remove(hglrc);
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
    // Already current here: nothing to ask of the surface, which may be gone.
    if (hglrc == tCurrentContext && hdc == tCurrentDC && Find(hglrc) != nullptr)
        return TRUE;
    RenderingContext* context = Find(hglrc);
    int pixelFormat = 0;
    const win32_backend::NativeWindow surface = win32_internal::SurfaceOf(hdc, &pixelFormat);
    if (context == nullptr || surface == 0) {
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
    if (!win32_backend::MakeCurrent(surface, context->native)) {
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
    if (Find(tCurrentContext) == nullptr)
        return nullptr;
    const bool swapControl = win32_backend::HasSwapControl();
    if (std::strcmp(lpszProc, "wglSwapIntervalEXT") == 0)
        return swapControl ? AsProc(&SwapIntervalEXT) : nullptr;
    if (std::strcmp(lpszProc, "wglGetSwapIntervalEXT") == 0)
        return swapControl ? AsProc(&GetSwapIntervalEXT) : nullptr;
    if (std::strcmp(lpszProc, "wglGetExtensionsStringEXT") == 0)
        return AsProc(&GetExtensionsStringEXT);
    if (std::strcmp(lpszProc, "wglGetExtensionsStringARB") == 0)
        return AsProc(&GetExtensionsStringARB);
    return win32_backend::GetProcAddress(lpszProc);
}
