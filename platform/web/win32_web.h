// The page's side of the backend (win32_web.js): native windows are numbered
// elements, events wait in the page until the program takes them.
#pragma once

#include <cstdint>

namespace win32_web {

// What web_next_event gives, nine numbers an event.
enum EventKind : std::int32_t {
    kMove = 1,
    kButtonDown = 2,
    kButtonUp = 3,
    kWheel = 4,
    kExpose = 5,
    kResize = 6,
    kClose = 7,
};

struct Event {
    std::int32_t kind;
    std::int32_t window;
    // The button (0 left, 1 middle, 2 right), or for the wheel 1 if vertical.
    std::int32_t button;
    // MK_* bits after the event.
    std::int32_t keys;
    // In the client area; for the wheel x is the amount. Exposes and resizes
    // carry their rectangle in x, y, screenX, screenY: left, top, right, bottom
    // (exposes) or width, height (resizes, in x and y).
    std::int32_t x;
    std::int32_t y;
    std::int32_t screenX;
    std::int32_t screenY;
    std::int32_t time;
};

} // namespace win32_web

extern "C" {
int web_create_window(int id, int parent, int x, int y, int width, int height, int decorated);
void web_destroy_window(int id);
void web_place_window(int id, int x, int y, int width, int height);
void web_show_window(int id, int show);
void web_set_title(int id, const char* text);
void web_client_origin(int id, int* out);
int web_window_exists(int id);
void web_screen(int* out);
void web_frame(int* out);
void web_pointer(int* out);
int web_next_event(win32_web::Event* out);
int web_events_pending();
void web_wake();
int web_take_wake();
void web_wait(int timeoutMilliseconds);
int web_box_open(const char* text, const char* caption);
int web_box_answered(int box);
void web_box_close(int box);
int web_use_canvas(int window);
void web_log(const char* text);
}
