#include "win32_x11.h"

#include "win32_glx.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

namespace win32_x11 {
namespace {

Display* gDisplay = nullptr;
bool gTriedToOpen = false;
WindowConfig gWindowConfig{};
bool gWindowConfigTried = false;
bool gWindowConfigFound = false;

// X errors are counted, never fatal: Xlib's default handler ends the process.
int gErrorCount = 0;

int CountError(Display*, XErrorEvent*) {
    ++gErrorCount;
    return 0;
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
    }
    return gDisplay;
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
                gWindowConfig.colormap = XCreateColormap(display, RootWindow(display, info->screen),
                                                         info->visual, AllocNone);
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

Atom InternAtom(const char* name) {
    static std::map<std::string, Atom> atoms;
    const auto found = atoms.find(name);
    if (found != atoms.end())
        return found->second;
    Display* display = Connection();
    if (display == nullptr)
        return None;
    const Atom atom = XInternAtom(display, name, False);
    atoms.emplace(name, atom);
    return atom;
}

ErrorTrap::ErrorTrap(Display* display) : mDisplay(display), mSavedCount(gErrorCount) {
    if (mDisplay != nullptr)
        XSync(mDisplay, False);
    mSavedCount = gErrorCount;
}

ErrorTrap::~ErrorTrap() = default;

bool ErrorTrap::Failed() {
    if (mDisplay != nullptr)
        XSync(mDisplay, False);
    return gErrorCount != mSavedCount;
}

} // namespace win32_x11
