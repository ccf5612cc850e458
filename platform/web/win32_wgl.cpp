// Pixel formats, contexts and the buffer swap over the browser's EGL, which
// makes WebGL contexts with the legacy GL emulation on the page's canvases.
#include "platform/core/win32_backend.h"
#include "platform/core/win32_error.h"
#include "platform/core/win32_gdi.h"
#include "win32_opengl32.h"
#include "win32_web.h"

#include <EGL/egl.h>
#include <emscripten.h>

namespace win32_backend {
namespace {

struct Format {
    int depth;
    int stencil;
};

// Both draw to an opaque canvas (as a window shows its pixels, not the page
// behind them), double buffered, 8 bits a colour channel and no alpha.
constexpr Format kFormats[] = {{0, 0}, {24, 8}};

EGLDisplay gDisplay = EGL_NO_DISPLAY;
EGLSurface gSurface = EGL_NO_SURFACE;
EGLContext gContext = EGL_NO_CONTEXT;
// The window (canvas) the context was made on.
NativeWindow gContextWindow = 0;

PIXELFORMATDESCRIPTOR Describe(const Format& format) {
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof(PIXELFORMATDESCRIPTOR);
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_SUPPORT_COMPOSITION |
                  PFD_DOUBLEBUFFER | PFD_SWAP_EXCHANGE;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cRedBits = pfd.cGreenBits = pfd.cBlueBits = 8;
    pfd.cColorBits = 24;
    pfd.cBlueShift = 0;
    pfd.cGreenShift = 8;
    pfd.cRedShift = 16;
    pfd.cDepthBits = static_cast<BYTE>(format.depth);
    pfd.cStencilBits = static_cast<BYTE>(format.stencil);
    pfd.iLayerType = PFD_MAIN_PLANE;
    return pfd;
}

bool Display() {
    if (gDisplay != EGL_NO_DISPLAY)
        return true;
    EGLDisplay display = eglGetDisplay(EGL_DEFAULT_DISPLAY);
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr))
        return false;
    gDisplay = display;
    return true;
}

} // namespace

const std::vector<PIXELFORMATDESCRIPTOR>& PixelFormats() {
    static const std::vector<PIXELFORMATDESCRIPTOR> descriptors = [] {
        std::vector<PIXELFORMATDESCRIPTOR> list;
        for (const Format& format : kFormats)
            list.push_back(Describe(format));
        return list;
    }();
    return descriptors;
}

bool WindowsTakePixelFormat(int format) {
    return format >= 1 && format <= static_cast<int>(std::size(kFormats));
}

NativeContext CreateContext(NativeWindow window, int format) {
    if (!WindowsTakePixelFormat(format)) {
        win32_internal::ReportFailure(ERROR_INVALID_PIXEL_FORMAT,
                                      "wglCreateContext: no such pixel format");
        return 0;
    }
    // The browser's EGL holds one context, on one canvas.
    if (gContext != EGL_NO_CONTEXT) {
        win32_internal::ReportFailure(ERROR_BUSY,
                                      "wglCreateContext: the page has a GL context already");
        return 0;
    }
    if (!web_use_canvas(static_cast<int>(window))) {
        win32_internal::ReportFailure(ERROR_INVALID_WINDOW_HANDLE,
                                      "wglCreateContext: the window has no canvas");
        return 0;
    }
    if (!Display()) {
        win32_internal::ReportFailure(ERROR_INVALID_PIXEL_FORMAT,
                                      "wglCreateContext: the browser offers no EGL display");
        return 0;
    }
    const Format& wanted = kFormats[format - 1];
    const EGLint attributes[] = {EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8,
                                 EGL_ALPHA_SIZE, 0, EGL_DEPTH_SIZE, wanted.depth, EGL_STENCIL_SIZE,
                                 wanted.stencil,
                                 // Pixel-exact: no multisampling.
                                 EGL_SAMPLE_BUFFERS, 0, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint count = 0;
    if (!eglChooseConfig(gDisplay, attributes, &config, 1, &count) || count < 1) {
        win32_internal::ReportFailure(ERROR_INVALID_PIXEL_FORMAT,
                                      "wglCreateContext: eglChooseConfig failed");
        return 0;
    }
    EGLSurface surface = eglCreateWindowSurface(gDisplay, config, 0, nullptr);
    // Client version 2 is WebGL 1, under which the GL 1.x emulation runs.
    const EGLint contextAttributes[] = {EGL_CONTEXT_CLIENT_VERSION, 2, EGL_NONE};
    EGLContext context = eglCreateContext(gDisplay, config, EGL_NO_CONTEXT, contextAttributes);
    if (surface == EGL_NO_SURFACE || context == EGL_NO_CONTEXT) {
        win32_internal::ReportFailure(ERROR_INVALID_PIXEL_FORMAT,
                                      "wglCreateContext: the browser offers no WebGL");
        return 0;
    }
    gSurface = surface;
    gContext = context;
    gContextWindow = window;
    return reinterpret_cast<NativeContext>(context);
}

void DestroyContext(NativeContext context) {
    if (context == 0 || reinterpret_cast<EGLContext>(context) != gContext)
        return;
    eglMakeCurrent(gDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(gDisplay, gContext);
    gContext = EGL_NO_CONTEXT;
    gSurface = EGL_NO_SURFACE;
    gContextWindow = 0;
}

bool MakeCurrent(NativeWindow window, NativeContext context) {
    if (context == 0) {
        if (gDisplay != EGL_NO_DISPLAY)
            eglMakeCurrent(gDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        return true;
    }
    // A WebGL context draws on its own canvas only.
    if (reinterpret_cast<EGLContext>(context) != gContext || window != gContextWindow) {
        win32_internal::ReportFailure(ERROR_INVALID_HANDLE,
                                      "wglMakeCurrent: the context belongs to another canvas");
        return false;
    }
    if (!eglMakeCurrent(gDisplay, gSurface, gSurface, gContext)) {
        win32_internal::ReportFailure(ERROR_INVALID_HANDLE,
                                      "wglMakeCurrent: eglMakeCurrent failed");
        return false;
    }
    return true;
}

bool SwapBuffers(NativeWindow window) {
    if (gContext == EGL_NO_CONTEXT || window != gContextWindow) {
        win32_internal::ReportFailure(ERROR_INVALID_HANDLE,
                                      "SwapBuffers: no context on the window");
        return false;
    }
    eglSwapBuffers(gDisplay, gSurface);
    // The browser shows a canvas's frame once the program gives it the
    // thread back: this is that moment, so that every frame is seen and the
    // page's events come in even when the loop has no time to wait.
    emscripten_sleep(0);
    return true;
}

bool HasSwapControl() {
    return true;
}

bool SetSwapInterval(NativeWindow, int interval) {
    // The browser always shows frames in step with the display and never
    // blocks a swap: both intervals are accepted, neither changes anything.
    return interval == 0 || interval == 1;
}

PROC GetProcAddress(const char* name) {
    // Names opengl32 exports itself are not the context's to give.
    if (gContext == EGL_NO_CONTEXT || eglGetCurrentContext() != gContext ||
        win32_opengl32::Exports(name))
        return nullptr;
    return reinterpret_cast<PROC>(eglGetProcAddress(name));
}

} // namespace win32_backend
