#include "opengl/unit_opengl_api_library_version_011.h"

HMODULE TOpenGLAPILibrary::mLibraryHandle = nullptr;
bool TOpenGLAPILibrary::mLibraryLoaded = false;
const char* TOpenGLAPILibrary::mLibraryFileName = "opengl32.dll";
bool TOpenGLAPILibrary::mAPIInitialized = false;

bool TOpenGLAPILibrary::IsInitialized() {
    return mAPIInitialized;
}

bool TOpenGLAPILibrary::Initialize() {
    mAPIInitialized = true;
    return true;
}

bool TOpenGLAPILibrary::LoadLibrary() {
    mLibraryLoaded = false;
    // The system folder only: a bare name would also find a copy planted beside the
    // program, which Windows searches first. A full path (a test's stand-in) loads as given.
    mLibraryHandle = LoadLibraryExA(mLibraryFileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (mLibraryHandle == nullptr) {
        return false;
    }
    mLibraryLoaded = true;
    return true;
}

bool TOpenGLAPILibrary::UnloadLibrary() {
    if (mLibraryHandle == nullptr) {
        return false;
    }
    // The handle keeps its value either way: the system counts loads, and
    // lookups go by the handle.
    if (!FreeLibrary(mLibraryHandle)) {
        return false;
    }
    mLibraryLoaded = false;
    return true;
}

namespace {

// The library is loaded when the program starts and freed when it ends; no step is
// initialized here, the OpenGL control does that on demand.
struct TLibraryModule {
    TLibraryModule() { TOpenGLAPILibrary::LoadLibrary(); }
    ~TLibraryModule() { TOpenGLAPILibrary::UnloadLibrary(); }
    TLibraryModule(const TLibraryModule&) = delete;
    TLibraryModule& operator=(const TLibraryModule&) = delete;
};

TLibraryModule LibraryModule;

} // namespace

// The opengl library's link options keep this object, and with it the load at start,
// in every program that links the library.
extern "C" const bool opengl_api_library_linked = true;
