// Pixel formats over GLX framebuffer configurations, and the buffer swap.
#include "win32_gdi_internal.h"

#include "platform/core/win32_backend.h"
#include "platform/core/win32_error.h"
#include "win32_glx.h"
#include "win32_x11.h"

#include <X11/Xutil.h>

#include <vector>

namespace win32_x11 {
namespace {

std::vector<PixelFormat> gFormats;
bool gFormatsBuilt = false;

PIXELFORMATDESCRIPTOR Describe(Display* display, GLXFBConfig config) {
    auto attribute = [&](int name) {
        int value = 0;
        win32_glx::glXGetFBConfigAttrib(display, config, name, &value);
        return value;
    };
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof(PIXELFORMATDESCRIPTOR);
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_SUPPORT_COMPOSITION;
    if (attribute(GLX_DOUBLEBUFFER))
        pfd.dwFlags |= PFD_DOUBLEBUFFER | PFD_SWAP_EXCHANGE;
    if (attribute(GLX_STEREO))
        pfd.dwFlags |= PFD_STEREO;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cRedBits = static_cast<BYTE>(attribute(GLX_RED_SIZE));
    pfd.cGreenBits = static_cast<BYTE>(attribute(GLX_GREEN_SIZE));
    pfd.cBlueBits = static_cast<BYTE>(attribute(GLX_BLUE_SIZE));
    pfd.cAlphaBits = static_cast<BYTE>(attribute(GLX_ALPHA_SIZE));
    // Colour bits leave alpha out, as Windows counts them.
    pfd.cColorBits = static_cast<BYTE>(pfd.cRedBits + pfd.cGreenBits + pfd.cBlueBits);
    pfd.cBlueShift = 0;
    pfd.cGreenShift = pfd.cBlueBits;
    pfd.cRedShift = static_cast<BYTE>(pfd.cBlueBits + pfd.cGreenBits);
    pfd.cAlphaShift = pfd.cAlphaBits ? pfd.cColorBits : 0;
    pfd.cAccumRedBits = static_cast<BYTE>(attribute(GLX_ACCUM_RED_SIZE));
    pfd.cAccumGreenBits = static_cast<BYTE>(attribute(GLX_ACCUM_GREEN_SIZE));
    pfd.cAccumBlueBits = static_cast<BYTE>(attribute(GLX_ACCUM_BLUE_SIZE));
    pfd.cAccumAlphaBits = static_cast<BYTE>(attribute(GLX_ACCUM_ALPHA_SIZE));
    pfd.cAccumBits = static_cast<BYTE>(pfd.cAccumRedBits + pfd.cAccumGreenBits +
                                       pfd.cAccumBlueBits + pfd.cAccumAlphaBits);
    pfd.cDepthBits = static_cast<BYTE>(attribute(GLX_DEPTH_SIZE));
    pfd.cStencilBits = static_cast<BYTE>(attribute(GLX_STENCIL_SIZE));
    pfd.cAuxBuffers = static_cast<BYTE>(attribute(GLX_AUX_BUFFERS));
    pfd.iLayerType = PFD_MAIN_PLANE;
    return pfd;
}

void BuildFormats() {
    if (gFormatsBuilt)
        return;
    gFormatsBuilt = true;
    Display* display = win32_x11::Connection();
    const win32_x11::WindowConfig* window = win32_x11::WindowVisual();
    if (display == nullptr || window == nullptr)
        return;
    int count = 0;
    GLXFBConfig* configs = win32_glx::glXGetFBConfigs(display, DefaultScreen(display), &count);
    if (configs == nullptr)
        return;
    std::vector<PixelFormat> own, others;
    for (int i = 0; i < count; ++i) {
        int renderType = 0, drawableType = 0, visualId = 0;
        win32_glx::glXGetFBConfigAttrib(display, configs[i], GLX_RENDER_TYPE, &renderType);
        win32_glx::glXGetFBConfigAttrib(display, configs[i], GLX_DRAWABLE_TYPE, &drawableType);
        win32_glx::glXGetFBConfigAttrib(display, configs[i], GLX_VISUAL_ID, &visualId);
        if (!(renderType & GLX_RGBA_BIT) || !(drawableType & GLX_WINDOW_BIT) || visualId == 0)
            continue;
        PixelFormat format{configs[i], static_cast<unsigned long>(visualId),
                           Describe(display, configs[i])};
        // The windows' own visual first, its exact configuration leading:
        // those are the formats a window can take.
        if (configs[i] == window->config)
            own.insert(own.begin(), format);
        else if (format.visualId == window->visualId)
            own.push_back(format);
        else
            others.push_back(format);
    }
    XFree(configs);
    gFormats = own;
    gFormats.insert(gFormats.end(), others.begin(), others.end());
}

} // namespace

const PixelFormat* FindPixelFormat(int index) {
    BuildFormats();
    if (index < 1 || index > static_cast<int>(gFormats.size()))
        return nullptr;
    return &gFormats[static_cast<std::size_t>(index) - 1];
}

} // namespace win32_x11

namespace win32_backend {

const std::vector<PIXELFORMATDESCRIPTOR>& PixelFormats() {
    static std::vector<PIXELFORMATDESCRIPTOR> descriptors;
    static bool built = false;
    if (!built) {
        built = true;
        win32_x11::BuildFormats();
        for (const win32_x11::PixelFormat& format : win32_x11::gFormats)
            descriptors.push_back(format.descriptor);
    }
    return descriptors;
}

bool WindowsTakePixelFormat(int format) {
    const win32_x11::PixelFormat* found = win32_x11::FindPixelFormat(format);
    const win32_x11::WindowConfig* config = win32_x11::WindowVisual();
    return found != nullptr && config != nullptr && found->visualId == config->visualId;
}

bool SwapBuffers(NativeWindow window) {
    Display* display = win32_x11::Connection();
    if (display == nullptr || !win32_glx::Load()) {
        win32_internal::ReportFailure(ERROR_INVALID_HANDLE, "SwapBuffers: no GLX");
        return false;
    }
    win32_glx::glXSwapBuffers(display, static_cast<::Window>(window));
    return true;
}

} // namespace win32_backend
