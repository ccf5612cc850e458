#include "win32_window.h"

#include "win32_internal.h"
#include "win32_message.h"
#include "win32_module.h"
#include "win32_x11.h"

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

std::list<WindowClass> gClasses;
ATOM gNextAtom = 0xC000;

std::map<HWND, WindowRecord> gWindows;
std::uintptr_t gNextWindow = 0x10000;

// Other threads may post: they check handles here, not in gWindows.
std::mutex gLiveMutex;
std::set<HWND> gLiveWindows;

bool SameName(const std::string& a, const char* b) {
    if (a.size() != std::strlen(b))
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

WindowClass* FindClass(LPCSTR name) {
    if (name == nullptr)
        return nullptr;
    const auto value = reinterpret_cast<ULONG_PTR>(name);
    for (WindowClass& windowClass : gClasses) {
        if (value <= 0xFFFF ? windowClass.atom == value : SameName(windowClass.name, name))
            return &windowClass;
    }
    return nullptr;
}

// The non-client area Windows would draw around the client area: frame,
// caption and edges. Ours has none of its own, so these numbers only keep
// AdjustWindowRectEx, CreateWindowEx and GetWindowRect consistent.
RECT Insets(DWORD style, DWORD exStyle) {
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

int ScreenWidth() {
    Display* display = win32_x11::Connection();
    return display == nullptr ? 0 : DisplayWidth(display, DefaultScreen(display));
}

int ScreenHeight() {
    Display* display = win32_x11::Connection();
    return display == nullptr ? 0 : DisplayHeight(display, DefaultScreen(display));
}

bool ShownOnScreen(const WindowRecord* window) {
    while (window != nullptr) {
        if (!window->visible)
            return false;
        window = (window->style & WS_CHILD) ? FindWindowRecord(window->parent) : nullptr;
    }
    return true;
}

void SetXTitle(WindowRecord* window) {
    Display* display = win32_x11::Connection();
    if (display == nullptr || window->xwindow == 0 || (window->style & WS_CHILD))
        return;
    XStoreName(display, window->xwindow, window->text.c_str());
    XChangeProperty(display, window->xwindow, win32_x11::InternAtom("_NET_WM_NAME"),
                    win32_x11::InternAtom("UTF8_STRING"), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(window->text.data()),
                    static_cast<int>(window->text.size()));
    XFlush(display);
}

POINT ClientOriginOnScreen(const WindowRecord* window) {
    Display* display = win32_x11::Connection();
    int x = 0, y = 0;
    ::Window child = 0;
    if (display != nullptr && window->xwindow != 0)
        XTranslateCoordinates(display, window->xwindow, DefaultRootWindow(display), 0, 0, &x, &y,
                              &child);
    return POINT{x, y};
}

void ApplyGeometry(WindowRecord* window) {
    Display* display = win32_x11::Connection();
    if (display == nullptr || window->xwindow == 0)
        return;
    window->configureSerial = NextRequest(display);
    // X has no empty windows; the record keeps the true size.
    XMoveResizeWindow(display, window->xwindow, window->clientX, window->clientY,
                      static_cast<unsigned>(std::max(1, window->clientWidth)),
                      static_cast<unsigned>(std::max(1, window->clientHeight)));
    if (!(window->style & WS_CHILD)) {
        XSizeHints hints{};
        hints.flags = USPosition | USSize;
        hints.x = window->clientX;
        hints.y = window->clientY;
        hints.width = window->clientWidth;
        hints.height = window->clientHeight;
        XSetWMNormalHints(display, window->xwindow, &hints);
    }
    XFlush(display);
}

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
    DiscardMessagesFor(hwnd);
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

LONG_PTR* ExtraSlot(WindowRecord* window, int offset) {
    if (offset < 0 || static_cast<std::size_t>(offset) + sizeof(LONG_PTR) > window->extra.size())
        return nullptr;
    return reinterpret_cast<LONG_PTR*>(window->extra.data() + offset);
}

} // namespace

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

ATOM RegisterClassExA(const WNDCLASSEXA* lpwcx) {
    if (lpwcx == nullptr || lpwcx->cbSize != sizeof(WNDCLASSEXA) ||
        lpwcx->lpszClassName == nullptr || lpwcx->cbWndExtra < 0 || lpwcx->cbClsExtra < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (reinterpret_cast<ULONG_PTR>(lpwcx->lpszClassName) <= 0xFFFF ||
        FindClass(lpwcx->lpszClassName) != nullptr) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    WindowClass windowClass;
    windowClass.name = lpwcx->lpszClassName;
    windowClass.atom = gNextAtom++;
    windowClass.style = lpwcx->style;
    windowClass.proc = lpwcx->lpfnWndProc;
    windowClass.windowExtra = lpwcx->cbWndExtra;
    windowClass.instance = lpwcx->hInstance;
    windowClass.background = lpwcx->hbrBackground;
    windowClass.cursor = lpwcx->hCursor;
    windowClass.icon = lpwcx->hIcon;
    gClasses.push_back(windowClass);
    return windowClass.atom;
}

ATOM RegisterClassA(const WNDCLASSA* lpWndClass) {
    if (lpWndClass == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    WNDCLASSEXA ex{};
    ex.cbSize = sizeof ex;
    ex.style = lpWndClass->style;
    ex.lpfnWndProc = lpWndClass->lpfnWndProc;
    ex.cbClsExtra = lpWndClass->cbClsExtra;
    ex.cbWndExtra = lpWndClass->cbWndExtra;
    ex.hInstance = lpWndClass->hInstance;
    ex.hIcon = lpWndClass->hIcon;
    ex.hCursor = lpWndClass->hCursor;
    ex.hbrBackground = lpWndClass->hbrBackground;
    ex.lpszMenuName = lpWndClass->lpszMenuName;
    ex.lpszClassName = lpWndClass->lpszClassName;
    return RegisterClassExA(&ex);
}

BOOL UnregisterClassA(LPCSTR lpClassName, HINSTANCE) {
    WindowClass* windowClass = FindClass(lpClassName);
    if (windowClass == nullptr) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    if (windowClass->windowCount > 0) {
        SetLastError(ERROR_CLASS_HAS_WINDOWS);
        return FALSE;
    }
    gClasses.remove_if([&](const WindowClass& c) { return &c == windowClass; });
    return TRUE;
}

BOOL GetClassInfoExA(HINSTANCE, LPCSTR lpszClass, WNDCLASSEXA* lpwcx) {
    WindowClass* windowClass = FindClass(lpszClass);
    if (windowClass == nullptr || lpwcx == nullptr) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    const UINT size = lpwcx->cbSize;
    *lpwcx = WNDCLASSEXA{};
    lpwcx->cbSize = size;
    lpwcx->style = windowClass->style;
    lpwcx->lpfnWndProc = windowClass->proc;
    lpwcx->cbWndExtra = windowClass->windowExtra;
    lpwcx->hInstance = windowClass->instance;
    lpwcx->hIcon = windowClass->icon;
    lpwcx->hCursor = windowClass->cursor;
    lpwcx->hbrBackground = windowClass->background;
    lpwcx->lpszClassName = windowClass->name.c_str();
    return windowClass->atom;
}

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
    const win32_x11::WindowConfig* config = win32_x11::WindowVisual();
    if (display == nullptr || config == nullptr) {
        SetLastError(ERROR_DC_NOT_FOUND);
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
        nWidth = child ? 0 : ScreenWidth() * 3 / 4;
        nHeight = child ? 0 : ScreenHeight() * 3 / 4;
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
    attributes.colormap = config->colormap;
    attributes.border_pixel = 0;
    attributes.background_pixmap = None;
    attributes.bit_gravity = NorthWestGravity;
    attributes.event_mask = ExposureMask | StructureNotifyMask | ButtonPressMask |
                            ButtonReleaseMask | PointerMotionMask;
    const ::Window xparent = child ? parent->xwindow : DefaultRootWindow(display);
    window.xwindow = XCreateWindow(
        display, xparent, window.clientX, window.clientY,
        static_cast<unsigned>(std::max(1, window.clientWidth)),
        static_cast<unsigned>(std::max(1, window.clientHeight)), 0, config->depth, InputOutput,
        config->visual, CWColormap | CWBorderPixel | CWBackPixmap | CWBitGravity | CWEventMask,
        &attributes);
    if (!child) {
        Atom deleteWindow = win32_x11::InternAtom("WM_DELETE_WINDOW");
        XSetWMProtocols(display, window.xwindow, &deleteWindow, 1);
        XClassHint classHint{};
        std::string resourceName = windowClass->name;
        classHint.res_name = resourceName.data();
        classHint.res_class = resourceName.data();
        XSetClassHint(display, window.xwindow, &classHint);
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
            SetXTitle(window);
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
        SetXTitle(window);
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
    Display* display = win32_x11::Connection();
    if (lpPoint == nullptr || display == nullptr)
        return FALSE;
    ::Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned mask = 0;
    XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &x, &y,
                  &mask);
    *lpPoint = POINT{rootX, rootY};
    return TRUE;
}

int GetSystemMetrics(int nIndex) {
    switch (nIndex) {
    case SM_CXSCREEN:
        return ScreenWidth();
    case SM_CYSCREEN:
        return ScreenHeight();
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

// There are no cursor resources: any non-null handle serves, since the window
// system draws its own.
HCURSOR LoadCursorA(HINSTANCE, LPCSTR lpCursorName) {
    return reinterpret_cast<HCURSOR>(const_cast<char*>(lpCursorName));
}
