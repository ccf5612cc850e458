// The page's events into the core, and the waits that give the browser its
// thread: with ASYNCIFY a wait returns to the browser's event loop, which
// runs the page's listeners and shows the frame, and resumes the program.
#include "platform/core/win32_backend.h"
#include "platform/core/win32_input.h"
#include "win32_web.h"

namespace win32_backend {
namespace {

win32_input::Button ButtonOf(int button) {
    switch (button) {
    case 1:
        return win32_input::Button::Middle;
    case 2:
        return win32_input::Button::Right;
    default:
        return win32_input::Button::Left;
    }
}

void Translate(const win32_web::Event& event) {
    const HWND hwnd = win32_input::WindowOf(static_cast<NativeWindow>(event.window));
    if (hwnd == nullptr)
        return;
    const POINT screen{event.screenX, event.screenY};
    const auto keys = static_cast<WPARAM>(event.keys);
    const auto time = static_cast<DWORD>(event.time);
    switch (event.kind) {
    case win32_web::kMove:
        win32_input::PointerMoved(hwnd, keys, event.x, event.y, screen, time);
        break;
    case win32_web::kButtonDown:
    case win32_web::kButtonUp:
        // Buttons beyond the third are the browser's (back, forward).
        if (event.button >= 0 && event.button <= 2)
            win32_input::ButtonChanged(hwnd, ButtonOf(event.button),
                                       event.kind == win32_web::kButtonDown, keys, event.x, event.y,
                                       screen, time);
        break;
    case win32_web::kWheel:
        win32_input::WheelTurned(hwnd, event.button != 0, event.x, keys, screen, time);
        break;
    case win32_web::kExpose:
        win32_input::Exposed(hwnd, RECT{event.x, event.y, event.screenX, event.screenY});
        break;
    case win32_web::kResize:
        win32_input::Resized(hwnd, event.x, event.y);
        break;
    case win32_web::kClose:
        win32_input::CloseRequested(hwnd);
        break;
    default:
        break;
    }
}

} // namespace

void PumpEvents() {
    web_take_wake();
    win32_web::Event event;
    while (web_next_event(&event))
        Translate(event);
}

void WaitForEvents(int timeoutMilliseconds) {
    if (web_events_pending())
        return;
    web_wait(timeoutMilliseconds < 0 ? -1 : timeoutMilliseconds);
}

void Wake() {
    // The page has one thread: a wake-up comes from the program itself, or
    // from a listener while it waits.
    web_wake();
}

} // namespace win32_backend
