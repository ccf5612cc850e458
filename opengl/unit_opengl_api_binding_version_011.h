// What every step of the loader shares: the binding table, the two kinds of lookup
// and the pattern of a step's Initialize.
#pragma once

#include "platform/Platform.h"

#include <span>

// Each entry point is a variable named like it in namespace opengl_api, declared
// once in its step's X-macro list as (return type, name, parameters).
#define OPENGL_API_DECLARE_ENTRY_POINT(ParaReturn, ParaName, ParaParameters)                       \
    extern ParaReturn(APIENTRY* ParaName) ParaParameters;
#define OPENGL_API_DEFINE_ENTRY_POINT(ParaReturn, ParaName, ParaParameters)                        \
    ParaReturn(APIENTRY* ParaName) ParaParameters = nullptr;
#define OPENGL_API_DECLARE_WGL_ENTRY_POINT(ParaReturn, ParaName, ParaParameters)                   \
    extern ParaReturn(WINAPI* ParaName) ParaParameters;
#define OPENGL_API_DEFINE_WGL_ENTRY_POINT(ParaReturn, ParaName, ParaParameters)                    \
    ParaReturn(WINAPI* ParaName) ParaParameters = nullptr;
#define OPENGL_API_ENTRY_POINT_BINDING(ParaReturn, ParaName, ParaParameters)                       \
    TOpenGLAPIEntryPoint{#ParaName, &opengl_api::ParaName},

// One row of a binding table: the name to look up and the variable that receives it.
struct TOpenGLAPIEntryPoint {
    const char* mName;
    void* mVariable; // the address of a function-pointer variable of opengl_api
};

class TOpenGLAPIBinding {
public:
    using TEntryPoints = std::span<const TOpenGLAPIEntryPoint>;
    using TAddress = void (*)();
    using TLookup = TAddress (*)(const char* ParaName);

    TOpenGLAPIBinding() = delete;

    // By name in the library behind the library handle; nil without a handle.
    static TAddress LookupInLibrary(const char* ParaName);
    // Through the bound wglGetProcAddress; nil while it is unbound or no context is current.
    static TAddress LookupThroughWGL(const char* ParaName);

    // Looks up every name, also after a failure, and stores each result.
    static void Bind(TEntryPoints ParaEntryPoints, TLookup ParaLookup);
    // True if no variable of the table is nil; checks in binding order.
    static bool AllBound(TEntryPoints ParaEntryPoints);
    static TAddress BoundAddress(const TOpenGLAPIEntryPoint& ParaEntryPoint);

    // The pattern of every step above the library: base first, then bind, then check.
    // The step's own flag is only ever set here, never cleared.
    template <class TBase>
    static bool InitializeOnBase(bool& ParaInitialized, TEntryPoints ParaEntryPoints,
                                 TLookup ParaLookup) {
        if (!TBase::IsInitialized()) {
            TBase::Initialize();
        }
        if (!TBase::IsInitialized()) {
            return false;
        }
        Bind(ParaEntryPoints, ParaLookup);
        if (!AllBound(ParaEntryPoints)) {
            return false;
        }
        ParaInitialized = true;
        return true;
    }
};
