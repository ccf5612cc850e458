#include "win32_x11.h"

#include <poll.h>

#include <cerrno>
#include <cstdlib>
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
int (*gPreviousErrorHandler)(Display*, XErrorEvent*) = nullptr;

int CountError(Display*, XErrorEvent*) {
    ++gErrorCount;
    return 0;
}

} // namespace

Display* OpenDisplay() {
    for (int attempt = 0;; ++attempt) {
        errno = 0;
        Display* display = XOpenDisplay(nullptr);
        if (display != nullptr)
            return display;
        const bool busy = errno == EAGAIN || errno == ECONNRESET || errno == EINTR;
        if (!busy || attempt == 40)
            return nullptr;
        poll(nullptr, 0, 25);
    }
}

Display* Connection() {
    if (!gTriedToOpen) {
        gTriedToOpen = true;
        gDisplay = OpenDisplay();
        if (gDisplay != nullptr)
            gPreviousErrorHandler = XSetErrorHandler(CountError);
    }
    return gDisplay;
}

const WindowConfig* WindowVisual() {
    if (gWindowConfigTried)
        return gWindowConfigFound ? &gWindowConfig : nullptr;
    gWindowConfigTried = true;
    Display* display = Connection();
    if (display == nullptr)
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
    GLXFBConfig* configs = glXChooseFBConfig(display, DefaultScreen(display), attributes, &count);
    if (configs == nullptr)
        return nullptr;
    // Prefer a plain 24-bit visual: a 32-bit one would be composited with
    // whatever alpha the program leaves behind.
    for (int pass = 0; pass < 2 && !gWindowConfigFound; ++pass) {
        for (int i = 0; i < count; ++i) {
            XVisualInfo* info = glXGetVisualFromFBConfig(display, configs[i]);
            if (info == nullptr)
                continue;
            int caveat = GLX_NONE;
            glXGetFBConfigAttrib(display, configs[i], GLX_CONFIG_CAVEAT, &caveat);
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
