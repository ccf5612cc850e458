#include "platform/core/win32_gdi.h"

#include "win32_gdi_internal.h"
#include "platform/core/win32_internal.h"
#include "win32_module.h"
#include "win32_glx.h"
#include "win32_x11.h"

#include <X11/Xutil.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

namespace win32_internal {
namespace {

std::map<HDC, DeviceContext> gContexts;
std::uintptr_t gNextDC = 0x20000;

HDC NewDC(HWND window) {
    const HDC handle = reinterpret_cast<HDC>(gNextDC);
    gNextDC += 4;
    DeviceContext& dc = gContexts[handle];
    dc.handle = handle;
    dc.window = window;
    return handle;
}

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

WindowRecord* WindowOf(HDC hdc) {
    DeviceContext* dc = FindDC(hdc);
    return dc == nullptr ? nullptr : FindWindowRecord(dc->window);
}

} // namespace

DeviceContext* FindDC(HDC hdc) {
    const auto found = gContexts.find(hdc);
    return found == gContexts.end() ? nullptr : &found->second;
}

HDC WindowDC(WindowRecord* window) {
    if (window->dc == nullptr)
        window->dc = FindDC(NewDC(window->handle));
    return window->dc->handle;
}

void ReleaseWindowDC(WindowRecord* window) {
    if (window->dc == nullptr)
        return;
    ForgetDrawable(window->dc->handle);
    gContexts.erase(window->dc->handle);
    window->dc = nullptr;
}

const std::vector<PixelFormat>& PixelFormats() {
    BuildFormats();
    return gFormats;
}

const PixelFormat* FindPixelFormat(int index) {
    const std::vector<PixelFormat>& formats = PixelFormats();
    if (index < 1 || index > static_cast<int>(formats.size()))
        return nullptr;
    return &formats[index - 1];
}

::Window DrawableOf(HDC hdc, int* pixelFormat) {
    WindowRecord* window = WindowOf(hdc);
    if (window == nullptr)
        return 0;
    if (pixelFormat != nullptr)
        *pixelFormat = window->pixelFormat;
    return window->xwindow;
}

} // namespace win32_internal

using namespace win32_internal;

HDC GetDC(HWND hWnd) {
    if (hWnd == nullptr) {
        static HDC screen = nullptr;
        if (screen == nullptr)
            screen = NewDC(nullptr);
        return screen;
    }
    WindowRecord* window = FindWindowRecord(hWnd);
    if (window == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return WindowDC(window);
}

int ReleaseDC(HWND, HDC hDC) {
    return FindDC(hDC) != nullptr ? 1 : 0;
}

HWND WindowFromDC(HDC hDC) {
    DeviceContext* dc = FindDC(hDC);
    return dc == nullptr ? nullptr : dc->window;
}

int ChoosePixelFormat(HDC hdc, const PIXELFORMATDESCRIPTOR* ppfd) {
    DeviceContext* dc = FindDC(hdc);
    if (dc == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (ppfd == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::vector<PixelFormat>& formats = PixelFormats();
    const win32_x11::WindowConfig* window = win32_x11::WindowVisual();
    int best = 0;
    long bestScore = 0;
    for (std::size_t i = 0; i < formats.size(); ++i) {
        const PixelFormat& format = formats[i];
        // Only formats that fit the visual our windows were created with.
        if (window == nullptr || format.visualId != window->visualId)
            continue;
        const PIXELFORMATDESCRIPTOR& have = format.descriptor;
        if (ppfd->iPixelType != PFD_TYPE_RGBA)
            continue;
        if ((ppfd->dwFlags & PFD_SUPPORT_OPENGL) && !(have.dwFlags & PFD_SUPPORT_OPENGL))
            continue;
        long score = 0;
        const bool wantDouble = (ppfd->dwFlags & PFD_DOUBLEBUFFER) != 0;
        if (!(ppfd->dwFlags & PFD_DOUBLEBUFFER_DONTCARE) &&
            wantDouble != ((have.dwFlags & PFD_DOUBLEBUFFER) != 0))
            score += 100000;
        const bool wantStereo = (ppfd->dwFlags & PFD_STEREO) != 0;
        if (!(ppfd->dwFlags & PFD_STEREO_DONTCARE) &&
            wantStereo != ((have.dwFlags & PFD_STEREO) != 0))
            score += 50000;
        // Too few bits weigh more than too many.
        auto distance = [](int want, int got) {
            return got >= want ? got - want : 8 * (want - got);
        };
        score += 100 * distance(ppfd->cColorBits, have.cColorBits);
        score += 50 * distance(ppfd->cAlphaBits, have.cAlphaBits);
        if (!(ppfd->dwFlags & PFD_DEPTH_DONTCARE))
            score += 20 * distance(ppfd->cDepthBits, have.cDepthBits);
        score += 10 * distance(ppfd->cStencilBits, have.cStencilBits);
        score += 5 * distance(ppfd->cAccumBits, have.cAccumBits);
        score += distance(ppfd->cAuxBuffers, have.cAuxBuffers);
        if (best == 0 || score < bestScore) {
            best = static_cast<int>(i) + 1;
            bestScore = score;
        }
    }
    if (best == 0)
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
    return best;
}

BOOL SetPixelFormat(HDC hdc, int format, const PIXELFORMATDESCRIPTOR*) {
    DeviceContext* dc = FindDC(hdc);
    if (dc == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    WindowRecord* window = FindWindowRecord(dc->window);
    const PixelFormat* wanted = FindPixelFormat(format);
    const win32_x11::WindowConfig* config = win32_x11::WindowVisual();
    if (window == nullptr || wanted == nullptr || config == nullptr ||
        wanted->visualId != config->visualId) {
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
        return FALSE;
    }
    // A window takes one pixel format for life; setting it again only
    // succeeds with the same one.
    if (window->pixelFormat != 0 && window->pixelFormat != format) {
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
        return FALSE;
    }
    window->pixelFormat = format;
    return TRUE;
}

int GetPixelFormat(HDC hdc) {
    WindowRecord* window = WindowOf(hdc);
    if (window == nullptr || window->pixelFormat == 0) {
        SetLastError(window == nullptr ? ERROR_INVALID_HANDLE : ERROR_INVALID_PIXEL_FORMAT);
        return 0;
    }
    return window->pixelFormat;
}

int DescribePixelFormat(HDC hdc, int iPixelFormat, UINT nBytes, LPPIXELFORMATDESCRIPTOR ppfd) {
    if (FindDC(hdc) == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    const int count = static_cast<int>(PixelFormats().size());
    if (ppfd == nullptr)
        return count;
    const PixelFormat* format = FindPixelFormat(iPixelFormat);
    if (format == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::memcpy(ppfd, &format->descriptor,
                nBytes < sizeof(PIXELFORMATDESCRIPTOR) ? nBytes : sizeof(PIXELFORMATDESCRIPTOR));
    return count;
}

BOOL SwapBuffers(HDC hdc) {
    int pixelFormat = 0;
    const ::Window drawable = DrawableOf(hdc, &pixelFormat);
    if (drawable == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (pixelFormat == 0) {
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
        return FALSE;
    }
    win32_glx::glXSwapBuffers(win32_x11::Connection(), drawable);
    return TRUE;
}
