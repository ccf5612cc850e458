#include "win32_message.h"

#include "win32_backend.h"
#include "win32_error.h"
#include "win32_internal.h"
#include "win32_time.h"

#include <deque>
#include <mutex>

// Windows' order: messages sent from other threads, then posted ones, then
// input, then WM_PAINT. Our windows live on one thread and SendMessage calls
// the procedure at once, so nothing sent ever waits here.
namespace {

std::mutex gPostedMutex;
std::deque<MSG> gPosted;
bool gQuitPosted = false;
int gQuitCode = 0;

// Input from the window system, behind the posted messages.
std::deque<MSG> gInput;
int gModalDepth = 0;

// Far more than a hand makes between two frames: what comes beyond it is
// dropped, as a full Windows queue drops it, instead of piling up for minutes.
constexpr std::size_t kInputLimit = 4096;
// Windows' own limit of posted messages per queue.
constexpr std::size_t kPostedLimit = 10000;

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
    // A move replaces a move that still waits for the same window, so at most
    // one waits behind everything else; presses and releases keep their own
    // place and position.
    if (msg.message == WM_MOUSEMOVE && !gInput.empty() && gInput.back().message == WM_MOUSEMOVE &&
        gInput.back().hwnd == msg.hwnd) {
        gInput.back() = msg;
        return;
    }
    if (gInput.size() >= kInputLimit)
        return;
    gInput.push_back(msg);
}

std::size_t QueuedInputCount() {
    return gInput.size();
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
    win32_backend::PumpEvents();
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
        win32_backend::WaitForEvents(-1);
    return lpMsg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL WaitMessage() {
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE))
        win32_backend::WaitForEvents(-1);
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
        if (gPosted.size() >= kPostedLimit) {
            SetLastError(ERROR_NOT_ENOUGH_QUOTA);
            return FALSE;
        }
        gPosted.push_back(MSG{hWnd, Msg, wParam, lParam, GetTickCount(), POINT{}});
    }
    win32_backend::Wake();
    return TRUE;
}

void PostQuitMessage(int nExitCode) {
    {
        std::lock_guard<std::mutex> lock(gPostedMutex);
        gQuitPosted = true;
        gQuitCode = nExitCode;
    }
    win32_backend::Wake();
}
