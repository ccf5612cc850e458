// Internal: the GLX framebuffer configurations behind the pixel-format
// indices, shared by the backend's surfaces and contexts.
#pragma once

#include "platform/core/win32_gdi.h"

#include <X11/Xlib.h>
#include <GL/glx.h>

namespace win32_x11 {

struct PixelFormat {
    GLXFBConfig config;
    unsigned long visualId;
    PIXELFORMATDESCRIPTOR descriptor;
};

// Null for an index that is no format.
const PixelFormat* FindPixelFormat(int index);

} // namespace win32_x11
