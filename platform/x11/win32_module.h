// Dynamic loading; the last error and its codes are the core's (win32_error.h).
// "opengl32.dll" is a module of our own (see win32_opengl32.h); any other
// name is handed to dlopen.
#pragma once

#include "platform/core/win32_error.h"
#include "platform/core/win32_types.h"

HMODULE LoadLibraryA(LPCSTR lpLibFileName);
BOOL FreeLibrary(HMODULE hLibModule);
FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
// Null names the program itself; otherwise only a module that is loaded.
HMODULE GetModuleHandleA(LPCSTR lpModuleName);

DWORD GetCurrentProcessId();
DWORD GetCurrentThreadId();
