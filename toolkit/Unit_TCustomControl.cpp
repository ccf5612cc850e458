#include "toolkit/Unit_TCustomControl.h"

TCustomControl::TCustomControl(TComponent* AOwner)
    : TWinControl(AOwner), mCanvas([this]() -> HDC {
          if (!HandleAllocated())
              return nullptr;
          mCanvasWindow = Handle();
          return GetDC(mCanvasWindow);
      }) {}

void TCustomControl::Repaint() {
    if (!HandleAllocated())
        return;
    InvalidateRect(Handle(), nullptr, FALSE);
    UpdateWindow(Handle());
}

void TCustomControl::ReleaseCanvasHandle() {
    if (mCanvas.HandleAllocated() && mCanvasWindow)
        ReleaseDC(mCanvasWindow, mCanvas.Handle());
    mCanvas.SetHandle(nullptr);
    mCanvasWindow = nullptr;
}

void TCustomControl::Dispatch(TMessage& Message) {
    // A context of a window that is gone, or of an earlier window, is no use.
    if (Message.Msg == WM_NCDESTROY || (mCanvasWindow && mCanvasWindow != Handle()))
        ReleaseCanvasHandle();
    if (Message.Msg != WM_PAINT) {
        TWinControl::Dispatch(Message);
        return;
    }
    PAINTSTRUCT ps;
    BeginPaint(Handle(), &ps);
    // The region is validated even when Paint throws, or WM_PAINT would repeat forever.
    struct EndPaintGuard {
        TCustomControl* Control;
        HWND Window;
        PAINTSTRUCT* Ps;
        HDC Saved;
        HWND SavedWindow;
        ~EndPaintGuard() {
            Control->mCanvas.SetHandle(Saved);
            Control->mCanvasWindow = SavedWindow;
            EndPaint(Window, Ps);
        }
    } guard{this, Handle(), &ps, mCanvas.HandleAllocated() ? mCanvas.Handle() : nullptr,
            mCanvasWindow};
    mCanvas.SetHandle(ps.hdc);
    mCanvasWindow = nullptr; // the paint's context is EndPaint's to give back
    Paint();
    Message.Result = 0;
}
