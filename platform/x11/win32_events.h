// Internal: X events become what the core's input functions take, and the
// wait for them.
#pragma once

#include <X11/Xlib.h>

namespace win32_events {

// Blocks until an X event, a Wake or input on extraFd (if not -1) arrives, or
// the time-out passes (-1 waits forever).
void WaitForEvents(int extraFd, int timeoutMilliseconds);
// Our own move or resize of the window is confirmed by events with an
// earlier serial than this; later ones are changes from outside.
void NoteOwnConfigure(::Window xwindow, unsigned long nextSerial);
void ForgetWindow(::Window xwindow);

} // namespace win32_events
