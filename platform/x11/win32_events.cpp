#include "win32_events.h"

#include "platform/core/win32_backend.h"
#include "platform/core/win32_input.h"
#include "platform/core/win32_window.h"
#include "win32_identity.h"
#include "win32_x11.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <map>

namespace win32_events {
namespace {

// The serial of our last move or resize of each window.
std::map<::Window, unsigned long> gConfigureSerials;

// A posting thread wakes a wait in poll.
struct WakePipe {
    int read = -1;
    int write = -1;
    WakePipe() {
        int fds[2];
        if (pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0) {
            read = fds[0];
            write = fds[1];
        }
    }
};

const WakePipe& Pipe() {
    static const WakePipe pipe;
    return pipe;
}

void DrainWake() {
    char buffer[64];
    while (Pipe().read >= 0 && ::read(Pipe().read, buffer, sizeof buffer) > 0) {
    }
}

WPARAM KeyState(unsigned state) {
    WPARAM keys = 0;
    if (state & Button1Mask)
        keys |= MK_LBUTTON;
    if (state & Button2Mask)
        keys |= MK_MBUTTON;
    if (state & Button3Mask)
        keys |= MK_RBUTTON;
    if (state & ShiftMask)
        keys |= MK_SHIFT;
    if (state & ControlMask)
        keys |= MK_CONTROL;
    return keys;
}

void TranslateButton(HWND hwnd, const XButtonEvent& event, bool press) {
    const POINT screen{event.x_root, event.y_root};
    const DWORD time = static_cast<DWORD>(event.time);
    const unsigned button = event.button;
    if (button >= 4 && button <= 7) {
        // X reports each wheel notch as a press of buttons 4 to 7.
        if (press)
            win32_input::WheelTurned(hwnd, button <= 5,
                                     (button == 4 || button == 7) ? WHEEL_DELTA : -WHEEL_DELTA,
                                     KeyState(event.state), screen, time);
        return;
    }
    win32_input::Button which;
    switch (button) {
    case Button1:
        which = win32_input::Button::Left;
        break;
    case Button2:
        which = win32_input::Button::Middle;
        break;
    case Button3:
        which = win32_input::Button::Right;
        break;
    default:
        return;
    }
    // X gives the state before the event; the core makes it the state after.
    win32_input::ButtonChanged(hwnd, which, press, KeyState(event.state), event.x, event.y, screen,
                               time);
}

void Translate(const XEvent& event) {
    const ::Window xwindow =
        event.type == DestroyNotify ? event.xdestroywindow.window : event.xany.window;
    const HWND hwnd = win32_input::WindowOf(xwindow);
    if (hwnd == nullptr)
        return;
    // Any client may send any event. Input and geometry are believed only
    // from the server: another program does not play for the user, nor
    // size our windows (the ICCCM gives sent configure events a position
    // only, and we keep none from them).
    const bool sent = event.xany.send_event != False;
    switch (event.type) {
    case Expose: {
        const XExposeEvent& expose = event.xexpose;
        win32_input::Exposed(
            hwnd, RECT{expose.x, expose.y, expose.x + expose.width, expose.y + expose.height});
        break;
    }
    case ConfigureNotify: {
        // About this window itself, from the server; not about another one
        // (as a parent hears of its children).
        if (sent || event.xconfigure.window != xwindow)
            break;
        // Our own requests already updated the record; only what happened
        // after the last of them counts as a change from outside.
        const auto own = gConfigureSerials.find(xwindow);
        if (own != gConfigureSerials.end() && event.xconfigure.serial < own->second)
            break;
        win32_input::Resized(hwnd, event.xconfigure.width, event.xconfigure.height);
        break;
    }
    case ButtonPress:
    case ButtonRelease:
        if (!sent)
            TranslateButton(hwnd, event.xbutton, event.type == ButtonPress);
        break;
    case MotionNotify:
        if (!sent)
            win32_input::PointerMoved(hwnd, KeyState(event.xmotion.state), event.xmotion.x,
                                      event.xmotion.y,
                                      POINT{event.xmotion.x_root, event.xmotion.y_root},
                                      static_cast<DWORD>(event.xmotion.time));
        break;
    case DestroyNotify:
        // A sent one may be a lie: the server says whether the window is gone.
        if (!sent || !win32_backend::NativeWindowExists(xwindow))
            win32_input::NativeWindowDestroyed(hwnd);
        break;
    case ClientMessage: {
        if (win32_identity::AnswerPing(event.xclient))
            break;
        const win32_x11::Atoms& atoms = win32_x11::KnownAtoms();
        if (event.xclient.message_type == atoms.WM_PROTOCOLS && event.xclient.format == 32 &&
            static_cast<Atom>(event.xclient.data.l[0]) == atoms.WM_DELETE_WINDOW)
            win32_input::CloseRequested(hwnd);
        break;
    }
    default:
        break;
    }
}

} // namespace

void WaitForEvents(int extraFd, int timeoutMilliseconds) {
    Display* display = win32_x11::Connection();
    pollfd fds[3];
    int count = 0;
    if (display != nullptr) {
        XFlush(display);
        if (XPending(display) > 0)
            return;
        fds[count++] = pollfd{ConnectionNumber(display), POLLIN, 0};
    }
    if (Pipe().read >= 0)
        fds[count++] = pollfd{Pipe().read, POLLIN, 0};
    if (extraFd >= 0)
        fds[count++] = pollfd{extraFd, POLLIN, 0};
    if (count == 0)
        return;
    while (poll(fds, count, timeoutMilliseconds) < 0 && errno == EINTR) {
    }
}

void NoteOwnConfigure(::Window xwindow, unsigned long nextSerial) {
    gConfigureSerials[xwindow] = nextSerial;
}

void ForgetWindow(::Window xwindow) {
    gConfigureSerials.erase(xwindow);
}

} // namespace win32_events

namespace win32_backend {

void PumpEvents() {
    win32_events::DrainWake();
    Display* display = win32_x11::Connection();
    if (display == nullptr)
        return;
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        win32_events::Translate(event);
    }
}

void WaitForEvents(int timeoutMilliseconds) {
    win32_events::WaitForEvents(-1, timeoutMilliseconds);
}

void Wake() {
    if (win32_events::Pipe().write < 0)
        return;
    const char byte = 0;
    [[maybe_unused]] const ssize_t written = ::write(win32_events::Pipe().write, &byte, 1);
}

} // namespace win32_backend
