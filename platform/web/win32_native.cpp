// Native windows and the screen, as elements of the page.
#include "platform/core/win32_backend.h"
#include "platform/core/win32_error.h"
#include "win32_web.h"

#include <map>

namespace win32_backend {
namespace {

int gNextWindow = 1;

int Id(NativeWindow window) {
    return static_cast<int>(window);
}

} // namespace

NativeWindow CreateNativeWindow(const NativeWindowParams& params) {
    const int id = gNextWindow++;
    // A title bar only for a top-level window with a caption, as a window
    // manager frames it; the icon is the page's own.
    if (!web_create_window(id, Id(params.parent), params.x, params.y, params.width, params.height,
                           params.decorated ? 1 : 0)) {
        win32_internal::ReportFailure(ERROR_INVALID_WINDOW_HANDLE,
                                      "CreateWindow: the parent window has no place on the page");
        return 0;
    }
    return static_cast<NativeWindow>(id);
}

void DestroyNativeWindow(NativeWindow window) {
    web_destroy_window(Id(window));
}

void PlaceNativeWindow(NativeWindow window, bool, int x, int y, int width, int height) {
    // The page answers nothing back, so there is no confirmation to tell
    // from a change made by the user.
    web_place_window(Id(window), x, y, width, height);
}

void ShowNativeWindow(NativeWindow window, bool show) {
    web_show_window(Id(window), show ? 1 : 0);
}

void SetNativeWindowTitle(NativeWindow window, const std::string& title) {
    web_set_title(Id(window), title.c_str());
}

POINT NativeClientOrigin(NativeWindow window) {
    int at[2] = {0, 0};
    web_client_origin(Id(window), at);
    return POINT{at[0], at[1]};
}

bool NativeWindowExists(NativeWindow window) {
    return web_window_exists(Id(window)) != 0;
}

SIZE ScreenSize() {
    int size[2] = {0, 0};
    web_screen(size);
    return SIZE{size[0], size[1]};
}

RECT WorkArea() {
    const SIZE size = ScreenSize();
    return RECT{0, 0, size.cx, size.cy};
}

bool FrameExtents(RECT& extents) {
    int frame[4] = {0, 0, 0, 0};
    web_frame(frame);
    extents = RECT{frame[0], frame[1], frame[2], frame[3]};
    return true;
}

bool CursorPosition(POINT& point) {
    int at[2] = {0, 0};
    web_pointer(at);
    point = POINT{at[0], at[1]};
    return true;
}

} // namespace win32_backend
