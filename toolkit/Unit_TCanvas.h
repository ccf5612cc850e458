// A drawing surface: the device context a control draws into. Only the
// handle is offered; drawing goes through the platform with it.
#pragma once

#include "toolkit/Unit_ToolkitTypes.h"

#include <functional>

class TCanvas : public TObject {
public:
    // Asked for a device context whenever the canvas has none.
    explicit TCanvas(std::function<HDC()> ParaCreateHandle = nullptr);

    // The device context, created on first use; 0 if none can be had.
    HDC Handle();
    void SetHandle(HDC Value) { mHandle = Value; }
    bool HandleAllocated() const { return mHandle != nullptr; }

private:
    HDC mHandle = nullptr;
    std::function<HDC()> mCreateHandle;
};
