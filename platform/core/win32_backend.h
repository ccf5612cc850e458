// What the core asks of a backend. The core (this folder) holds Windows'
// rules and knows no window system; a backend (platform/x11/, platform/web/)
// defines every function below and those of win32_module.h, reports what
// happens on screen through the core's input functions (win32_input.h), and
// adds only what is its system's own (its opengl32.dll, for one).
//
// Rules every function here keeps:
// - Everything is called on the thread that runs the windows, except Wake
//   (any thread) and the context calls (the thread that makes it current).
// - A backend never calls a window procedure, never sends a message and never
//   touches a window record: it tells the core, and the core decides.
// - A failure is reported through win32_internal::ReportFailure (win32_error.h)
//   with its error code and a sentence, then answered with the neutral value
//   given below; nothing is thrown.
#pragma once

#include "win32_types.h"

#include <cstdint>
#include <string>
#include <vector>

struct PIXELFORMATDESCRIPTOR;

namespace win32_backend {

// The backend's own window and rendering context; 0 is none.
using NativeWindow = std::uintptr_t;
using NativeContext = std::uintptr_t;

// ---- Native windows. Positions and sizes are always the client area's:
// the frame, if any, is the window manager's business.

struct NativeWindowParams {
    // 0 for a top-level window; a child lies in its parent's client area.
    NativeWindow parent;
    // In the parent's client area, or on the screen for a top-level window.
    int x;
    int y;
    // May be 0: the native window is then 1 pixel, the record keeps 0.
    int width;
    int height;
    // A top-level window with a caption gets the window manager's frame;
    // without one, none at all.
    bool decorated;
    // The class icon, for task bars and switchers; may be null.
    HICON icon;
};

// Creates the window hidden, able to take the pixel formats that
// WindowsTakePixelFormat accepts, and says who the program is (class names,
// process, icon, close and ping protocols) for a top-level one. 0 on failure.
NativeWindow CreateNativeWindow(const NativeWindowParams& params);
// Its native children, if any are left, go with it.
void DestroyNativeWindow(NativeWindow window);
// Moves and sizes the client area. The backend remembers that it asked, so
// that the window system's confirmation of this very request does not come
// back to the core as a change from outside.
void PlaceNativeWindow(NativeWindow window, bool topLevel, int x, int y, int width, int height);
void ShowNativeWindow(NativeWindow window, bool show);
// Top-level windows only; the text is UTF-8 as far as the caller made it so.
void SetNativeWindowTitle(NativeWindow window, const std::string& title);
// The client area's top-left corner on the screen, as it is now.
POINT NativeClientOrigin(NativeWindow window);
// Whether the window system still has this window. Asked only after a window
// went away unexpectedly: it may cost a round trip.
bool NativeWindowExists(NativeWindow window);

// ---- The screen.

SIZE ScreenSize();
// The desktop less what panels and docks reserve; the screen without them.
RECT WorkArea();
// The frame a window manager puts around a decorated top-level window (left,
// top, right, bottom); false when there is no manager that says.
bool FrameExtents(RECT& extents);
// The pointer on the screen; false without a window system.
bool CursorPosition(POINT& point);

// ---- Time. The core's clocks (GetTickCount, QueryPerformanceCounter) are the
// standard library's steady clock, which every system has; a backend gives
// input its own time stamps in milliseconds, which the core uses as the
// messages' time and to tell double clicks.

// ---- Events.

// Translates every event that has arrived, without waiting, into calls of the
// core's input functions.
void PumpEvents();
// Blocks until an event arrives, Wake is called or the time-out passes
// (milliseconds; -1 waits forever). Returns at once if events are pending.
void WaitForEvents(int timeoutMilliseconds);
// From any thread: ends a WaitForEvents now or the next one that starts.
void Wake();

// ---- The modal message box: the text and an OK button. The core runs the
// nested loop; the box's own events never reach the core's queue.

struct ModalBox;
// Null when the backend cannot show one (no display): the core then writes
// the text to standard error.
ModalBox* OpenModalBox(NativeWindow owner, const char* text, const char* caption);
// Handles the box's pending events; true once it is answered (OK, Enter,
// Escape, the close button).
bool ModalBoxAnswered(ModalBox* box);
// As WaitForEvents, but also returns for an event of the box.
void WaitForModalBox(ModalBox* box, int timeoutMilliseconds);
void CloseModalBox(ModalBox* box);

// ---- OpenGL surfaces and contexts. Pixel formats are numbered from 1 in the
// order of PixelFormats(); the core chooses, checks and remembers them.

const std::vector<PIXELFORMATDESCRIPTOR>& PixelFormats();
// Whether a window as CreateNativeWindow makes it can draw with this format.
bool WindowsTakePixelFormat(int format);
// 0 on failure (reported). The context is current nowhere. The window is the
// one whose device context wglCreateContext was given: a backend whose
// contexts belong to one surface (WebGL's to one canvas) makes it there.
NativeContext CreateContext(NativeWindow window, int format);
void DestroyContext(NativeContext context);
// Makes the context current on the window for the calling thread; (0, 0)
// releases the thread's current context. False on failure (reported).
bool MakeCurrent(NativeWindow window, NativeContext context);
bool SwapBuffers(NativeWindow window);
// Vertical sync per window; false if the window system offers no control.
bool HasSwapControl();
bool SetSwapInterval(NativeWindow window, int interval);
// An OpenGL entry point after 1.1 of the thread's current context: null
// unless that context's version or extensions offer it.
PROC GetProcAddress(const char* name);

} // namespace win32_backend
