// Resources on Linux. What a resource script compiles into a Windows
// executable, the Linux executable registers here before it creates a window,
// so that LoadIcon finds it by name or by number as on Windows.
#pragma once

#include "win32_types.h"

#include <cstdint>

namespace win32_resource {

// One image of an icon: straight (not premultiplied) 0xAARRGGBB pixels, rows
// from top to bottom, the layout _NET_WM_ICON wants.
struct IconImage {
    int width;
    int height;
    const std::uint32_t* pixels;
};

// An icon group, named like "MAINICON" or numbered (name null, id set).
struct Icon {
    const char* name;
    WORD id;
    const IconImage* images;
    int count;
};

// The executable's icons; the table is static data and outlives every window.
// A later call replaces the table.
void RegisterIcons(const Icon* icons, int count);

// The icon behind a handle that LoadIcon returned for the executable, or null
// for a system icon and for anything else.
const Icon* FindIcon(HICON icon);

} // namespace win32_resource

#define ERROR_RESOURCE_NAME_NOT_FOUND 1814L
