// Internal: the records behind window, device-context and class handles,
// shared by the files of our Win32 subset. Handles are looked up, never
// dereferenced, so a stale or forged handle is refused rather than followed.
#pragma once

#include "win32_backend.h"
#include "win32_window.h"

#include <cstdint>
#include <string>
#include <vector>

namespace win32_internal {

struct WindowClass {
    std::string name;
    ATOM atom = 0;
    UINT style = 0;
    WNDPROC proc = nullptr;
    int windowExtra = 0;
    HINSTANCE instance = nullptr;
    HBRUSH background = nullptr;
    HCURSOR cursor = nullptr;
    HICON icon = nullptr;
    int windowCount = 0;
};

struct DeviceContext;

struct WindowRecord {
    HWND handle = nullptr;
    WindowClass* windowClass = nullptr;
    WNDPROC proc = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    HWND parent = nullptr;
    HMENU menu = nullptr;
    HINSTANCE instance = nullptr;
    LONG_PTR userData = 0;
    std::vector<unsigned char> extra;
    std::string text;
    win32_backend::NativeWindow native = 0;
    int clientWidth = 0;
    int clientHeight = 0;
    // Client origin: in the parent's client area for children, on the screen
    // for top-level windows as last requested or reported.
    int clientX = 0;
    int clientY = 0;
    bool visible = false;
    // Overlapped windows learn their size when first shown, not when created.
    bool needSize = false;
    bool destroying = false;
    // The update region, kept as its bounding rectangle.
    bool invalid = false;
    RECT invalidRect{};
    bool eraseNeeded = false;
    int pixelFormat = 0;
    DeviceContext* dc = nullptr;
    // What wglSwapIntervalEXT last gave the window; 1 until then, as on Windows.
    int swapInterval = 1;
    // For double clicks on CS_DBLCLKS classes.
    unsigned lastClickButton = 0;
    DWORD lastClickTime = 0;
    int lastClickX = 0;
    int lastClickY = 0;
};

struct DeviceContext {
    HDC handle = nullptr;
    HWND window = nullptr; // null for the screen's
};

WindowClass* FindClass(LPCSTR name);

// Null for a handle that is no (longer a) window. Any message sent runs the
// program's code, which may destroy the window: after every send, look the
// record up again instead of keeping a pointer across it.
WindowRecord* FindWindowRecord(HWND hwnd);
WindowRecord* FindWindowRecordByNative(win32_backend::NativeWindow native);
std::vector<HWND> WindowsInCreationOrder();
std::vector<HWND> ChildrenOf(HWND hwnd);
// Thread-safe: for posting from other threads.
bool IsLiveWindow(HWND hwnd);
bool IsDescendant(HWND hwnd, HWND ancestor);
// The window and all its ancestors are shown.
bool ShownOnScreen(const WindowRecord* window);
// Maps or unmaps; returns whether it was visible before.
bool Show(HWND hwnd, bool show);
// Invalid and on screen: due for a WM_PAINT.
bool PaintPending(const WindowRecord* window);
DeviceContext* FindDC(HDC hdc);
// The window's own context, made on first use and kept until it is destroyed.
HDC WindowDC(WindowRecord* window);
void ReleaseWindowDC(WindowRecord* window);
// The native window behind a window's DC, 0 for any other; its pixel format too.
win32_backend::NativeWindow SurfaceOf(HDC hdc, int* pixelFormat);
// Called before a window's native window goes away, so a context current on
// it does not keep drawing into a dead surface.
void ForgetDrawable(HDC hdc);

// Input from the window system, behind posted messages; a mouse move
// replaces one that still waits, as on Windows.
void QueueInputMessage(const MSG& msg);
std::size_t QueuedInputCount();
// While a message box is up, input to other windows is dropped.
void SetModalDepth(int change);
bool Modal();

// The non-client area around the client area for these styles.
RECT Insets(DWORD style, DWORD exStyle);
// Sends the record's client position and size to the native window.
void ApplyGeometry(WindowRecord* window);
// The client area got a new size from outside (the window manager or
// another client): records it and sends WM_SIZE.
void ClientResizedFromOutside(WindowRecord* window, int width, int height);
void InvalidateWhole(WindowRecord* window, bool erase);
void AddInvalidRect(WindowRecord* window, const RECT& rect, bool erase);
void PostCloseRequest(WindowRecord* window);
// Someone else destroyed the window's native window: the window is destroyed
// as DestroyWindow would do it, children included, with no native call on them.
void DestroyedFromOutside(WindowRecord* window);

} // namespace win32_internal
