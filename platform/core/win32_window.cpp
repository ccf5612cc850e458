#include "win32_window.h"

#include "win32_backend.h"
#include "win32_error.h"
#include "win32_handles.h"
#include "win32_internal.h"
#include "win32_wndproc.h"

#include <algorithm>
#include <mutex>
#include <set>

namespace win32_internal {
namespace {

HandleTable<HWND, WindowRecord> gWindows(0x10000);

// Other threads may post: they check handles here, not in gWindows.
std::mutex gLiveMutex;
std::set<HWND> gLiveWindows;

} // namespace

bool ShownOnScreen(const WindowRecord* window) {
    while (window != nullptr) {
        if (!window->visible)
            return false;
        window = (window->style & WS_CHILD) ? FindWindowRecord(window->parent) : nullptr;
    }
    return true;
}

namespace {

void SendDestroy(HWND hwnd) {
    WindowRecord* window = FindWindowRecord(hwnd);
    if (window == nullptr)
        return;
    SendMessageA(hwnd, WM_DESTROY, 0, 0);
    for (HWND child : ChildrenOf(hwnd))
        SendDestroy(child);
}

// Children go first, so each WM_NCDESTROY finds its parent still there.
void FreeWindow(HWND hwnd) {
    for (HWND child : ChildrenOf(hwnd))
        FreeWindow(child);
    if (FindWindowRecord(hwnd) == nullptr)
        return;
    SendMessageA(hwnd, WM_NCDESTROY, 0, 0);
    WindowRecord* window = FindWindowRecord(hwnd);
    if (window == nullptr)
        return;
    ReleaseWindowDC(window);
    if (window->native != 0)
        win32_backend::DestroyNativeWindow(window->native);
    --window->windowClass->windowCount;
    {
        std::lock_guard<std::mutex> lock(gLiveMutex);
        gLiveWindows.erase(hwnd);
    }
    gWindows.Remove(hwnd);
}

void Hide(WindowRecord* window) {
    if (window->native != 0)
        win32_backend::ShowNativeWindow(window->native, false);
    window->visible = false;
    window->style &= ~WS_VISIBLE;
}

void SendSizeAndMove(HWND hwnd) {
    WindowRecord* window = FindWindowRecord(hwnd);
    const int width = window->clientWidth, height = window->clientHeight;
    const int x = window->clientX, y = window->clientY;
    window->needSize = false;
    SendMessageA(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
    if (FindWindowRecord(hwnd) != nullptr)
        SendMessageA(hwnd, WM_MOVE, 0, MAKELPARAM(x, y));
}

LONG_PTR* ExtraSlot(WindowRecord* window, int offset) {
    if (offset < 0 || static_cast<std::size_t>(offset) + sizeof(LONG_PTR) > window->extra.size())
        return nullptr;
    return reinterpret_cast<LONG_PTR*>(window->extra.data() + offset);
}

} // namespace

bool Show(HWND hwnd, bool show) {
    WindowRecord* window = FindWindowRecord(hwnd);
    const bool was = window->visible;
    if (show == was)
        return was;
    SendMessageA(hwnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
    window = FindWindowRecord(hwnd);
    if (window == nullptr)
        return was;
    if (!show) {
        Hide(window);
        return was;
    }
    window->visible = true;
    window->style |= WS_VISIBLE;
    if (window->native != 0)
        win32_backend::ShowNativeWindow(window->native, true);
    InvalidateWhole(window, true);
    if (window->needSize)
        SendSizeAndMove(hwnd);
    return was;
}

WindowRecord* FindWindowRecord(HWND hwnd) {
    return gWindows.Find(hwnd);
}

WindowRecord* FindWindowRecordByNative(win32_backend::NativeWindow native) {
    if (native == 0)
        return nullptr;
    for (auto& [handle, window] : gWindows)
        if (window.native == native)
            return &window;
    return nullptr;
}

std::vector<HWND> WindowsInCreationOrder() {
    return gWindows.Handles();
}

std::vector<HWND> ChildrenOf(HWND hwnd) {
    std::vector<HWND> children;
    for (const auto& [handle, window] : gWindows)
        if ((window.style & WS_CHILD) && window.parent == hwnd)
            children.push_back(handle);
    return children;
}

bool IsLiveWindow(HWND hwnd) {
    std::lock_guard<std::mutex> lock(gLiveMutex);
    return gLiveWindows.count(hwnd) != 0;
}

bool IsDescendant(HWND hwnd, HWND ancestor) {
    for (WindowRecord* window = FindWindowRecord(hwnd);
         window != nullptr && (window->style & WS_CHILD); window = FindWindowRecord(window->parent))
        if (window->parent == ancestor)
            return true;
    return false;
}

namespace {

void ForgetNativeWindows(HWND hwnd) {
    if (WindowRecord* window = FindWindowRecord(hwnd)) {
        window->native = 0;
        for (HWND child : ChildrenOf(hwnd))
            ForgetNativeWindows(child);
    }
}

} // namespace

void DestroyedFromOutside(WindowRecord* window) {
    if (window->destroying)
        return;
    // Window systems report the inner windows before the outer: if an
    // ancestor went with this one, the destruction is that ancestor's, as
    // DestroyWindow on it would have been.
    HWND top = window->handle;
    for (WindowRecord* ancestor = (window->style & WS_CHILD) ? FindWindowRecord(window->parent)
                                                             : nullptr;
         ancestor != nullptr;
         ancestor = (ancestor->style & WS_CHILD) ? FindWindowRecord(ancestor->parent) : nullptr)
        if (ancestor->native == 0 || !win32_backend::NativeWindowExists(ancestor->native))
            top = ancestor->handle;
    // The native windows are gone: nothing may be asked of them any more.
    ForgetNativeWindows(top);
    DestroyWindow(top);
}

} // namespace win32_internal

using namespace win32_internal;

HWND CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle, int X,
                     int Y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu,
                     HINSTANCE hInstance, LPVOID lpParam) {
    WindowClass* windowClass = FindClass(lpClassName);
    if (windowClass == nullptr) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    const bool child = (dwStyle & WS_CHILD) != 0;
    WindowRecord* parent = FindWindowRecord(hWndParent);
    if (child && parent == nullptr) {
        SetLastError(hWndParent == nullptr ? ERROR_TLW_WITH_WSCHILD : ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (!child && hWndParent != nullptr && parent == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    // Overlapped windows always have a caption, as on Windows.
    if (!child && !(dwStyle & WS_POPUP))
        dwStyle |= WS_CAPTION | WS_CLIPSIBLINGS;

    if (X == CW_USEDEFAULT || child) {
        if (X == CW_USEDEFAULT)
            X = Y = child ? 0 : 48;
    }
    if (nWidth == CW_USEDEFAULT) {
        nWidth = child ? 0 : GetSystemMetrics(SM_CXSCREEN) * 3 / 4;
        nHeight = child ? 0 : GetSystemMetrics(SM_CYSCREEN) * 3 / 4;
    }
    const RECT insets = Insets(dwStyle, dwExStyle);

    const HWND hwnd = gWindows.Add();
    WindowRecord& window = *gWindows.Find(hwnd);
    window.handle = hwnd;
    window.windowClass = windowClass;
    window.proc = windowClass->proc;
    window.style = dwStyle & ~WS_VISIBLE;
    window.exStyle = dwExStyle;
    window.parent = hWndParent;
    window.menu = hMenu;
    window.instance = hInstance;
    window.extra.assign(static_cast<std::size_t>(windowClass->windowExtra), 0);
    window.clientX = X + insets.left;
    window.clientY = Y + insets.top;
    window.clientWidth = std::max(0, nWidth - insets.left - insets.right);
    window.clientHeight = std::max(0, nHeight - insets.top - insets.bottom);
    ++windowClass->windowCount;
    {
        std::lock_guard<std::mutex> lock(gLiveMutex);
        gLiveWindows.insert(hwnd);
    }

    win32_backend::NativeWindowParams params{};
    params.parent = child ? parent->native : 0;
    params.x = window.clientX;
    params.y = window.clientY;
    params.width = window.clientWidth;
    params.height = window.clientHeight;
    params.decorated = !child && (dwStyle & WS_CAPTION) == WS_CAPTION;
    params.icon = windowClass->icon;
    window.native = win32_backend::CreateNativeWindow(params);
    if (window.native == 0) {
        // Reported by the backend; the record was never a window.
        const DWORD error = GetLastError();
        --windowClass->windowCount;
        {
            std::lock_guard<std::mutex> lock(gLiveMutex);
            gLiveWindows.erase(hwnd);
        }
        gWindows.Remove(hwnd);
        SetLastError(error);
        return nullptr;
    }
    if (!child)
        ApplyGeometry(&window);

    CREATESTRUCTA create{};
    create.lpCreateParams = lpParam;
    create.hInstance = hInstance;
    create.hMenu = hMenu;
    create.hwndParent = hWndParent;
    create.cx = nWidth;
    create.cy = nHeight;
    create.x = X;
    create.y = Y;
    create.style = static_cast<LONG>(dwStyle);
    create.lpszName = lpWindowName;
    create.lpszClass = lpClassName;
    create.dwExStyle = dwExStyle;

    // A refusal in WM_NCCREATE or WM_CREATE undoes the window; only
    // WM_NCDESTROY is sent, since it was never fully created.
    if (!SendMessageA(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create)) ||
        FindWindowRecord(hwnd) == nullptr ||
        SendMessageA(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        FreeWindow(hwnd);
        return nullptr;
    }
    WindowRecord* created = FindWindowRecord(hwnd);
    if (created == nullptr)
        return nullptr; // destroyed itself while being created
    if (child || (dwStyle & WS_POPUP))
        SendSizeAndMove(hwnd);
    else
        created->needSize = true;
    if ((dwStyle & WS_VISIBLE) && FindWindowRecord(hwnd) != nullptr)
        Show(hwnd, true);
    return FindWindowRecord(hwnd) != nullptr ? hwnd : nullptr;
}

BOOL DestroyWindow(HWND hWnd) {
    WindowRecord* window = FindWindowRecord(hWnd);
    if (window == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (window->destroying)
        return TRUE;
    window->destroying = true;
    for (HWND handle : WindowsInCreationOrder())
        if (IsDescendant(handle, hWnd))
            FindWindowRecord(handle)->destroying = true;
    if (window->visible)
        Hide(window);
    SendDestroy(hWnd);
    FreeWindow(hWnd);
    return TRUE;
}

BOOL IsWindow(HWND hWnd) {
    return FindWindowRecord(hWnd) != nullptr;
}

BOOL IsWindowVisible(HWND hWnd) {
    WindowRecord* window = FindWindowRecord(hWnd);
    return window != nullptr && ShownOnScreen(window);
}

HWND GetParent(HWND hWnd) {
    WindowRecord* window = FindWindowRecord(hWnd);
    if (window == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return (window->style & (WS_CHILD | WS_POPUP)) ? window->parent : nullptr;
}

BOOL ShowWindow(HWND hWnd, int nCmdShow) {
    if (FindWindowRecord(hWnd) == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return Show(hWnd, nCmdShow != SW_HIDE) ? TRUE : FALSE;
}

LONG_PTR GetWindowLongPtrA(HWND hWnd, int nIndex) {
    WindowRecord* window = FindWindowRecord(hWnd);
    if (window == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    switch (nIndex) {
    case GWLP_WNDPROC:
        return reinterpret_cast<LONG_PTR>(window->proc);
    case GWLP_HINSTANCE:
        return reinterpret_cast<LONG_PTR>(window->instance);
    case GWLP_HWNDPARENT:
        return reinterpret_cast<LONG_PTR>(window->parent);
    case GWLP_ID:
        return reinterpret_cast<LONG_PTR>(window->menu);
    case GWL_STYLE:
        return static_cast<LONG_PTR>(static_cast<LONG>(window->style));
    case GWL_EXSTYLE:
        return static_cast<LONG_PTR>(static_cast<LONG>(window->exStyle));
    case GWLP_USERDATA:
        return window->userData;
    default:
        if (LONG_PTR* slot = ExtraSlot(window, nIndex))
            return *slot;
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
}

LONG_PTR SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
    WindowRecord* window = FindWindowRecord(hWnd);
    if (window == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    LONG_PTR previous = 0;
    switch (nIndex) {
    case GWLP_WNDPROC:
        previous = reinterpret_cast<LONG_PTR>(window->proc);
        window->proc = reinterpret_cast<WNDPROC>(dwNewLong);
        return previous;
    case GWLP_HINSTANCE:
        previous = reinterpret_cast<LONG_PTR>(window->instance);
        window->instance = reinterpret_cast<HINSTANCE>(dwNewLong);
        return previous;
    case GWLP_ID:
        previous = reinterpret_cast<LONG_PTR>(window->menu);
        window->menu = reinterpret_cast<HMENU>(dwNewLong);
        return previous;
    case GWL_STYLE:
        previous = static_cast<LONG>(window->style);
        // Visibility changes only through ShowWindow.
        window->style =
            (static_cast<DWORD>(dwNewLong) & ~WS_VISIBLE) | (window->style & WS_VISIBLE);
        return previous;
    case GWL_EXSTYLE:
        previous = static_cast<LONG>(window->exStyle);
        window->exStyle = static_cast<DWORD>(dwNewLong);
        return previous;
    case GWLP_USERDATA:
        previous = window->userData;
        window->userData = dwNewLong;
        return previous;
    default:
        if (LONG_PTR* slot = ExtraSlot(window, nIndex)) {
            previous = *slot;
            *slot = dwNewLong;
            return previous;
        }
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
}

LONG GetWindowLongA(HWND hWnd, int nIndex) {
    return static_cast<LONG>(GetWindowLongPtrA(hWnd, nIndex));
}

LONG SetWindowLongA(HWND hWnd, int nIndex, LONG dwNewLong) {
    return static_cast<LONG>(SetWindowLongPtrA(hWnd, nIndex, dwNewLong));
}

// There are no cursor resources: any non-null handle serves, since the window
// system draws its own.
HCURSOR LoadCursorA(HINSTANCE, LPCSTR lpCursorName) {
    return reinterpret_cast<HCURSOR>(const_cast<char*>(lpCursorName));
}
