// A windowed control that paints itself: a virtual Paint inside WM_PAINT and
// a synchronous Repaint.
#pragma once

#include "toolkit/Unit_TWinControl.h"

class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* AOwner);

    // Invalidates the whole control and paints it before returning.
    void Repaint();

protected:
    virtual void Paint() {}
    void Dispatch(TMessage& Message) override;
};
