// The one way into the operating system: <windows.h> on Windows, our own
// Win32 subset on Linux. Code above platform/ includes only this header.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// Our own names that <windows.h> turns into macros.
#undef LoadLibrary
#undef MessageBox
#undef near
#undef far
#undef Yield
// windowsx.h has these, with far more macros beside them than we want.
#ifndef GET_X_LPARAM
#define GET_X_LPARAM(lp) ((int)(short)LOWORD(lp))
#define GET_Y_LPARAM(lp) ((int)(short)HIWORD(lp))
#endif
#else
#include "core/win32_types.h"
#include "core/win32_time.h"
#include "core/win32_module.h"
#include "core/win32_window.h"
#include "core/win32_message.h"
#include "core/win32_gdi.h"
#include "core/win32_wgl.h"
#include "core/win32_msgbox.h"
#include "core/win32_resource.h"
// The names without A that <windows.h> maps to the ANSI functions (all but
// LoadLibrary and MessageBox, which Platform.h frees for our own use).
#define RegisterClassEx RegisterClassExA
#define RegisterClass RegisterClassA
#define UnregisterClass UnregisterClassA
#define GetClassInfoEx GetClassInfoExA
#define WNDCLASSEX WNDCLASSEXA
#define WNDCLASS WNDCLASSA
#define CREATESTRUCT CREATESTRUCTA
#define CreateWindowEx CreateWindowExA
#define DefWindowProc DefWindowProcA
#define CallWindowProc CallWindowProcA
#define SendMessage SendMessageA
#define PostMessage PostMessageA
#define PeekMessage PeekMessageA
#define GetMessage GetMessageA
#define DispatchMessage DispatchMessageA
#define SetWindowText SetWindowTextA
#define GetWindowText GetWindowTextA
#define GetWindowTextLength GetWindowTextLengthA
#define GetWindowLongPtr GetWindowLongPtrA
#define SetWindowLongPtr SetWindowLongPtrA
#define GetWindowLong GetWindowLongA
#define SetWindowLong SetWindowLongA
#define GetModuleHandle GetModuleHandleA
#define LoadCursor LoadCursorA
#define LoadIcon LoadIconA
#endif
