#include "platform/core/win32_module.h"

#include "win32_opengl32.h"

#include <dlfcn.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cctype>
#include <map>
#include <mutex>
#include <string>

namespace {

// Our opengl32.dll has no shared object of its own; this byte gives it a
// handle that no dlopen can return.
char gOpengl32Module;

struct LoadedModule {
    void* library = nullptr; // null for opengl32
    int references = 0;
};

// Built on first use and never destroyed: the program loads opengl32 while
// its statics are being constructed and frees it while they are destroyed.
std::mutex& ModulesMutex() {
    static auto* mutex = new std::mutex;
    return *mutex;
}

std::map<HMODULE, LoadedModule>& Modules() {
    static auto* modules = new std::map<HMODULE, LoadedModule>;
    return *modules;
}

HMODULE Opengl32Handle() {
    return reinterpret_cast<HMODULE>(&gOpengl32Module);
}

std::string Lower(const char* text) {
    std::string result(text);
    for (char& c : result)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

bool LooksLikeWindowsDll(const char* name) {
    const std::string lower = Lower(name);
    return lower.find('/') == std::string::npos && lower.size() > 4 &&
           lower.compare(lower.size() - 4, 4, ".dll") == 0;
}

} // namespace

HMODULE LoadLibraryA(LPCSTR lpLibFileName) {
    if (lpLibFileName == nullptr || *lpLibFileName == '\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(ModulesMutex());
    if (win32_internal::NamesOpengl32(lpLibFileName)) {
        if (win32_opengl32::LibGL() == nullptr) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return nullptr;
        }
        ++Modules()[Opengl32Handle()].references;
        return Opengl32Handle();
    }
    // Other Windows libraries do not exist here, and dlopen must not go
    // looking for a file of that name in the working directory.
    if (LooksLikeWindowsDll(lpLibFileName)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    void* library = dlopen(lpLibFileName, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    const HMODULE handle = static_cast<HMODULE>(library);
    LoadedModule& module = Modules()[handle];
    module.library = library;
    // dlopen counts too: every LoadLibrary has its dlclose in FreeLibrary.
    ++module.references;
    return handle;
}

BOOL FreeLibrary(HMODULE hLibModule) {
    std::lock_guard<std::mutex> lock(ModulesMutex());
    const auto found = Modules().find(hLibModule);
    if (found == Modules().end() || found->second.references <= 0) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return FALSE;
    }
    LoadedModule& module = found->second;
    --module.references;
    if (module.library != nullptr) {
        dlclose(module.library);
        if (module.references == 0)
            Modules().erase(found);
    }
    return TRUE;
}

FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
    // Lookups by ordinal have no meaning for shared objects.
    if (lpProcName == nullptr || reinterpret_cast<ULONG_PTR>(lpProcName) <= 0xFFFF) {
        SetLastError(hModule == nullptr ? ERROR_INVALID_HANDLE : ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    void* library = nullptr;
    {
        std::lock_guard<std::mutex> lock(ModulesMutex());
        if (hModule == Opengl32Handle()) {
            const auto found = Modules().find(hModule);
            if (found == Modules().end() || found->second.references <= 0) {
                SetLastError(ERROR_MOD_NOT_FOUND);
                return nullptr;
            }
            FARPROC function = win32_opengl32::Export(lpProcName);
            if (function == nullptr)
                SetLastError(ERROR_PROC_NOT_FOUND);
            return function;
        }
        if (hModule == GetModuleHandleA(nullptr)) {
            library = hModule;
        } else {
            const auto found = Modules().find(hModule);
            if (found == Modules().end()) {
                SetLastError(ERROR_INVALID_HANDLE);
                return nullptr;
            }
            library = found->second.library;
        }
    }
    FARPROC function = reinterpret_cast<FARPROC>(dlsym(library, lpProcName));
    if (function == nullptr)
        SetLastError(ERROR_PROC_NOT_FOUND);
    return function;
}

HMODULE GetModuleHandleA(LPCSTR lpModuleName) {
    if (lpModuleName == nullptr) {
        static void* const program = dlopen(nullptr, RTLD_NOW);
        return static_cast<HMODULE>(program);
    }
    if (win32_internal::NamesOpengl32(lpModuleName)) {
        std::lock_guard<std::mutex> lock(ModulesMutex());
        const auto found = Modules().find(Opengl32Handle());
        if (found != Modules().end() && found->second.references > 0)
            return Opengl32Handle();
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

DWORD GetCurrentProcessId() {
    return static_cast<DWORD>(getpid());
}

DWORD GetCurrentThreadId() {
    return static_cast<DWORD>(syscall(SYS_gettid));
}
