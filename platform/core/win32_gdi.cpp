#include "win32_gdi.h"

#include "win32_backend.h"
#include "win32_error.h"
#include "win32_handles.h"
#include "win32_internal.h"

#include <cstring>
#include <vector>

namespace win32_internal {
namespace {

HandleTable<HDC, DeviceContext> gContexts(0x20000);

HDC NewDC(HWND window) {
    const HDC handle = gContexts.Add();
    DeviceContext& dc = *gContexts.Find(handle);
    dc.handle = handle;
    dc.window = window;
    return handle;
}

WindowRecord* WindowOf(HDC hdc) {
    DeviceContext* dc = FindDC(hdc);
    return dc == nullptr ? nullptr : FindWindowRecord(dc->window);
}

const PIXELFORMATDESCRIPTOR* FindPixelFormat(int index) {
    const std::vector<PIXELFORMATDESCRIPTOR>& formats = win32_backend::PixelFormats();
    if (index < 1 || index > static_cast<int>(formats.size()))
        return nullptr;
    return &formats[static_cast<std::size_t>(index) - 1];
}

} // namespace

DeviceContext* FindDC(HDC hdc) {
    return gContexts.Find(hdc);
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
    gContexts.Remove(window->dc->handle);
    window->dc = nullptr;
}

win32_backend::NativeWindow SurfaceOf(HDC hdc, int* pixelFormat) {
    WindowRecord* window = WindowOf(hdc);
    if (window == nullptr)
        return 0;
    if (pixelFormat != nullptr)
        *pixelFormat = window->pixelFormat;
    return window->native;
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
    const std::vector<PIXELFORMATDESCRIPTOR>& formats = win32_backend::PixelFormats();
    int best = 0;
    long bestScore = 0;
    for (std::size_t i = 0; i < formats.size(); ++i) {
        // Only formats that our windows can take.
        if (!win32_backend::WindowsTakePixelFormat(static_cast<int>(i) + 1))
            continue;
        const PIXELFORMATDESCRIPTOR& have = formats[i];
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
    if (window == nullptr || FindPixelFormat(format) == nullptr ||
        !win32_backend::WindowsTakePixelFormat(format)) {
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
    const int count = static_cast<int>(win32_backend::PixelFormats().size());
    if (ppfd == nullptr)
        return count;
    const PIXELFORMATDESCRIPTOR* format = FindPixelFormat(iPixelFormat);
    if (format == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::memcpy(ppfd, format,
                nBytes < sizeof(PIXELFORMATDESCRIPTOR) ? nBytes : sizeof(PIXELFORMATDESCRIPTOR));
    return count;
}

BOOL SwapBuffers(HDC hdc) {
    int pixelFormat = 0;
    const win32_backend::NativeWindow surface = SurfaceOf(hdc, &pixelFormat);
    if (surface == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (pixelFormat == 0) {
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
        return FALSE;
    }
    return win32_backend::SwapBuffers(surface) ? TRUE : FALSE;
}
