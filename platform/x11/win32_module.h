// Dynamic loading and the thread's last error. "opengl32.dll" is a module of
// our own (see win32_opengl32.h); any other name is handed to dlopen.
#pragma once

#include "platform/core/win32_error.h"
#include "platform/core/win32_types.h"

#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_INVALID_DATA 13L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_MOD_NOT_FOUND 126L
#define ERROR_PROC_NOT_FOUND 127L
#define ERROR_BUSY 170L
#define ERROR_INVALID_WINDOW_HANDLE 1400L
#define ERROR_CANNOT_FIND_WND_CLASS 1407L
#define ERROR_TLW_WITH_WSCHILD 1406L
#define ERROR_CLASS_ALREADY_EXISTS 1410L
#define ERROR_CLASS_DOES_NOT_EXIST 1411L
#define ERROR_CLASS_HAS_WINDOWS 1412L
#define ERROR_INVALID_INDEX 1413L
#define ERROR_DC_NOT_FOUND 1425L
#define ERROR_INVALID_PIXEL_FORMAT 2000L

DWORD GetLastError();
void SetLastError(DWORD dwErrCode);

HMODULE LoadLibraryA(LPCSTR lpLibFileName);
BOOL FreeLibrary(HMODULE hLibModule);
FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
// Null names the program itself; otherwise only a module that is loaded.
HMODULE GetModuleHandleA(LPCSTR lpModuleName);

DWORD GetCurrentProcessId();
DWORD GetCurrentThreadId();
