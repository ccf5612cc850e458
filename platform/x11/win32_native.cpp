// Native windows and the screen, over Xlib.
#include "platform/core/win32_backend.h"
#include "platform/core/win32_error.h"
#include "win32_events.h"
#include "win32_identity.h"
#include "win32_wm.h"
#include "win32_x11.h"

#include <X11/Xutil.h>

#include <algorithm>

namespace win32_backend {
namespace {

::Window X(NativeWindow window) {
    return static_cast<::Window>(window);
}

// Windows without a caption get no frame from the window manager either.
void Undecorated(Display* display, ::Window xwindow) {
    const long hints[5] = {2 /* decorations */, 0, 0, 0, 0};
    const Atom motif = win32_x11::KnownAtoms().MOTIF_WM_HINTS;
    XChangeProperty(display, xwindow, motif, motif, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(hints), 5);
}

} // namespace

NativeWindow CreateNativeWindow(const NativeWindowParams& params) {
    Display* display = win32_x11::Connection();
    // Without GLX the window still opens, on the default visual, and only
    // its pixel format is refused later, as on Windows.
    const win32_x11::WindowConfig* config = win32_x11::WindowVisual();
    XSetWindowAttributes attributes{};
    unsigned long mask = CWBorderPixel | CWBackPixmap | CWBitGravity | CWEventMask;
    if (config != nullptr) {
        attributes.colormap = config->colormap;
        mask |= CWColormap;
    }
    attributes.border_pixel = 0;
    attributes.background_pixmap = None;
    attributes.bit_gravity = NorthWestGravity;
    attributes.event_mask = ExposureMask | StructureNotifyMask | ButtonPressMask |
                            ButtonReleaseMask | PointerMotionMask;
    const ::Window xparent = params.parent != 0 ? X(params.parent) : DefaultRootWindow(display);
    win32_x11::ErrorTrap trap(display);
    const ::Window xwindow = XCreateWindow(
        display, xparent, params.x, params.y, static_cast<unsigned>(std::max(1, params.width)),
        static_cast<unsigned>(std::max(1, params.height)), 0,
        config != nullptr ? config->depth : CopyFromParent, InputOutput,
        config != nullptr ? config->visual : CopyFromParent, mask, &attributes);
    if (trap.Failed() || xwindow == 0) {
        win32_internal::ReportFailure(ERROR_NOT_ENOUGH_MEMORY,
                                      "XCreateWindow failed" + trap.Description());
        return 0;
    }
    if (params.parent == 0) {
        win32_identity::Describe(xwindow, params.icon);
        if (!params.decorated)
            Undecorated(display, xwindow);
    }
    return static_cast<NativeWindow>(xwindow);
}

void DestroyNativeWindow(NativeWindow window) {
    Display* display = win32_x11::Connection();
    win32_events::ForgetWindow(X(window));
    XDestroyWindow(display, X(window));
    XFlush(display);
}

void PlaceNativeWindow(NativeWindow window, bool topLevel, int x, int y, int width, int height) {
    Display* display = win32_x11::Connection();
    win32_events::NoteOwnConfigure(X(window), NextRequest(display));
    // X has no empty windows; the core keeps the true size.
    XMoveResizeWindow(display, X(window), x, y, static_cast<unsigned>(std::max(1, width)),
                      static_cast<unsigned>(std::max(1, height)));
    if (topLevel) {
        XSizeHints hints{};
        // Static gravity: the position is the client area's own, and the
        // window manager puts its frame around it.
        hints.flags = USPosition | USSize | PWinGravity;
        hints.win_gravity = StaticGravity;
        hints.x = x;
        hints.y = y;
        hints.width = width;
        hints.height = height;
        XSetWMNormalHints(display, X(window), &hints);
    }
    XFlush(display);
}

void ShowNativeWindow(NativeWindow window, bool show) {
    Display* display = win32_x11::Connection();
    if (show)
        XMapWindow(display, X(window));
    else
        XUnmapWindow(display, X(window));
    XFlush(display);
}

void SetNativeWindowTitle(NativeWindow window, const std::string& title) {
    Display* display = win32_x11::Connection();
    const win32_x11::Atoms& atoms = win32_x11::KnownAtoms();
    XStoreName(display, X(window), title.c_str());
    XChangeProperty(display, X(window), atoms.NET_WM_NAME, atoms.UTF8_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title.data()),
                    static_cast<int>(title.size()));
    XFlush(display);
}

POINT NativeClientOrigin(NativeWindow window) {
    Display* display = win32_x11::Connection();
    int x = 0, y = 0;
    ::Window child = 0;
    XTranslateCoordinates(display, X(window), DefaultRootWindow(display), 0, 0, &x, &y, &child);
    return POINT{x, y};
}

bool NativeWindowExists(NativeWindow window) {
    Display* display = win32_x11::Connection();
    win32_x11::ErrorTrap trap(display);
    XWindowAttributes attributes;
    const Status got = XGetWindowAttributes(display, X(window), &attributes);
    return !trap.Failed() && got != 0;
}

SIZE ScreenSize() {
    Display* display = win32_x11::Connection();
    const int screen = DefaultScreen(display);
    return SIZE{DisplayWidth(display, screen), DisplayHeight(display, screen)};
}

RECT WorkArea() {
    return win32_wm::WorkArea();
}

bool FrameExtents(RECT& extents) {
    return win32_wm::FrameExtents(extents);
}

bool CursorPosition(POINT& point) {
    Display* display = win32_x11::Connection();
    ::Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned mask = 0;
    XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &x, &y,
                  &mask);
    point = POINT{rootX, rootY};
    return true;
}

} // namespace win32_backend
