// The WGL functions that create and select rendering contexts.
#pragma once

#include "opengl/unit_opengl_api_binding_version_011.h"
#include "opengl/unit_opengl_api_library_version_011.h"

// Return type, name and parameters of each entry point, in binding order.
#define OPENGL_API_WINDOWS_CORE_ENTRY_POINTS(X)                                                    \
    X(HGLRC, wglCreateContext, (HDC hdc))                                                          \
    X(BOOL, wglMakeCurrent, (HDC hdc, HGLRC hglrc))                                                \
    X(HGLRC, wglGetCurrentContext, ())                                                             \
    X(HDC, wglGetCurrentDC, ())                                                                    \
    X(BOOL, wglDeleteContext, (HGLRC hglrc))

namespace opengl_api {
OPENGL_API_WINDOWS_CORE_ENTRY_POINTS(OPENGL_API_DECLARE_WGL_ENTRY_POINT)
}

// Looked up by name in the library; needs no rendering context.
class TOpenGLAPIWindowsCore {
public:
    using Base = TOpenGLAPILibrary;

    TOpenGLAPIWindowsCore() = delete;

    static bool IsInitialized();
    static bool Initialize();
    // The binding table, in binding order.
    static TOpenGLAPIBinding::TEntryPoints EntryPoints();

private:
    static bool mAPIInitialized;
};
