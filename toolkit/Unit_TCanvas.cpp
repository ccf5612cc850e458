#include "toolkit/Unit_TCanvas.h"

TCanvas::TCanvas(std::function<HDC()> ParaCreateHandle)
    : mCreateHandle(std::move(ParaCreateHandle)) {}

HDC TCanvas::Handle() {
    if (!mHandle && mCreateHandle)
        mHandle = mCreateHandle();
    return mHandle;
}
