#include "win32_wndproc.h"

#include "win32_backend.h"
#include "win32_error.h"
#include "win32_internal.h"

#include <algorithm>
#include <cstring>

namespace win32_internal {
namespace {

void SetTitle(WindowRecord* window) {
    if (window->native != 0 && !(window->style & WS_CHILD))
        win32_backend::SetNativeWindowTitle(window->native, window->text);
}

} // namespace
} // namespace win32_internal

using namespace win32_internal;

LRESULT CallWindowProcA(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return lpPrevWndFunc == nullptr ? 0 : lpPrevWndFunc(hWnd, Msg, wParam, lParam);
}

LRESULT DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    WindowRecord* window = FindWindowRecord(hWnd);
    if (window == nullptr)
        return 0;
    switch (Msg) {
    case WM_NCCREATE: {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        if (create != nullptr && create->lpszName != nullptr &&
            reinterpret_cast<ULONG_PTR>(create->lpszName) > 0xFFFF) {
            window->text = create->lpszName;
            SetTitle(window);
        }
        return TRUE;
    }
    case WM_CLOSE:
        DestroyWindow(hWnd);
        return 0;
    case WM_ERASEBKGND:
        // Nothing to fill with: say so unless the class has a background.
        return window->windowClass->background != nullptr ? 1 : 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(hWnd, &paint);
        EndPaint(hWnd, &paint);
        return 0;
    }
    case WM_SETTEXT:
        window->text = lParam != 0 ? reinterpret_cast<const char*>(lParam) : "";
        SetTitle(window);
        return TRUE;
    case WM_GETTEXT: {
        auto* buffer = reinterpret_cast<char*>(lParam);
        if (buffer == nullptr || wParam == 0)
            return 0;
        const std::size_t count = std::min<std::size_t>(window->text.size(), wParam - 1);
        std::memcpy(buffer, window->text.data(), count);
        buffer[count] = '\0';
        return static_cast<LRESULT>(count);
    }
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(window->text.size());
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE)
            SendMessageA(hWnd, WM_CLOSE, 0, 0);
        return 0;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
        // Unhandled wheel turns go up to the parent.
        if ((window->style & WS_CHILD) && window->parent != nullptr)
            return SendMessageA(window->parent, Msg, wParam, lParam);
        return 0;
    default:
        return 0;
    }
}

BOOL SetWindowTextA(HWND hWnd, LPCSTR lpString) {
    if (FindWindowRecord(hWnd) == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return SendMessageA(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString ? lpString : ""))
               ? TRUE
               : FALSE;
}

int GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount) {
    if (FindWindowRecord(hWnd) == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (lpString == nullptr || nMaxCount <= 0)
        return 0;
    lpString[0] = '\0';
    return static_cast<int>(SendMessageA(hWnd, WM_GETTEXT, static_cast<WPARAM>(nMaxCount),
                                         reinterpret_cast<LPARAM>(lpString)));
}

int GetWindowTextLengthA(HWND hWnd) {
    if (FindWindowRecord(hWnd) == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return static_cast<int>(SendMessageA(hWnd, WM_GETTEXTLENGTH, 0, 0));
}

LRESULT DispatchMessageA(const MSG* lpMsg) {
    if (lpMsg == nullptr || lpMsg->hwnd == nullptr)
        return 0;
    WindowRecord* window = FindWindowRecord(lpMsg->hwnd);
    if (window == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return window->proc == nullptr
               ? 0
               : window->proc(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

LRESULT SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    WindowRecord* window = FindWindowRecord(hWnd);
    if (window == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return window->proc == nullptr ? 0 : window->proc(hWnd, Msg, wParam, lParam);
}
