// Modules in the browser: our opengl32.dll is the only library there is.
#include "platform/core/win32_module.h"

#include "win32_opengl32.h"

namespace {

// Handles that no other module can have.
char gOpengl32Module;
char gProgramModule;
int gOpengl32References = 0;

HMODULE Opengl32Handle() {
    return reinterpret_cast<HMODULE>(&gOpengl32Module);
}

} // namespace

HMODULE LoadLibraryA(LPCSTR lpLibFileName) {
    if (lpLibFileName == nullptr || *lpLibFileName == '\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!win32_internal::NamesOpengl32(lpLibFileName)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    ++gOpengl32References;
    return Opengl32Handle();
}

BOOL FreeLibrary(HMODULE hLibModule) {
    if (hLibModule != Opengl32Handle() || gOpengl32References <= 0) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return FALSE;
    }
    --gOpengl32References;
    return TRUE;
}

FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
    // Lookups by ordinal: there is no table of numbers to look them up in.
    if (lpProcName == nullptr || reinterpret_cast<ULONG_PTR>(lpProcName) <= 0xFFFF) {
        SetLastError(hModule == nullptr ? ERROR_INVALID_HANDLE : ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    if (hModule == Opengl32Handle()) {
        if (gOpengl32References <= 0) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return nullptr;
        }
        FARPROC function = win32_opengl32::Export(lpProcName);
        if (function == nullptr)
            SetLastError(ERROR_PROC_NOT_FOUND);
        return function;
    }
    // The program exports nothing by name.
    SetLastError(hModule == GetModuleHandleA(nullptr) ? ERROR_PROC_NOT_FOUND
                                                      : ERROR_INVALID_HANDLE);
    return nullptr;
}

HMODULE GetModuleHandleA(LPCSTR lpModuleName) {
    if (lpModuleName == nullptr)
        return reinterpret_cast<HMODULE>(&gProgramModule);
    if (win32_internal::NamesOpengl32(lpModuleName) && gOpengl32References > 0)
        return Opengl32Handle();
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

DWORD GetCurrentProcessId() {
    // One page, one process.
    return 1;
}

DWORD GetCurrentThreadId() {
    return 1;
}
