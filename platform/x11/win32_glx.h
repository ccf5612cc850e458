// Internal: GLX, reached through libGL.so.1 opened at run time, so that the
// program starts (and its windows open) on a system without it.
#pragma once

#include <X11/Xlib.h>
#include <GL/glx.h>

#define WIN32_GLX_FUNCTIONS(X)                                                                     \
    X(glXQueryExtension)                                                                           \
    X(glXQueryExtensionsString)                                                                    \
    X(glXGetClientString)                                                                          \
    X(glXChooseFBConfig)                                                                           \
    X(glXGetFBConfigs)                                                                             \
    X(glXGetFBConfigAttrib)                                                                        \
    X(glXGetVisualFromFBConfig)                                                                    \
    X(glXCreateNewContext)                                                                         \
    X(glXDestroyContext)                                                                           \
    X(glXMakeContextCurrent)                                                                       \
    X(glXSwapBuffers)                                                                              \
    X(glXGetProcAddressARB)

namespace win32_glx {

#define WIN32_GLX_DECLARE(name) extern decltype(&::name) name;
WIN32_GLX_FUNCTIONS(WIN32_GLX_DECLARE)
#undef WIN32_GLX_DECLARE

// Binds every function above once; false (and all of them null) when
// libGL.so.1 or one of them is missing. Nothing here may be called before a
// true answer.
bool Load();

} // namespace win32_glx
