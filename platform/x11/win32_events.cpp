#include "win32_events.h"

#include "win32_identity.h"
#include "platform/core/win32_internal.h"
#include "platform/core/win32_message.h"
#include "win32_x11.h"

#include <poll.h>

#include <cerrno>
#include <cstdlib>

namespace win32_events {
namespace {

using win32_internal::WindowRecord;

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

WPARAM ButtonKey(unsigned button) {
    switch (button) {
    case Button1:
        return MK_LBUTTON;
    case Button2:
        return MK_MBUTTON;
    case Button3:
        return MK_RBUTTON;
    default:
        return 0;
    }
}

void QueueMouse(WindowRecord* window, UINT message, WPARAM wParam, int x, int y, int rootX,
                int rootY, Time time) {
    MSG msg{};
    msg.hwnd = window->handle;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = message == WM_MOUSEWHEEL || message == WM_MOUSEHWHEEL ? MAKELPARAM(rootX, rootY)
                                                                       : MAKELPARAM(x, y);
    msg.time = static_cast<DWORD>(time);
    msg.pt = POINT{rootX, rootY};
    win32_internal::QueueInputMessage(msg);
}

void TranslateButton(WindowRecord* window, const XButtonEvent& event, bool press) {
    const unsigned button = event.button;
    if (button >= 4 && button <= 7) {
        if (!press)
            return;
        // X reports each wheel notch as a press of buttons 4 to 7.
        const bool vertical = button <= 5;
        const short delta = (button == 4 || button == 7) ? WHEEL_DELTA : -WHEEL_DELTA;
        QueueMouse(window, vertical ? WM_MOUSEWHEEL : WM_MOUSEHWHEEL,
                   MAKEWPARAM(KeyState(event.state), delta), event.x, event.y, event.x_root,
                   event.y_root, event.time);
        return;
    }
    UINT down = 0;
    switch (button) {
    case Button1:
        down = WM_LBUTTONDOWN;
        break;
    case Button2:
        down = WM_MBUTTONDOWN;
        break;
    case Button3:
        down = WM_RBUTTONDOWN;
        break;
    default:
        return;
    }
    // X gives the state before the event, Windows the state after it.
    WPARAM keys = KeyState(event.state);
    if (press)
        keys |= ButtonKey(button);
    else
        keys &= ~ButtonKey(button);
    UINT message = press ? down : down + 1;
    if (press && (window->windowClass->style & CS_DBLCLKS)) {
        const bool again = window->lastClickButton == button &&
                           event.time - window->lastClickTime <= 500 &&
                           std::abs(event.x - window->lastClickX) <= 2 &&
                           std::abs(event.y - window->lastClickY) <= 2;
        if (again) {
            message = down + 2;
            window->lastClickButton = 0;
        } else {
            window->lastClickButton = button;
            window->lastClickTime = event.time;
            window->lastClickX = event.x;
            window->lastClickY = event.y;
        }
    }
    QueueMouse(window, message, keys, event.x, event.y, event.x_root, event.y_root, event.time);
}

void Translate(const XEvent& event) {
    WindowRecord* window = win32_internal::FindWindowRecordByX(
        event.type == DestroyNotify ? event.xdestroywindow.window : event.xany.window);
    if (window == nullptr || window->destroying)
        return;
    const bool input =
        event.type == ButtonPress || event.type == ButtonRelease || event.type == MotionNotify;
    if (input && win32_internal::Modal())
        return;
    switch (event.type) {
    case Expose: {
        const RECT rect{event.xexpose.x, event.xexpose.y, event.xexpose.x + event.xexpose.width,
                        event.xexpose.y + event.xexpose.height};
        win32_internal::AddInvalidRect(window, rect, true);
        break;
    }
    case ConfigureNotify:
        // Our own requests already updated the record; only what happened
        // after the last of them counts as a change from outside.
        if (event.xconfigure.serial < window->configureSerial)
            break;
        if (event.xconfigure.width != window->clientWidth ||
            event.xconfigure.height != window->clientHeight)
            win32_internal::ClientResizedFromOutside(window, event.xconfigure.width,
                                                     event.xconfigure.height);
        break;
    case ButtonPress:
    case ButtonRelease:
        TranslateButton(window, event.xbutton, event.type == ButtonPress);
        break;
    case MotionNotify:
        QueueMouse(window, WM_MOUSEMOVE, KeyState(event.xmotion.state), event.xmotion.x,
                   event.xmotion.y, event.xmotion.x_root, event.xmotion.y_root, event.xmotion.time);
        break;
    case DestroyNotify:
        if (event.xdestroywindow.window == window->xwindow)
            win32_internal::DestroyedFromOutside(window);
        break;
    case ClientMessage:
        if (win32_identity::AnswerPing(event.xclient))
            break;
        if (event.xclient.message_type == win32_x11::InternAtom("WM_PROTOCOLS") &&
            static_cast<Atom>(event.xclient.data.l[0]) == win32_x11::InternAtom("WM_DELETE_WINDOW"))
            win32_internal::PostCloseRequest(window);
        break;
    default:
        break;
    }
}

} // namespace

void PumpEvents() {
    Display* display = win32_x11::Connection();
    if (display == nullptr)
        return;
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        Translate(event);
    }
}

void WaitForEvents(int wakeFd, int timeoutMilliseconds) {
    Display* display = win32_x11::Connection();
    pollfd fds[2];
    int count = 0;
    if (display != nullptr) {
        XFlush(display);
        if (XPending(display) > 0)
            return;
        fds[count++] = pollfd{ConnectionNumber(display), POLLIN, 0};
    }
    if (wakeFd >= 0)
        fds[count++] = pollfd{wakeFd, POLLIN, 0};
    if (count == 0)
        return;
    while (poll(fds, count, timeoutMilliseconds) < 0 && errno == EINTR) {
    }
}

} // namespace win32_events
