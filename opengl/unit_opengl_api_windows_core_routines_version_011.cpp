#include "opengl/unit_opengl_api_windows_core_routines_version_011.h"

namespace opengl_api {
OPENGL_API_WINDOWS_CORE_ENTRY_POINTS(OPENGL_API_DEFINE_WGL_ENTRY_POINT)
}

namespace {
const TOpenGLAPIEntryPoint EntryPointTable[] = {
    OPENGL_API_WINDOWS_CORE_ENTRY_POINTS(OPENGL_API_ENTRY_POINT_BINDING)};
} // namespace

bool TOpenGLAPIWindowsCore::mAPIInitialized = false;

bool TOpenGLAPIWindowsCore::IsInitialized() {
    return mAPIInitialized;
}

bool TOpenGLAPIWindowsCore::Initialize() {
    return TOpenGLAPIBinding::InitializeOnBase<Base>(mAPIInitialized, EntryPoints(),
                                                     TOpenGLAPIBinding::LookupInLibrary);
}

TOpenGLAPIBinding::TEntryPoints TOpenGLAPIWindowsCore::EntryPoints() {
    return EntryPointTable;
}
