#include "win32_wm.h"

#include "win32_x11.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <poll.h>

#include <chrono>
#include <vector>

namespace win32_wm {
namespace {

// A property of 32-bit items (Xlib hands them over as longs); empty if absent.
std::vector<long> Cardinals(Display* display, ::Window window, Atom name, Atom type) {
    std::vector<long> values;
    Atom actualType = None;
    int actualFormat = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    win32_x11::ErrorTrap trap(display);
    const int status = XGetWindowProperty(display, window, name, 0, 1024, False, type, &actualType,
                                          &actualFormat, &count, &after, &data);
    const bool failed = trap.Failed();
    if (status == Success && !failed && data != nullptr && actualType == type &&
        actualFormat == 32) {
        const long* items = reinterpret_cast<const long*>(data);
        values.assign(items, items + count);
    }
    if (data != nullptr)
        XFree(data);
    return values;
}

// An EWMH window manager names its check window on the root, and the window
// names itself: a stale property from a manager that is gone does not count.
bool ManagerRunning(Display* display) {
    const ::Window root = DefaultRootWindow(display);
    const std::vector<long> check =
        Cardinals(display, root, win32_x11::KnownAtoms().NET_SUPPORTING_WM_CHECK, XA_WINDOW);
    if (check.size() != 1)
        return false;
    const std::vector<long> self =
        Cardinals(display, static_cast<::Window>(check[0]),
                  win32_x11::KnownAtoms().NET_SUPPORTING_WM_CHECK, XA_WINDOW);
    return self.size() == 1 && self[0] == check[0];
}

bool AskFrameExtents(Display* display, RECT& extents) {
    if (!ManagerRunning(display))
        return false;
    const ::Window root = DefaultRootWindow(display);
    XSetWindowAttributes attributes{};
    attributes.event_mask = PropertyChangeMask;
    const ::Window probe = XCreateWindow(display, root, 0, 0, 100, 100, 0, CopyFromParent,
                                         InputOutput, CopyFromParent, CWEventMask, &attributes);
    XEvent request{};
    request.xclient.type = ClientMessage;
    request.xclient.window = probe;
    request.xclient.message_type = win32_x11::KnownAtoms().NET_REQUEST_FRAME_EXTENTS;
    request.xclient.format = 32;
    XSendEvent(display, root, False, SubstructureNotifyMask | SubstructureRedirectMask, &request);
    XFlush(display);
    // A manager that ignores the request must not hold the window up long.
    const Atom property = win32_x11::KnownAtoms().NET_FRAME_EXTENTS;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    std::vector<long> values;
    while (values.size() != 4 && std::chrono::steady_clock::now() < deadline) {
        XEvent event;
        if (XCheckTypedWindowEvent(display, probe, PropertyNotify, &event)) {
            if (event.xproperty.atom == property)
                values = Cardinals(display, probe, property, XA_CARDINAL);
            continue;
        }
        pollfd fd{ConnectionNumber(display), POLLIN, 0};
        poll(&fd, 1, 20);
    }
    if (values.size() != 4)
        values = Cardinals(display, probe, property, XA_CARDINAL);
    XDestroyWindow(display, probe);
    XFlush(display);
    if (values.size() != 4)
        return false;
    extents = RECT{static_cast<LONG>(values[0]), static_cast<LONG>(values[2]),
                   static_cast<LONG>(values[1]), static_cast<LONG>(values[3])};
    return true;
}

} // namespace

bool FrameExtents(RECT& extents) {
    static bool asked = false;
    static bool known = false;
    static RECT cached{};
    if (!asked) {
        asked = true;
        if (Display* display = win32_x11::Connection())
            known = AskFrameExtents(display, cached);
    }
    if (known)
        extents = cached;
    return known;
}

RECT WorkArea() {
    Display* display = win32_x11::Connection();
    const int screen = DefaultScreen(display);
    RECT area{0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen)};
    if (!ManagerRunning(display))
        return area;
    const ::Window root = DefaultRootWindow(display);
    const std::vector<long> areas =
        Cardinals(display, root, win32_x11::KnownAtoms().NET_WORKAREA, XA_CARDINAL);
    const std::vector<long> current =
        Cardinals(display, root, win32_x11::KnownAtoms().NET_CURRENT_DESKTOP, XA_CARDINAL);
    const std::size_t desktop = current.size() == 1 ? static_cast<std::size_t>(current[0]) : 0;
    if (areas.size() >= 4 * (desktop + 1) && areas[4 * desktop + 2] > 0 &&
        areas[4 * desktop + 3] > 0) {
        const long* a = &areas[4 * desktop];
        area = RECT{static_cast<LONG>(a[0]), static_cast<LONG>(a[1]),
                    static_cast<LONG>(a[0] + a[2]), static_cast<LONG>(a[1] + a[3])};
    }
    return area;
}

} // namespace win32_wm
