#include "win32_window.h"

#include "win32_backend.h"
#include "win32_error.h"
#include "win32_internal.h"
#include "win32_wndproc.h"

#include <algorithm>

namespace win32_internal {
namespace {

POINT ClientOriginOnScreen(const WindowRecord* window) {
    return window->native != 0 ? win32_backend::NativeClientOrigin(window->native) : POINT{0, 0};
}

} // namespace

// The non-client area Windows would draw around the client area: frame,
// caption and edges. Ours has none of its own, so these numbers only keep
// AdjustWindowRectEx, CreateWindowEx and GetWindowRect consistent.
RECT Insets(DWORD style, DWORD exStyle) {
    // Under a window manager the frame is its own, and our numbers must be
    // its numbers, or a centred window would not be.
    RECT frame{};
    if (!(style & WS_CHILD) && (style & WS_CAPTION) == WS_CAPTION &&
        win32_backend::FrameExtents(frame))
        return frame;
    int border = 0;
    if (style & WS_THICKFRAME)
        border = 8;
    else if ((style & WS_CAPTION) == WS_CAPTION || (style & WS_DLGFRAME))
        border = 3;
    else if (style & WS_BORDER)
        border = 1;
    if (exStyle & WS_EX_CLIENTEDGE)
        border += 2;
    const int caption = (style & WS_CAPTION) == WS_CAPTION ? 23 : 0;
    return RECT{border, border + caption, border, border};
}

void ApplyGeometry(WindowRecord* window) {
    if (window->native != 0)
        win32_backend::PlaceNativeWindow(window->native, !(window->style & WS_CHILD),
                                         window->clientX, window->clientY, window->clientWidth,
                                         window->clientHeight);
}

void ClientResizedFromOutside(WindowRecord* window, int width, int height) {
    const HWND hwnd = window->handle;
    window->clientWidth = width;
    window->clientHeight = height;
    if (window->windowClass->style & (CS_HREDRAW | CS_VREDRAW))
        InvalidateWhole(window, true);
    SendMessageA(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
}

} // namespace win32_internal

using namespace win32_internal;

BOOL GetClientRect(HWND hWnd, LPRECT lpRect) {
    WindowRecord* window = FindWindowRecord(hWnd);
    if (window == nullptr || lpRect == nullptr) {
        SetLastError(window == nullptr ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *lpRect = RECT{0, 0, window->clientWidth, window->clientHeight};
    return TRUE;
}

BOOL GetWindowRect(HWND hWnd, LPRECT lpRect) {
    WindowRecord* window = FindWindowRecord(hWnd);
    if (window == nullptr || lpRect == nullptr) {
        SetLastError(window == nullptr ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const POINT origin = ClientOriginOnScreen(window);
    const RECT insets = Insets(window->style, window->exStyle);
    *lpRect = RECT{origin.x - insets.left, origin.y - insets.top,
                   origin.x + window->clientWidth + insets.right,
                   origin.y + window->clientHeight + insets.bottom};
    return TRUE;
}

BOOL SetWindowPos(HWND hWnd, HWND, int X, int Y, int cx, int cy, UINT uFlags) {
    WindowRecord* window = FindWindowRecord(hWnd);
    if (window == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    const RECT insets = Insets(window->style, window->exStyle);
    int clientX = window->clientX, clientY = window->clientY;
    if (!(window->style & WS_CHILD)) {
        const POINT origin = ClientOriginOnScreen(window);
        clientX = origin.x;
        clientY = origin.y;
    }
    if (!(uFlags & SWP_NOMOVE)) {
        clientX = X + insets.left;
        clientY = Y + insets.top;
    }
    int width = window->clientWidth, height = window->clientHeight;
    if (!(uFlags & SWP_NOSIZE)) {
        width = std::max(0, cx - insets.left - insets.right);
        height = std::max(0, cy - insets.top - insets.bottom);
    }
    const bool moved = clientX != window->clientX || clientY != window->clientY;
    const bool resized = width != window->clientWidth || height != window->clientHeight;
    window->clientX = clientX;
    window->clientY = clientY;
    window->clientWidth = width;
    window->clientHeight = height;
    if (moved || resized)
        ApplyGeometry(window);
    if (resized && (window->windowClass->style & (CS_HREDRAW | CS_VREDRAW)) &&
        !(uFlags & SWP_NOREDRAW))
        InvalidateWhole(window, true);
    if (uFlags & SWP_HIDEWINDOW)
        Show(hWnd, false);
    if (moved)
        SendMessageA(hWnd, WM_MOVE, 0, MAKELPARAM(clientX, clientY));
    if (resized && FindWindowRecord(hWnd) != nullptr)
        SendMessageA(hWnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
    if ((uFlags & SWP_SHOWWINDOW) && FindWindowRecord(hWnd) != nullptr)
        Show(hWnd, true);
    return TRUE;
}

BOOL MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint) {
    return SetWindowPos(hWnd, nullptr, X, Y, nWidth, nHeight,
                        SWP_NOZORDER | SWP_NOACTIVATE | (bRepaint ? 0 : SWP_NOREDRAW));
}

BOOL AdjustWindowRectEx(LPRECT lpRect, DWORD dwStyle, BOOL bMenu, DWORD dwExStyle) {
    if (lpRect == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const RECT insets = Insets(dwStyle, dwExStyle);
    lpRect->left -= insets.left;
    lpRect->top -= insets.top + (bMenu ? 20 : 0);
    lpRect->right += insets.right;
    lpRect->bottom += insets.bottom;
    return TRUE;
}

BOOL AdjustWindowRect(LPRECT lpRect, DWORD dwStyle, BOOL bMenu) {
    return AdjustWindowRectEx(lpRect, dwStyle, bMenu, 0);
}

BOOL ClientToScreen(HWND hWnd, LPPOINT lpPoint) {
    WindowRecord* window = FindWindowRecord(hWnd);
    if (window == nullptr || lpPoint == nullptr)
        return FALSE;
    const POINT origin = ClientOriginOnScreen(window);
    lpPoint->x += origin.x;
    lpPoint->y += origin.y;
    return TRUE;
}

BOOL ScreenToClient(HWND hWnd, LPPOINT lpPoint) {
    WindowRecord* window = FindWindowRecord(hWnd);
    if (window == nullptr || lpPoint == nullptr)
        return FALSE;
    const POINT origin = ClientOriginOnScreen(window);
    lpPoint->x -= origin.x;
    lpPoint->y -= origin.y;
    return TRUE;
}

BOOL GetCursorPos(LPPOINT lpPoint) {
    if (lpPoint == nullptr)
        return FALSE;
    return win32_backend::CursorPosition(*lpPoint) ? TRUE : FALSE;
}

int GetSystemMetrics(int nIndex) {
    switch (nIndex) {
    case SM_CXSCREEN:
        return win32_backend::ScreenSize().cx;
    case SM_CYSCREEN:
        return win32_backend::ScreenSize().cy;
    case SM_CXBORDER:
    case SM_CYBORDER:
        return 1;
    case SM_CYCAPTION:
        return 23;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
        return 3;
    case SM_CXFRAME:
    case SM_CYFRAME:
        return 4;
    case SM_CXPADDEDBORDER:
        return 4;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
        return 4;
    case SM_CMOUSEBUTTONS:
        return 3;
    default:
        return 0;
    }
}

BOOL SystemParametersInfoA(UINT uiAction, UINT, PVOID pvParam, UINT) {
    if (uiAction != SPI_GETWORKAREA || pvParam == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *static_cast<RECT*>(pvParam) = win32_backend::WorkArea();
    return TRUE;
}
