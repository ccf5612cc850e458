// Internal: who a top-level window is, for window managers and task bars:
// class, machine, process, icon, and the protocols it answers.
#pragma once

#include "platform/core/win32_types.h"

#include <X11/Xlib.h>

namespace win32_identity {

// WM_CLASS, WM_CLIENT_MACHINE, _NET_WM_PID, _NET_WM_ICON (from the window
// class icon) and WM_PROTOCOLS (WM_DELETE_WINDOW, _NET_WM_PING).
void Describe(::Window xwindow, HICON classIcon);

// A window manager's _NET_WM_PING goes back to the root window at once;
// true if the message was one.
bool AnswerPing(const XClientMessageEvent& message);

} // namespace win32_identity
