#include "win32_x11.h"

#include "platform/core/win32_error.h"
#include "win32_glx.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace win32_x11 {
namespace {

Display* gDisplay = nullptr;
bool gTriedToOpen = false;
WindowConfig gWindowConfig{};
bool gWindowConfigTried = false;
bool gWindowConfigFound = false;

Atoms gAtoms{};

// X errors are counted, never fatal: Xlib's default handler ends the process.
// Inside an ErrorTrap the trap reports them; outside, they are reported here.
int gErrorCount = 0;
int gTrapDepth = 0;
std::string gFirstTrappedError;

std::string Describe(Display* display, const XErrorEvent& error) {
    char text[256] = "";
    XGetErrorText(display, error.error_code, text, sizeof text);
    char line[400];
    std::snprintf(line, sizeof line, "X error: %s (request %d.%d, resource 0x%lx)", text,
                  error.request_code, error.minor_code, error.resourceid);
    return line;
}

int CountError(Display* display, XErrorEvent* error) {
    ++gErrorCount;
    // No requests may be made from here: Describe only reads Xlib's tables.
    if (gTrapDepth > 0) {
        if (gFirstTrappedError.empty())
            gFirstTrappedError = Describe(display, *error);
    } else {
        // Asynchronous: the request that failed is long past, and the usual
        // cause is a window that another client destroyed meanwhile.
        win32_internal::ReportFailure(ERROR_INVALID_HANDLE, Describe(display, *error),
                                      win32_internal::Echo::Quiet);
    }
    return 0;
}

void InternAtoms(Display* display) {
    // One round trip for all of them, when the connection opens.
    const char* names[] = {"WM_PROTOCOLS",
                           "WM_DELETE_WINDOW",
                           "_NET_WM_PING",
                           "_NET_WM_NAME",
                           "UTF8_STRING",
                           "_NET_WM_PID",
                           "_NET_WM_ICON",
                           "_MOTIF_WM_HINTS",
                           "_NET_REQUEST_FRAME_EXTENTS",
                           "_NET_FRAME_EXTENTS",
                           "_NET_SUPPORTING_WM_CHECK",
                           "_NET_WORKAREA",
                           "_NET_CURRENT_DESKTOP",
                           "_NET_WM_WINDOW_TYPE",
                           "_NET_WM_WINDOW_TYPE_DIALOG"};
    constexpr int count = sizeof names / sizeof names[0];
    Atom atoms[count] = {};
    XInternAtoms(display, const_cast<char**>(names), count, False, atoms);
    Atom* fields[count] = {&gAtoms.WM_PROTOCOLS,
                           &gAtoms.WM_DELETE_WINDOW,
                           &gAtoms.NET_WM_PING,
                           &gAtoms.NET_WM_NAME,
                           &gAtoms.UTF8_STRING,
                           &gAtoms.NET_WM_PID,
                           &gAtoms.NET_WM_ICON,
                           &gAtoms.MOTIF_WM_HINTS,
                           &gAtoms.NET_REQUEST_FRAME_EXTENTS,
                           &gAtoms.NET_FRAME_EXTENTS,
                           &gAtoms.NET_SUPPORTING_WM_CHECK,
                           &gAtoms.NET_WORKAREA,
                           &gAtoms.NET_CURRENT_DESKTOP,
                           &gAtoms.NET_WM_WINDOW_TYPE,
                           &gAtoms.NET_WM_WINDOW_TYPE_DIALOG};
    for (int i = 0; i < count; ++i)
        *fields[i] = atoms[i];
}

// Xlib cannot go on after a broken connection and must not get the chance:
// any X call from here on (a destructor, an atexit handler) would only fail
// again. One line, and out, without unwinding.
int LostConnection(Display* display) {
    char line[512];
    const int length =
        std::snprintf(line, sizeof line, "%s: lost the connection to the X display %s\n",
                      ProgramClassName().c_str(), display ? DisplayString(display) : "");
    if (length > 0) {
        [[maybe_unused]] const ssize_t written =
            ::write(STDERR_FILENO, line, std::min<std::size_t>(length, sizeof line - 1));
    }
    _exit(1);
}

void InstallHandlers() {
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    XSetErrorHandler(CountError);
    XSetIOErrorHandler(LostConnection);
}

} // namespace

const std::string& ProgramInstanceName() {
    static const std::string name = [] {
        const char* shortName = program_invocation_short_name;
        return std::string(shortName != nullptr && *shortName != '\0' ? shortName : "program");
    }();
    return name;
}

const std::string& ProgramClassName() {
    static const std::string name = [] {
        std::string result = ProgramInstanceName();
        result[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(result[0])));
        return result;
    }();
    return name;
}

Display* OpenDisplay() {
    // A busy server refuses a connection now and then, and not always with
    // an errno that says so: try again for about a second before giving up.
    // Without DISPLAY there is nothing to try.
    const char* name = std::getenv("DISPLAY");
    const int attempts = name != nullptr && *name != '\0' ? 40 : 0;
    for (int attempt = 0;; ++attempt) {
        Display* display = XOpenDisplay(nullptr);
        if (display != nullptr) {
            InstallHandlers();
            return display;
        }
        if (attempt >= attempts)
            return nullptr;
        poll(nullptr, 0, 25);
    }
}

Display* Connection() {
    if (!gTriedToOpen) {
        gTriedToOpen = true;
        gDisplay = OpenDisplay();
        if (gDisplay == nullptr) {
            // Nothing of the program can work without one; say which and why.
            const char* name = std::getenv("DISPLAY");
            if (name == nullptr || *name == '\0')
                std::fprintf(stderr, "%s: cannot open the X display (DISPLAY is not set)\n",
                             ProgramClassName().c_str());
            else
                std::fprintf(stderr, "%s: cannot open the X display %s\n",
                             ProgramClassName().c_str(), name);
            std::fflush(stderr);
            _exit(1);
        }
        InternAtoms(gDisplay);
    }
    return gDisplay;
}

const Atoms& KnownAtoms() {
    Connection();
    return gAtoms;
}

const WindowConfig* WindowVisual() {
    if (gWindowConfigTried)
        return gWindowConfigFound ? &gWindowConfig : nullptr;
    gWindowConfigTried = true;
    Display* display = Connection();
    int errorBase = 0, eventBase = 0;
    // Without GLX (no library, or a server without the extension) windows
    // still open, on the default visual, and pixel formats are refused.
    if (display == nullptr || !win32_glx::Load() ||
        !win32_glx::glXQueryExtension(display, &errorBase, &eventBase))
        return nullptr;
    const int attributes[] = {GLX_X_RENDERABLE,
                              True,
                              GLX_DRAWABLE_TYPE,
                              GLX_WINDOW_BIT,
                              GLX_RENDER_TYPE,
                              GLX_RGBA_BIT,
                              GLX_X_VISUAL_TYPE,
                              GLX_TRUE_COLOR,
                              GLX_DOUBLEBUFFER,
                              True,
                              GLX_RED_SIZE,
                              8,
                              GLX_GREEN_SIZE,
                              8,
                              GLX_BLUE_SIZE,
                              8,
                              None};
    int count = 0;
    GLXFBConfig* configs =
        win32_glx::glXChooseFBConfig(display, DefaultScreen(display), attributes, &count);
    if (configs == nullptr)
        return nullptr;
    // Prefer a plain 24-bit visual: a 32-bit one would be composited with
    // whatever alpha the program leaves behind.
    for (int pass = 0; pass < 2 && !gWindowConfigFound; ++pass) {
        for (int i = 0; i < count; ++i) {
            XVisualInfo* info = win32_glx::glXGetVisualFromFBConfig(display, configs[i]);
            if (info == nullptr)
                continue;
            int caveat = GLX_NONE;
            win32_glx::glXGetFBConfigAttrib(display, configs[i], GLX_CONFIG_CAVEAT, &caveat);
            const bool wanted = pass == 1 || (info->depth == 24 && caveat == GLX_NONE);
            if (wanted) {
                gWindowConfig.config = configs[i];
                gWindowConfig.visual = info->visual;
                gWindowConfig.depth = info->depth;
                gWindowConfig.visualId = info->visualid;
                ErrorTrap trap(display);
                gWindowConfig.colormap = XCreateColormap(display, RootWindow(display, info->screen),
                                                         info->visual, AllocNone);
                if (trap.Failed()) {
                    // Windows then open on the default visual, as without GLX.
                    win32_internal::ReportFailure(ERROR_INVALID_PIXEL_FORMAT,
                                                  "XCreateColormap failed" + trap.Description());
                    XFree(info);
                    break;
                }
                gWindowConfigFound = true;
            }
            XFree(info);
            if (gWindowConfigFound)
                break;
        }
    }
    XFree(configs);
    return gWindowConfigFound ? &gWindowConfig : nullptr;
}

ErrorTrap::ErrorTrap(Display* display) : mDisplay(display), mSavedCount(gErrorCount) {
    // Errors of earlier requests are not this trap's.
    if (mDisplay != nullptr)
        XSync(mDisplay, False);
    mSavedCount = gErrorCount;
    if (gTrapDepth++ == 0)
        gFirstTrappedError.clear();
}

ErrorTrap::~ErrorTrap() {
    // Requests made inside may still fail after it: collect them first.
    if (mDisplay != nullptr)
        XSync(mDisplay, False);
    --gTrapDepth;
}

std::string ErrorTrap::Description() {
    Failed();
    return gFirstTrappedError.empty() ? std::string() : ": " + gFirstTrappedError;
}

bool ErrorTrap::Failed() {
    if (mDisplay != nullptr)
        XSync(mDisplay, False);
    return gErrorCount != mSavedCount;
}

} // namespace win32_x11
