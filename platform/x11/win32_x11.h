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

// The atoms the program uses, interned together when the connection opens.
struct Atoms {
    Atom WM_PROTOCOLS;
    Atom WM_DELETE_WINDOW;
    Atom NET_WM_PING;
    Atom NET_WM_NAME;
    Atom UTF8_STRING;
    Atom NET_WM_PID;
    Atom NET_WM_ICON;
    Atom MOTIF_WM_HINTS;
    Atom NET_REQUEST_FRAME_EXTENTS;
    Atom NET_FRAME_EXTENTS;
    Atom NET_SUPPORTING_WM_CHECK;
    Atom NET_WORKAREA;
    Atom NET_CURRENT_DESKTOP;
    Atom NET_WM_WINDOW_TYPE;
    Atom NET_WM_WINDOW_TYPE_DIALOG;
};
const Atoms& KnownAtoms();

// Collects X errors raised while it lives, for its owner to report, instead
// of letting Xlib end the process; the requests are synced before the
// verdict. Errors outside any trap are reported as they come.
class ErrorTrap {
public:
    explicit ErrorTrap(Display* display);
    ~ErrorTrap();
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;
    bool Failed(); // syncs, then tells whether any request failed
    // ": " and the first error in words, or empty if none.
    std::string Description();

private:
    Display* mDisplay;
    int mSavedCount;
};

} // namespace win32_x11
