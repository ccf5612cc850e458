#include "win32_message.h"

#include "win32_internal.h"
#include "platform/x11/win32_module.h"
#include "win32_time.h"
#include "platform/x11/win32_events.h"
#include "platform/x11/win32_x11.h"

#include <fcntl.h>
#include <unistd.h>

#include <deque>
#include <mutex>

namespace {

std::mutex gPostedMutex;
std::deque<MSG> gPosted;
bool gQuitPosted = false;
int gQuitCode = 0;

// Translated X input, behind the posted messages.
std::deque<MSG> gInput;
int gModalDepth = 0;

// A posting thread wakes a GetMessage that sleeps in poll.
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

int WakeReadFd() {
    return Pipe().read;
}

void Wake() {
    if (Pipe().write < 0)
        return;
    const char byte = 0;
    [[maybe_unused]] const ssize_t written = ::write(Pipe().write, &byte, 1);
}

void DrainWake() {
    const int fd = WakeReadFd();
    if (fd < 0)
        return;
    char buffer[64];
    while (::read(fd, buffer, sizeof buffer) > 0) {
    }
}

bool Matches(const MSG& msg, HWND hwnd, UINT first, UINT last) {
    if (hwnd == reinterpret_cast<HWND>(-1)) {
        if (msg.hwnd != nullptr)
            return false;
    } else if (hwnd != nullptr && msg.hwnd != hwnd &&
               !win32_internal::IsDescendant(msg.hwnd, hwnd)) {
        return false;
    }
    if (first == 0 && last == 0)
        return true;
    return msg.message >= first && msg.message <= last;
}

bool InRange(UINT message, UINT first, UINT last) {
    return (first == 0 && last == 0) || (message >= first && message <= last);
}

POINT CursorNow() {
    POINT point{};
    GetCursorPos(&point);
    return point;
}

bool TakeFrom(std::deque<MSG>& queue, LPMSG lpMsg, HWND hWnd, UINT first, UINT last, bool remove) {
    for (auto it = queue.begin(); it != queue.end();) {
        // Messages for windows that are gone are dropped, never delivered.
        if (it->hwnd != nullptr && !win32_internal::IsLiveWindow(it->hwnd)) {
            it = queue.erase(it);
            continue;
        }
        if (Matches(*it, hWnd, first, last)) {
            *lpMsg = *it;
            if (remove)
                queue.erase(it);
            return true;
        }
        ++it;
    }
    return false;
}

} // namespace

namespace win32_internal {

void QueueInputMessage(const MSG& msg) {
    gInput.push_back(msg);
}

void SetModalDepth(int change) {
    gModalDepth += change;
    if (gModalDepth > 0)
        gInput.clear();
}

bool Modal() {
    return gModalDepth > 0;
}

// As Wine does it: the window manager's delete request becomes the system
// command that DefWindowProc turns into WM_CLOSE.
void PostCloseRequest(WindowRecord* window) {
    if (window->windowClass->style & CS_NOCLOSE)
        return;
    PostMessageA(window->handle, WM_SYSCOMMAND, SC_CLOSE, 0);
}

} // namespace win32_internal

BOOL PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg) {
    if (lpMsg == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (hWnd != nullptr && hWnd != reinterpret_cast<HWND>(-1) && !IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    const bool remove = (wRemoveMsg & PM_REMOVE) != 0;
    DrainWake();
    win32_events::PumpEvents();
    {
        std::lock_guard<std::mutex> lock(gPostedMutex);
        if (TakeFrom(gPosted, lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, remove))
            return TRUE;
        // WM_QUIT comes after every posted message, and never to a filter
        // on one window.
        if (gQuitPosted && hWnd == nullptr && InRange(WM_QUIT, wMsgFilterMin, wMsgFilterMax)) {
            *lpMsg = MSG{nullptr, WM_QUIT,        static_cast<WPARAM>(gQuitCode),
                         0,       GetTickCount(), CursorNow()};
            if (remove)
                gQuitPosted = false;
            return TRUE;
        }
        if (TakeFrom(gInput, lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, remove))
            return TRUE;
    }
    // WM_PAINT is generated, not queued: it stays due until the window is
    // validated.
    if (InRange(WM_PAINT, wMsgFilterMin, wMsgFilterMax)) {
        for (HWND handle : win32_internal::WindowsInCreationOrder()) {
            win32_internal::WindowRecord* window = win32_internal::FindWindowRecord(handle);
            if (window != nullptr && !window->destroying && win32_internal::PaintPending(window) &&
                (hWnd == nullptr || handle == hWnd || win32_internal::IsDescendant(handle, hWnd))) {
                *lpMsg = MSG{handle, WM_PAINT, 0, 0, GetTickCount(), CursorNow()};
                return TRUE;
            }
        }
    }
    return FALSE;
}

BOOL GetMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
    if (lpMsg == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if (hWnd != nullptr && hWnd != reinterpret_cast<HWND>(-1) && !IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return -1;
    }
    while (!PeekMessageA(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, PM_REMOVE))
        win32_events::WaitForEvents(WakeReadFd(), -1);
    return lpMsg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL WaitMessage() {
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE))
        win32_events::WaitForEvents(WakeReadFd(), -1);
    return TRUE;
}

BOOL TranslateMessage(const MSG*) {
    // No keyboard messages are generated, so there is nothing to translate.
    return FALSE;
}

BOOL PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (hWnd != nullptr && !win32_internal::IsLiveWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    {
        std::lock_guard<std::mutex> lock(gPostedMutex);
        gPosted.push_back(MSG{hWnd, Msg, wParam, lParam, GetTickCount(), POINT{}});
    }
    Wake();
    return TRUE;
}

void PostQuitMessage(int nExitCode) {
    {
        std::lock_guard<std::mutex> lock(gPostedMutex);
        gQuitPosted = true;
        gQuitCode = nExitCode;
    }
    Wake();
}
