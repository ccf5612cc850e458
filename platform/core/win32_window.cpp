#include "win32_window.h"

#include "platform/x11/win32_identity.h"
#include "win32_internal.h"
#include "win32_wndproc.h"
#include "platform/x11/win32_module.h"
#include "platform/x11/win32_x11.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <list>
#include <map>
#include <mutex>
#include <set>

namespace win32_internal {
namespace {

std::map<HWND, WindowRecord> gWindows;
std::uintptr_t gNextWindow = 0x10000;

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
    Display* display = win32_x11::Connection();
    if (display != nullptr && window->xwindow != 0) {
        XDestroyWindow(display, window->xwindow);
        XFlush(display);
    }
    --window->windowClass->windowCount;
    {
        std::lock_guard<std::mutex> lock(gLiveMutex);
        gLiveWindows.erase(hwnd);
    }
    gWindows.erase(hwnd);
}

void Hide(WindowRecord* window) {
    Display* display = win32_x11::Connection();
    if (display != nullptr && window->xwindow != 0) {
        XUnmapWindow(display, window->xwindow);
        XFlush(display);
    }
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
    Display* display = win32_x11::Connection();
    if (display != nullptr && window->xwindow != 0) {
        XMapWindow(display, window->xwindow);
        XFlush(display);
    }
    InvalidateWhole(window, true);
    if (window->needSize)
        SendSizeAndMove(hwnd);
    return was;
}

WindowRecord* FindWindowRecord(HWND hwnd) {
    const auto found = gWindows.find(hwnd);
    return found == gWindows.end() ? nullptr : &found->second;
}

WindowRecord* FindWindowRecordByX(::Window xwindow) {
    if (xwindow == 0)
        return nullptr;
    for (auto& [handle, window] : gWindows)
        if (window.xwindow == xwindow)
            return &window;
    return nullptr;
}

std::vector<HWND> WindowsInCreationOrder() {
    std::vector<HWND> handles;
    handles.reserve(gWindows.size());
    for (const auto& [handle, window] : gWindows)
        handles.push_back(handle);
    return handles;
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

// Whether the server still knows the X window (a round trip; only asked
// after a window went away unexpectedly).
bool XWindowExists(::Window xwindow) {
    Display* display = win32_x11::Connection();
    win32_x11::ErrorTrap trap(display);
    XWindowAttributes attributes;
    const Status got = XGetWindowAttributes(display, xwindow, &attributes);
    return !trap.Failed() && got != 0;
}

// Windows without a caption get no frame from the window manager either.
void Undecorated(Display* display, ::Window xwindow) {
    const long hints[5] = {2 /* decorations */, 0, 0, 0, 0};
    const Atom motif = win32_x11::InternAtom("_MOTIF_WM_HINTS");
    XChangeProperty(display, xwindow, motif, motif, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(hints), 5);
}

void ForgetXWindows(HWND hwnd) {
    if (WindowRecord* window = FindWindowRecord(hwnd)) {
        window->xwindow = 0;
        for (HWND child : ChildrenOf(hwnd))
            ForgetXWindows(child);
    }
}

} // namespace

void DestroyedFromOutside(WindowRecord* window) {
    if (window->destroying)
        return;
    // X reports the inferiors before the window itself: if an ancestor went
    // with this one, the destruction is that ancestor's, as DestroyWindow on
    // it would have been.
    HWND top = window->handle;
    for (WindowRecord* ancestor = (window->style & WS_CHILD) ? FindWindowRecord(window->parent)
                                                             : nullptr;
         ancestor != nullptr;
         ancestor = (ancestor->style & WS_CHILD) ? FindWindowRecord(ancestor->parent) : nullptr)
        if (ancestor->xwindow == 0 || !XWindowExists(ancestor->xwindow))
            top = ancestor->handle;
    // The X windows are gone: nothing may be asked of them any more.
    ForgetXWindows(top);
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
    Display* display = win32_x11::Connection();
    // Without GLX the window still opens, on the default visual, and only
    // its pixel format is refused later, as on Windows.
    const win32_x11::WindowConfig* config = win32_x11::WindowVisual();
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

    const HWND hwnd = reinterpret_cast<HWND>(gNextWindow);
    gNextWindow += 4;
    WindowRecord& window = gWindows[hwnd];
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

    XSetWindowAttributes attributes{};
    unsigned long mask = CWBorderPixel | CWBackPixmap | CWBitGravity | CWEventMask;
    if (config != nullptr) {
        attributes.colormap = config->colormap;
        mask |= CWColormap;
    }
    attributes.border_pixel = 0;
    attributes.background_pixmap = None;
    attributes.bit_gravity = NorthWestGravity;
    attributes.event_mask = ExposureMask | StructureNotifyMask | ButtonPressMask |
                            ButtonReleaseMask | PointerMotionMask;
    const ::Window xparent = child ? parent->xwindow : DefaultRootWindow(display);
    window.xwindow =
        XCreateWindow(display, xparent, window.clientX, window.clientY,
                      static_cast<unsigned>(std::max(1, window.clientWidth)),
                      static_cast<unsigned>(std::max(1, window.clientHeight)), 0,
                      config != nullptr ? config->depth : CopyFromParent, InputOutput,
                      config != nullptr ? config->visual : CopyFromParent, mask, &attributes);
    if (!child) {
        win32_identity::Describe(window);
        if ((dwStyle & WS_CAPTION) != WS_CAPTION)
            Undecorated(display, window.xwindow);
        ApplyGeometry(&window);
    }

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
