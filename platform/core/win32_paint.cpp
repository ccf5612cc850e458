#include "win32_window.h"

#include "win32_internal.h"
#include "win32_error.h"
#include "win32_wndproc.h"

#include <algorithm>

namespace win32_internal {

bool PaintPending(const WindowRecord* window) {
    return window->invalid && ShownOnScreen(window);
}

void InvalidateWhole(WindowRecord* window, bool erase) {
    AddInvalidRect(window, RECT{0, 0, window->clientWidth, window->clientHeight}, erase);
}

void AddInvalidRect(WindowRecord* window, const RECT& rect, bool erase) {
    RECT clipped{std::max<LONG>(rect.left, 0), std::max<LONG>(rect.top, 0),
                 std::min<LONG>(rect.right, window->clientWidth),
                 std::min<LONG>(rect.bottom, window->clientHeight)};
    if (clipped.left >= clipped.right || clipped.top >= clipped.bottom)
        return;
    if (!window->invalid) {
        window->invalid = true;
        window->invalidRect = clipped;
    } else {
        RECT& r = window->invalidRect;
        r = RECT{std::min(r.left, clipped.left), std::min(r.top, clipped.top),
                 std::max(r.right, clipped.right), std::max(r.bottom, clipped.bottom)};
    }
    if (erase)
        window->eraseNeeded = true;
}

} // namespace win32_internal

using namespace win32_internal;

BOOL InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase) {
    if (hWnd == nullptr) {
        for (HWND handle : WindowsInCreationOrder())
            InvalidateRect(handle, lpRect, bErase);
        return TRUE;
    }
    WindowRecord* window = FindWindowRecord(hWnd);
    if (window == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    // A hidden window has nothing on screen to repaint.
    if (!ShownOnScreen(window))
        return TRUE;
    if (lpRect == nullptr)
        InvalidateWhole(window, bErase != FALSE);
    else
        AddInvalidRect(window, *lpRect, bErase != FALSE);
    return TRUE;
}

BOOL ValidateRect(HWND hWnd, const RECT* lpRect) {
    WindowRecord* window = FindWindowRecord(hWnd);
    if (window == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    const RECT& r = window->invalidRect;
    // The update region is a rectangle here: only what covers it all clears it.
    if (lpRect == nullptr || (lpRect->left <= r.left && lpRect->top <= r.top &&
                              lpRect->right >= r.right && lpRect->bottom >= r.bottom)) {
        window->invalid = false;
        window->eraseNeeded = false;
        window->invalidRect = RECT{};
    }
    return TRUE;
}

BOOL GetUpdateRect(HWND hWnd, LPRECT lpRect, BOOL) {
    WindowRecord* window = FindWindowRecord(hWnd);
    if (window == nullptr)
        return FALSE;
    if (lpRect != nullptr)
        *lpRect = window->invalid ? window->invalidRect : RECT{};
    return window->invalid ? TRUE : FALSE;
}

BOOL UpdateWindow(HWND hWnd) {
    WindowRecord* window = FindWindowRecord(hWnd);
    if (window == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (PaintPending(window))
        SendMessageA(hWnd, WM_PAINT, 0, 0);
    for (HWND child : ChildrenOf(hWnd))
        UpdateWindow(child);
    return TRUE;
}

HDC BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint) {
    WindowRecord* window = FindWindowRecord(hWnd);
    if (window == nullptr || lpPaint == nullptr) {
        SetLastError(window == nullptr ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const HDC hdc = WindowDC(window);
    *lpPaint = PAINTSTRUCT{};
    lpPaint->hdc = hdc;
    lpPaint->rcPaint = window->invalid ? window->invalidRect : RECT{};
    const bool erase = window->eraseNeeded;
    window->invalid = false;
    window->eraseNeeded = false;
    window->invalidRect = RECT{};
    if (erase)
        lpPaint->fErase =
            SendMessageA(hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0) ? FALSE : TRUE;
    return hdc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT*) {
    return TRUE;
}
