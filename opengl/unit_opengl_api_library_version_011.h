// The root of the loader chain: the system OpenGL library itself.
#pragma once

#include "platform/Platform.h"

class TOpenGLAPILibrary {
public:
    TOpenGLAPILibrary() = delete;

    static bool IsInitialized();
    // Needs nothing and always succeeds: a missing library shows up one step later.
    static bool Initialize();

    // Called once at program start and once at program end; see the .cpp.
    static bool LoadLibrary();
    static bool UnloadLibrary();

    static HMODULE mLibraryHandle;
    // True while the library is loaded; separate from the step's own flag.
    static bool mLibraryLoaded;
    // The file LoadLibrary loads from the system folder. Tests point it at a
    // stand-in driver by its full path.
    static const char* mLibraryFileName;

private:
    static bool mAPIInitialized;
};
