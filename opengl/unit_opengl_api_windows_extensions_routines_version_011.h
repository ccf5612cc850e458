// wglGetProcAddress, and the swap-control extension found through it.
#pragma once

#include "opengl/unit_opengl_api_110_routines_version_011.h"

// Looked up by name in the library.
#define OPENGL_API_WINDOWS_LOOKUP_ENTRY_POINTS(X) X(PROC, wglGetProcAddress, (LPCSTR lpszProc))

// Looked up through wglGetProcAddress, in binding order.
#define OPENGL_API_WINDOWS_EXTENSIONS_ENTRY_POINTS(X)                                              \
    X(BOOL, wglSwapIntervalEXT, (int interval))                                                    \
    X(int, wglGetSwapIntervalEXT, ())

namespace opengl_api {
OPENGL_API_WINDOWS_LOOKUP_ENTRY_POINTS(OPENGL_API_DECLARE_WGL_ENTRY_POINT)
OPENGL_API_WINDOWS_EXTENSIONS_ENTRY_POINTS(OPENGL_API_DECLARE_WGL_ENTRY_POINT)
} // namespace opengl_api

// Succeeds only with a rendering context current, since the extension functions
// exist only for one; every GL step from 1.2 up builds on it.
class TOpenGLAPIWindowsExtensions {
public:
    using Base = TOpenGLAPIVersion110;

    TOpenGLAPIWindowsExtensions() = delete;

    static bool IsInitialized();
    static bool Initialize();
    // The binding table: wglGetProcAddress, then the extension functions.
    static TOpenGLAPIBinding::TEntryPoints EntryPoints();

private:
    static bool mAPIInitialized;
};
