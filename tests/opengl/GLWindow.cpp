#include "GLWindow.h"

namespace {

const char* const ClassName = "VeltraneLoaderTestWindow";

void RegisterOnce() {
    static const bool Registered = [] {
        WNDCLASSA Class{};
        Class.style = CS_OWNDC;
        Class.lpfnWndProc = DefWindowProcA;
        Class.hInstance = GetModuleHandleA(nullptr);
        Class.lpszClassName = ClassName;
        return RegisterClassA(&Class) != 0;
    }();
    (void)Registered;
}

} // namespace

TGLWindow::TGLWindow(int ParaWidth, int ParaHeight) {
    RegisterOnce();
    mWindow = CreateWindowExA(0, ClassName, "loader test",
                              WS_POPUP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, ParaWidth,
                              ParaHeight, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (mWindow == nullptr) {
        return;
    }
    // Shown, and without a frame: the whole window is client area the driver draws.
    ShowWindow(mWindow, SW_SHOW);
    mDeviceContext = GetDC(mWindow);
    if (mDeviceContext == nullptr) {
        return;
    }
    PIXELFORMATDESCRIPTOR Descriptor{};
    Descriptor.nSize = sizeof Descriptor;
    Descriptor.nVersion = 1;
    Descriptor.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    Descriptor.iPixelType = PFD_TYPE_RGBA;
    Descriptor.cColorBits = 24;
    Descriptor.iLayerType = PFD_MAIN_PLANE;
    const int Format = ChoosePixelFormat(mDeviceContext, &Descriptor);
    if (Format == 0 || !SetPixelFormat(mDeviceContext, Format, &Descriptor)) {
        return;
    }
    mRenderingContext = wglCreateContext(mDeviceContext);
    mCurrent = mRenderingContext != nullptr && wglMakeCurrent(mDeviceContext, mRenderingContext);
}

TGLWindow::~TGLWindow() {
    if (mCurrent) {
        wglMakeCurrent(nullptr, nullptr);
    }
    if (mRenderingContext != nullptr) {
        wglDeleteContext(mRenderingContext);
    }
    if (mWindow != nullptr) {
        DestroyWindow(mWindow);
    }
}
