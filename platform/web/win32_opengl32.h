// Internal: our opengl32.dll in the browser. It exports the OpenGL 1.0 and
// 1.1 functions and the core WGL functions, as the real one does: the GL
// emulation's where it has them, stand-ins that do nothing where it has not.
#pragma once

#include "platform/core/win32_types.h"

namespace win32_opengl32 {

// The export by that name, or null.
FARPROC Export(const char* name);
// Whether opengl32.dll itself exports this name (OpenGL 1.0 and 1.1).
bool Exports(const char* name);

} // namespace win32_opengl32
