// Internal: our stand-in for opengl32.dll. Like the real one it exports the
// OpenGL 1.0 and 1.1 functions and the core WGL functions, and nothing else:
// later entry points come only through wglGetProcAddress.
#pragma once

#include "platform/core/win32_types.h"

namespace win32_opengl32 {

// The export by that name, or null.
FARPROC Export(const char* name);
// The versions ("GL_VERSION_4_3") and extensions that provide an entry point
// after OpenGL 1.1, space-separated; null for a name we do not know.
const char* Providers(const char* name);
// libGL.so.1, loaded once for the life of the process.
void* LibGL();

} // namespace win32_opengl32
