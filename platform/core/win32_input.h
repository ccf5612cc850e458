// What a backend tells the core about the screen: the only way events reach
// windows. Each function looks the window up again and ignores one that is
// gone or going, so a backend may report whatever the window system says
// about any window it once made.
#pragma once

#include "win32_backend.h"
#include "win32_types.h"

namespace win32_input {

// The window made on this native window, or null.
HWND WindowOf(win32_backend::NativeWindow native);

enum class Button { Left, Middle, Right };

// Key state as the window system reports it after the event, in MK_* bits.
// Positions are in the window's client area; screen is the pointer on screen.
void PointerMoved(HWND hwnd, WPARAM keys, int x, int y, POINT screen, DWORD time);
void ButtonChanged(HWND hwnd, Button button, bool pressed, WPARAM keys, int x, int y, POINT screen,
                   DWORD time);
// One notch is WHEEL_DELTA, positive away from the user (or to the right).
void WheelTurned(HWND hwnd, bool vertical, int delta, WPARAM keys, POINT screen, DWORD time);

// Part of the client area must be drawn again.
void Exposed(HWND hwnd, const RECT& rect);
// The client area got this size from outside (the window manager, the user).
void Resized(HWND hwnd, int width, int height);
// The window system asks the window to close, as the close button does.
void CloseRequested(HWND hwnd);
// The native window is gone, destroyed by someone else.
void NativeWindowDestroyed(HWND hwnd);

} // namespace win32_input
