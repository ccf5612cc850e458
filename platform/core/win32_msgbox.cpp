#include "win32_msgbox.h"

#include "win32_backend.h"
#include "win32_internal.h"
#include "win32_message.h"

#include <cstdio>

int MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT) {
    const char* text = lpText != nullptr ? lpText : "";
    const char* caption = lpCaption != nullptr ? lpCaption : "Error";
    const win32_internal::WindowRecord* owner = win32_internal::FindWindowRecord(hWnd);
    win32_backend::ModalBox* box =
        win32_backend::OpenModalBox(owner != nullptr ? owner->native : 0, text, caption);
    if (box == nullptr) {
        std::fprintf(stderr, "%s: %s\n", caption, text);
        return IDOK;
    }
    bool quit = false;
    int quitCode = 0;
    win32_internal::SetModalDepth(+1);
    while (!win32_backend::ModalBoxAnswered(box)) {
        // The program's own windows go on painting; their input waits.
        MSG msg;
        while (!quit && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                quitCode = static_cast<int>(msg.wParam);
                break;
            }
            DispatchMessageA(&msg);
        }
        if (quit)
            break;
        win32_backend::WaitForModalBox(box, 100);
    }
    win32_internal::SetModalDepth(-1);
    win32_backend::CloseModalBox(box);
    // A quit request ends the box and is left for the outer loop.
    if (quit)
        PostQuitMessage(quitCode);
    return IDOK;
}
