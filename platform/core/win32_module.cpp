// Windows' rules for loading, the same over every backend: the flags a load
// takes, and the names that mean the system's opengl32.dll.
#include "win32_module.h"

#include "win32_wgl.h"

#include <cctype>
#include <cstring>
#include <string>

namespace win32_internal {
namespace {

template <class Function> FARPROC AsFarProc(Function function) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

} // namespace

bool NamesOpengl32(const char* name) {
    std::string lower(name);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const auto slash = lower.find_last_of("\\/");
    if (slash != std::string::npos)
        lower.erase(0, slash + 1);
    return lower == "opengl32" || lower == "opengl32.dll";
}

FARPROC WglExport(const char* name) {
    // Local, so that lookups made while the program's statics are being
    // constructed find it filled in.
    static const struct {
        const char* name;
        FARPROC function;
    } kWglExports[] = {
        {"wglCreateContext", AsFarProc(&::wglCreateContext)},
        {"wglDeleteContext", AsFarProc(&::wglDeleteContext)},
        {"wglGetCurrentContext", AsFarProc(&::wglGetCurrentContext)},
        {"wglGetCurrentDC", AsFarProc(&::wglGetCurrentDC)},
        {"wglGetProcAddress", AsFarProc(&::wglGetProcAddress)},
        {"wglMakeCurrent", AsFarProc(&::wglMakeCurrent)},
    };
    for (const auto& entry : kWglExports)
        if (std::strcmp(entry.name, name) == 0)
            return entry.function;
    return nullptr;
}

} // namespace win32_internal

HMODULE LoadLibraryExA(LPCSTR lpLibFileName, HANDLE hFile, DWORD dwFlags) {
    constexpr DWORD searchFlags = LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR |
                                  LOAD_LIBRARY_SEARCH_APPLICATION_DIR |
                                  LOAD_LIBRARY_SEARCH_USER_DIRS | LOAD_LIBRARY_SEARCH_SYSTEM32 |
                                  LOAD_LIBRARY_SEARCH_DEFAULT_DIRS;
    if (hFile != nullptr || (dwFlags & ~searchFlags) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // Our opengl32 is the system's own and nothing else is searched for, so
    // each of these loads as LoadLibraryA does.
    return LoadLibraryA(lpLibFileName);
}

BOOL SetDefaultDllDirectories(DWORD DirectoryFlags) {
    // A DLL's own folder means something for one load only: no default.
    constexpr DWORD defaultFlags = LOAD_LIBRARY_SEARCH_APPLICATION_DIR |
                                   LOAD_LIBRARY_SEARCH_USER_DIRS | LOAD_LIBRARY_SEARCH_SYSTEM32 |
                                   LOAD_LIBRARY_SEARCH_DEFAULT_DIRS;
    if (DirectoryFlags == 0 || (DirectoryFlags & ~defaultFlags) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}
