// Dynamic loading. The core checks what Windows checks (LoadLibraryExA's and
// SetDefaultDllDirectories' flags, in win32_module.cpp); each backend defines
// the rest. "opengl32.dll" is the backend's own module; what other names
// reach is the backend's business (dlopen on Linux, nothing in the browser).
#pragma once

#include "win32_error.h"
#include "win32_types.h"

// Where a load searches.
#define LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR 0x00000100
#define LOAD_LIBRARY_SEARCH_APPLICATION_DIR 0x00000200
#define LOAD_LIBRARY_SEARCH_USER_DIRS 0x00000400
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#define LOAD_LIBRARY_SEARCH_DEFAULT_DIRS 0x00001000

HMODULE LoadLibraryA(LPCSTR lpLibFileName);
// hFile must be null; flags other than the LOAD_LIBRARY_SEARCH_ ones are refused.
HMODULE LoadLibraryExA(LPCSTR lpLibFileName, HANDLE hFile, DWORD dwFlags);
// Checks the flags as Windows does; the search itself needs no change here.
BOOL SetDefaultDllDirectories(DWORD DirectoryFlags);
BOOL FreeLibrary(HMODULE hLibModule);
FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
// Null names the program itself; otherwise only a module that is loaded.
HMODULE GetModuleHandleA(LPCSTR lpModuleName);

DWORD GetCurrentProcessId();
DWORD GetCurrentThreadId();

namespace win32_internal {
// "opengl32", "OPENGL32.DLL" and "C:\\Windows\\System32\\opengl32.dll" all
// name the system library, as LoadLibrary would find it.
bool NamesOpengl32(const char* name);
// The WGL functions opengl32.dll exports, by name; null for any other.
FARPROC WglExport(const char* name);
} // namespace win32_internal
