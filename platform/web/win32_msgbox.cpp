// The message box: a modal <dialog> on the page with the text and OK.
#include "platform/core/win32_backend.h"
#include "win32_web.h"

namespace win32_backend {

struct ModalBox {
    int id;
};

ModalBox* OpenModalBox(NativeWindow, const char* text, const char* caption) {
    return new ModalBox{web_box_open(text, caption)};
}

bool ModalBoxAnswered(ModalBox* box) {
    return web_box_answered(box->id) != 0;
}

void WaitForModalBox(ModalBox* box, int timeoutMilliseconds) {
    // Answering the box ends the wait as an event does.
    if (!ModalBoxAnswered(box))
        WaitForEvents(timeoutMilliseconds);
}

void CloseModalBox(ModalBox* box) {
    web_box_close(box->id);
    delete box;
}

} // namespace win32_backend
