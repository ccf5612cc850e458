// WGL over GLX. wglGetProcAddress answers only for what the current context
// offers, judged by its GL_VERSION and extension strings, as a Windows driver
// would; the swap-control extension comes from GLX's.
#pragma once

#include "win32_types.h"

HGLRC wglCreateContext(HDC hdc);
BOOL wglDeleteContext(HGLRC hglrc);
BOOL wglMakeCurrent(HDC hdc, HGLRC hglrc);
HGLRC wglGetCurrentContext();
HDC wglGetCurrentDC();
PROC wglGetProcAddress(LPCSTR lpszProc);
