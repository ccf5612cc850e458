// A windowed control that paints itself: a virtual Paint inside WM_PAINT, a
// canvas on its window, and a synchronous Repaint.
#pragma once

#include "toolkit/Unit_TCanvas.h"
#include "toolkit/Unit_TWinControl.h"

class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* AOwner);

    // Invalidates the whole control and paints it before returning.
    void Repaint();

    // Inside Paint the canvas holds the paint's device context; otherwise
    // the window's own, fetched on first use and given back with the window.
    TCanvas* Canvas() { return &mCanvas; }

protected:
    virtual void Paint() {}
    void Dispatch(TMessage& Message) override;

private:
    void ReleaseCanvasHandle();

    TCanvas mCanvas;
    // The window the canvas's device context was fetched for.
    HWND mCanvasWindow = nullptr;
};
