// Internal: the pixel formats behind the indices, shared by GDI and WGL.
#pragma once

#include "platform/core/win32_gdi.h"

#include <X11/Xlib.h>
#include <GL/glx.h>

#include <vector>

namespace win32_internal {

struct PixelFormat {
    GLXFBConfig config;
    unsigned long visualId;
    PIXELFORMATDESCRIPTOR descriptor;
};

const std::vector<PixelFormat>& PixelFormats();
const PixelFormat* FindPixelFormat(int index);
// The X window behind a window's DC, 0 for any other; its pixel format too.
::Window DrawableOf(HDC hdc, int* pixelFormat);

} // namespace win32_internal
