// Internal: the process's X display connection and the GLX configuration
// that every window is created with. Never included above platform/: Xlib's macros would leak.
#pragma once

#include <X11/Xlib.h>
#include <GL/glx.h>

#include <string>

namespace win32_x11 {

// The one owner of the program's X connection. Opened on first use from
// $DISPLAY; without a display the program says so and ends with status 1.
// A connection lost later ends it with status 1 as well, after one line on
// standard error.
Display* Connection();
// XOpenDisplay, retried for a moment while the server is too busy to accept
// (a loaded X server refuses with EAGAIN now and then); null on failure.
// Every connection gets the same error handlers.
Display* OpenDisplay();

// The program's names as window managers and messages know them, derived
// as GTK does: the instance is the executable's short name ("veltrane"),
// the class the same with a capital first letter ("Veltrane").
const std::string& ProgramInstanceName();
const std::string& ProgramClassName();

// Double-buffered RGBA, 8 bits a channel: the visual of every window, so that
// a pixel format chosen later only has to match it. Null without GLX or
// without such a visual.
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
