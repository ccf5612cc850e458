#include "opengl/unit_opengl_api_binding_version_011.h"

#include "opengl/unit_opengl_api_library_version_011.h"
#include "opengl/unit_opengl_api_windows_extensions_routines_version_011.h"

#include <cstdint>
#include <cstring>

namespace {

// Every function pointer has the same representation here; copying bytes avoids
// casts between unrelated function types.
template <class TFunction> TOpenGLAPIBinding::TAddress ToAddress(TFunction ParaFunction) {
    static_assert(sizeof(TFunction) == sizeof(TOpenGLAPIBinding::TAddress));
    TOpenGLAPIBinding::TAddress Result;
    std::memcpy(&Result, &ParaFunction, sizeof Result);
    return Result;
}

std::uintptr_t ToInteger(TOpenGLAPIBinding::TAddress ParaAddress) {
    std::uintptr_t Result;
    std::memcpy(&Result, &ParaAddress, sizeof Result);
    return Result;
}

} // namespace

TOpenGLAPIBinding::TAddress TOpenGLAPIBinding::LookupInLibrary(const char* ParaName) {
    // By the handle, not the loaded flag: the system counts loads, so after two
    // loads and one unload the flag reads false while the handle still holds.
    // A zero handle would search the program itself; a handle whose last load
    // is gone finds nothing, as the system refuses unknown modules.
    if (TOpenGLAPILibrary::mLibraryHandle == nullptr) {
        return nullptr;
    }
    return ToAddress(GetProcAddress(TOpenGLAPILibrary::mLibraryHandle, ParaName));
}

TOpenGLAPIBinding::TAddress TOpenGLAPIBinding::LookupThroughWGL(const char* ParaName) {
    if (opengl_api::wglGetProcAddress == nullptr) {
        return nullptr;
    }
    const TAddress Address = ToAddress(opengl_api::wglGetProcAddress(ParaName));
    // Some Windows drivers answer 1, 2, 3 or -1 instead of nil for a missing name.
    const std::uintptr_t Value = ToInteger(Address);
    if (Value <= 3 || Value == static_cast<std::uintptr_t>(-1)) {
        return nullptr;
    }
    return Address;
}

void TOpenGLAPIBinding::Bind(TEntryPoints ParaEntryPoints, TLookup ParaLookup) {
    for (const TOpenGLAPIEntryPoint& EntryPoint : ParaEntryPoints) {
        const TAddress Address = ParaLookup(EntryPoint.mName);
        std::memcpy(EntryPoint.mVariable, &Address, sizeof Address);
    }
}

bool TOpenGLAPIBinding::AllBound(TEntryPoints ParaEntryPoints) {
    for (const TOpenGLAPIEntryPoint& EntryPoint : ParaEntryPoints) {
        if (BoundAddress(EntryPoint) == nullptr) {
            return false;
        }
    }
    return true;
}

TOpenGLAPIBinding::TAddress
TOpenGLAPIBinding::BoundAddress(const TOpenGLAPIEntryPoint& ParaEntryPoint) {
    TAddress Address;
    std::memcpy(&Address, ParaEntryPoint.mVariable, sizeof Address);
    return Address;
}
