#include "toolkit/Unit_TCustomControl.h"

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner) {}

void TCustomControl::Repaint() {
    if (!HandleAllocated())
        return;
    InvalidateRect(Handle(), nullptr, FALSE);
    UpdateWindow(Handle());
}

void TCustomControl::Dispatch(TMessage& Message) {
    if (Message.Msg != WM_PAINT) {
        TWinControl::Dispatch(Message);
        return;
    }
    PAINTSTRUCT ps;
    BeginPaint(Handle(), &ps);
    // The region is validated even when Paint throws, or WM_PAINT would repeat forever.
    struct EndPaintGuard {
        HWND Window;
        PAINTSTRUCT* Ps;
        ~EndPaintGuard() { EndPaint(Window, Ps); }
    } guard{Handle(), &ps};
    Paint();
    Message.Result = 0;
}
