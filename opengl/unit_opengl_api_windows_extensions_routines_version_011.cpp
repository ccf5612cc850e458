#include "opengl/unit_opengl_api_windows_extensions_routines_version_011.h"

namespace opengl_api {
OPENGL_API_WINDOWS_LOOKUP_ENTRY_POINTS(OPENGL_API_DEFINE_WGL_ENTRY_POINT)
OPENGL_API_WINDOWS_EXTENSIONS_ENTRY_POINTS(OPENGL_API_DEFINE_WGL_ENTRY_POINT)
} // namespace opengl_api

namespace {
const TOpenGLAPIEntryPoint EntryPointTable[] = {
    OPENGL_API_WINDOWS_LOOKUP_ENTRY_POINTS(OPENGL_API_ENTRY_POINT_BINDING)
        OPENGL_API_WINDOWS_EXTENSIONS_ENTRY_POINTS(OPENGL_API_ENTRY_POINT_BINDING)};
} // namespace

bool TOpenGLAPIWindowsExtensions::mAPIInitialized = false;

bool TOpenGLAPIWindowsExtensions::IsInitialized() {
    return mAPIInitialized;
}

bool TOpenGLAPIWindowsExtensions::Initialize() {
    if (!Base::IsInitialized()) {
        Base::Initialize();
    }
    if (!Base::IsInitialized()) {
        return false;
    }
    // wglGetProcAddress first and on its own: without it nothing further can be asked.
    const TOpenGLAPIBinding::TEntryPoints Lookup = EntryPoints().first(1);
    TOpenGLAPIBinding::Bind(Lookup, TOpenGLAPIBinding::LookupInLibrary);
    if (!TOpenGLAPIBinding::AllBound(Lookup)) {
        return false;
    }
    const TOpenGLAPIBinding::TEntryPoints Extensions = EntryPoints().subspan(1);
    TOpenGLAPIBinding::Bind(Extensions, TOpenGLAPIBinding::LookupThroughWGL);
    if (!TOpenGLAPIBinding::AllBound(Extensions)) {
        return false;
    }
    mAPIInitialized = true;
    return true;
}

TOpenGLAPIBinding::TEntryPoints TOpenGLAPIWindowsExtensions::EntryPoints() {
    return EntryPointTable;
}
