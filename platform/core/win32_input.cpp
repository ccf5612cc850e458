#include "win32_input.h"

#include "win32_internal.h"
#include "win32_window.h"
#include "win32_wndproc.h"

#include <cstdlib>

namespace win32_input {
namespace {

using win32_internal::WindowRecord;

// A window that may still receive what the window system says about it.
WindowRecord* Receiver(HWND hwnd) {
    WindowRecord* window = win32_internal::FindWindowRecord(hwnd);
    return window == nullptr || window->destroying ? nullptr : window;
}

void Queue(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, POINT screen, DWORD time) {
    win32_internal::QueueInputMessage(MSG{hwnd, message, wParam, lParam, time, screen});
}

WPARAM ButtonKey(Button button) {
    switch (button) {
    case Button::Left:
        return MK_LBUTTON;
    case Button::Middle:
        return MK_MBUTTON;
    case Button::Right:
        return MK_RBUTTON;
    }
    return 0;
}

UINT DownMessage(Button button) {
    switch (button) {
    case Button::Left:
        return WM_LBUTTONDOWN;
    case Button::Middle:
        return WM_MBUTTONDOWN;
    case Button::Right:
        return WM_RBUTTONDOWN;
    }
    return WM_LBUTTONDOWN;
}

} // namespace

HWND WindowOf(win32_backend::NativeWindow native) {
    WindowRecord* window = win32_internal::FindWindowRecordByNative(native);
    return window != nullptr ? window->handle : nullptr;
}

void PointerMoved(HWND hwnd, WPARAM keys, int x, int y, POINT screen, DWORD time) {
    if (Receiver(hwnd) == nullptr || win32_internal::Modal())
        return;
    Queue(hwnd, WM_MOUSEMOVE, keys, MAKELPARAM(x, y), screen, time);
}

void ButtonChanged(HWND hwnd, Button button, bool pressed, WPARAM keys, int x, int y, POINT screen,
                   DWORD time) {
    WindowRecord* window = Receiver(hwnd);
    if (window == nullptr || win32_internal::Modal())
        return;
    const WPARAM key = ButtonKey(button);
    keys = pressed ? (keys | key) : (keys & ~key);
    const UINT down = DownMessage(button);
    UINT message = pressed ? down : down + 1;
    if (pressed && (window->windowClass->style & CS_DBLCLKS)) {
        const unsigned id = static_cast<unsigned>(button) + 1;
        const bool again = window->lastClickButton == id && time - window->lastClickTime <= 500 &&
                           std::abs(x - window->lastClickX) <= 2 &&
                           std::abs(y - window->lastClickY) <= 2;
        if (again) {
            message = down + 2;
            window->lastClickButton = 0;
        } else {
            window->lastClickButton = id;
            window->lastClickTime = time;
            window->lastClickX = x;
            window->lastClickY = y;
        }
    }
    Queue(hwnd, message, keys, MAKELPARAM(x, y), screen, time);
}

void WheelTurned(HWND hwnd, bool vertical, int delta, WPARAM keys, POINT screen, DWORD time) {
    if (Receiver(hwnd) == nullptr || win32_internal::Modal())
        return;
    // Wheel messages carry the screen position, not the client one.
    Queue(hwnd, vertical ? WM_MOUSEWHEEL : WM_MOUSEHWHEEL,
          MAKEWPARAM(keys, static_cast<short>(delta)), MAKELPARAM(screen.x, screen.y), screen,
          time);
}

void Exposed(HWND hwnd, const RECT& rect) {
    if (WindowRecord* window = Receiver(hwnd))
        win32_internal::AddInvalidRect(window, rect, true);
}

void Resized(HWND hwnd, int width, int height) {
    WindowRecord* window = Receiver(hwnd);
    if (window == nullptr || width < 0 || height < 0)
        return;
    if (width != window->clientWidth || height != window->clientHeight)
        win32_internal::ClientResizedFromOutside(window, width, height);
}

void CloseRequested(HWND hwnd) {
    if (WindowRecord* window = Receiver(hwnd))
        win32_internal::PostCloseRequest(window);
}

void NativeWindowDestroyed(HWND hwnd) {
    if (WindowRecord* window = Receiver(hwnd))
        win32_internal::DestroyedFromOutside(window);
}

} // namespace win32_input
