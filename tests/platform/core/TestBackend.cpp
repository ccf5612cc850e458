#include "TestBackend.h"

#include "platform/core/win32_error.h"
#include "platform/core/win32_gdi.h"
#include "platform/core/win32_module.h"

#include <atomic>
#include <vector>

namespace test_backend {
namespace {

std::map<win32_backend::NativeWindow, NativeState> gWindows;
win32_backend::NativeWindow gNext = 100;
std::function<void()> gPending;
bool gFailCreate = false;
std::atomic<int> gWakes{0};
int gSwaps = 0;

} // namespace

std::map<win32_backend::NativeWindow, NativeState>& Windows() {
    return gWindows;
}
void OnNextPump(std::function<void()> events) {
    gPending = std::move(events);
}
void FailNextCreate() {
    gFailCreate = true;
}
int WakeCount() {
    return gWakes;
}
int SwapCount() {
    return gSwaps;
}
void Reset() {
    gPending = nullptr;
    gFailCreate = false;
    gSwaps = 0;
}

} // namespace test_backend

namespace win32_backend {

using test_backend::gWindows;

NativeWindow CreateNativeWindow(const NativeWindowParams& params) {
    if (test_backend::gFailCreate) {
        test_backend::gFailCreate = false;
        win32_internal::ReportFailure(ERROR_NOT_ENOUGH_MEMORY, "test: no more windows");
        return 0;
    }
    const NativeWindow window = test_backend::gNext++;
    gWindows[window] =
        test_backend::NativeState{params.parent, params.x, params.y,         params.width,
                                  params.height, false,    params.decorated, {}};
    return window;
}
void DestroyNativeWindow(NativeWindow window) {
    gWindows.erase(window);
}
void PlaceNativeWindow(NativeWindow window, bool, int x, int y, int width, int height) {
    auto& state = gWindows.at(window);
    state.x = x;
    state.y = y;
    state.width = width;
    state.height = height;
}
void ShowNativeWindow(NativeWindow window, bool show) {
    gWindows.at(window).shown = show;
}
void SetNativeWindowTitle(NativeWindow window, const std::string& title) {
    gWindows.at(window).title = title;
}
POINT NativeClientOrigin(NativeWindow window) {
    const auto& state = gWindows.at(window);
    return POINT{state.x, state.y};
}
bool NativeWindowExists(NativeWindow window) {
    return gWindows.count(window) != 0;
}
SIZE ScreenSize() {
    return SIZE{1280, 1024};
}
RECT WorkArea() {
    return RECT{0, 0, 1280, 1024};
}
bool FrameExtents(RECT&) {
    return false;
}
bool CursorPosition(POINT& point) {
    point = POINT{0, 0};
    return true;
}
void PumpEvents() {
    if (auto events = std::move(test_backend::gPending)) {
        test_backend::gPending = nullptr;
        events();
    }
}
void WaitForEvents(int) {}
void Wake() {
    ++test_backend::gWakes;
}

struct ModalBox {
    int polls = 0;
};
ModalBox* OpenModalBox(NativeWindow, const char*, const char*) {
    return new ModalBox;
}
// Answered on its third look, so the nested loop turns a few times.
bool ModalBoxAnswered(ModalBox* box) {
    return ++box->polls >= 3;
}
void WaitForModalBox(ModalBox*, int) {}
void CloseModalBox(ModalBox* box) {
    delete box;
}

const std::vector<PIXELFORMATDESCRIPTOR>& PixelFormats() {
    static const std::vector<PIXELFORMATDESCRIPTOR> formats = [] {
        auto make = [](DWORD flags, BYTE color, BYTE depth) {
            PIXELFORMATDESCRIPTOR pfd{};
            pfd.nSize = sizeof pfd;
            pfd.nVersion = 1;
            pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | flags;
            pfd.iPixelType = PFD_TYPE_RGBA;
            pfd.cColorBits = color;
            pfd.cDepthBits = depth;
            return pfd;
        };
        // 1 and 2 fit our windows; 3, the closest to a 16-bit request, does not.
        return std::vector<PIXELFORMATDESCRIPTOR>{make(PFD_DOUBLEBUFFER, 24, 24), make(0, 24, 0),
                                                  make(PFD_DOUBLEBUFFER, 16, 16)};
    }();
    return formats;
}
bool WindowsTakePixelFormat(int format) {
    return format == 1 || format == 2;
}
NativeContext CreateContext(NativeWindow, int format) {
    return static_cast<NativeContext>(1000 + format);
}
void DestroyContext(NativeContext) {}
bool MakeCurrent(NativeWindow window, NativeContext context) {
    return context == 0 || gWindows.count(window) != 0;
}
bool SwapBuffers(NativeWindow) {
    ++test_backend::gSwaps;
    return true;
}
bool HasSwapControl() {
    return true;
}
bool SetSwapInterval(NativeWindow, int) {
    return true;
}
PROC GetProcAddress(const char*) {
    return nullptr;
}

} // namespace win32_backend

// The core's LoadLibraryExA ends here: this system has no libraries.
HMODULE LoadLibraryA(LPCSTR) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}
