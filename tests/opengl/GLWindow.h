// A plain window with a current OpenGL rendering context, made with nothing but
// the platform's own functions, so the loader can be tried on the real driver.
#pragma once

#include "platform/Platform.h"

class TGLWindow {
public:
    TGLWindow(int ParaWidth, int ParaHeight);
    ~TGLWindow();
    TGLWindow(const TGLWindow&) = delete;
    TGLWindow& operator=(const TGLWindow&) = delete;

    // False if any platform call failed; then no context is current.
    bool IsCurrent() const { return mCurrent; }

private:
    HWND mWindow = nullptr;
    HDC mDeviceContext = nullptr;
    HGLRC mRenderingContext = nullptr;
    bool mCurrent = false;
};
