// The thread's message queue, in Windows' order: posted messages first, then
// input from the window system (a mouse move merged into one that still
// waits), then WM_PAINT for windows with an update region.
#pragma once

#include "win32_wndproc.h"

#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001
#define PM_NOYIELD 0x0002

BOOL PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg);
// 0 for WM_QUIT, -1 for an invalid window filter, otherwise non-zero.
BOOL GetMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax);
BOOL TranslateMessage(const MSG* lpMsg);
// A null window posts to the thread itself, as PostThreadMessage would.
BOOL PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int nExitCode);
BOOL WaitMessage();
