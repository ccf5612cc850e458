// Internal: the process's X display connection and the GLX configuration
// that every window is created with. Never included above platform/: Xlib's macros would leak.
#pragma once

#include <X11/Xlib.h>
#include <GL/glx.h>

namespace win32_x11 {

// Opened on first use from $DISPLAY; null when there is no display.
Display* Connection();
// XOpenDisplay, retried for a moment while the server is too busy to accept
// (a loaded X server refuses with EAGAIN now and then).
Display* OpenDisplay();

// Double-buffered RGBA, 8 bits a channel: the visual of every window, so that
// a pixel format chosen later only has to match it.
struct WindowConfig {
    GLXFBConfig config;
    Visual* visual;
    int depth;
    VisualID visualId;
    Colormap colormap;
};
const WindowConfig* WindowVisual();

Atom InternAtom(const char* name);

// Collects X errors raised while it lives instead of letting Xlib end the
// process; the requests are synced before the verdict.
class ErrorTrap {
public:
    explicit ErrorTrap(Display* display);
    ~ErrorTrap();
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;
    bool Failed(); // syncs, then tells whether any request failed
private:
    Display* mDisplay;
    int mSavedCount;
};

} // namespace win32_x11
