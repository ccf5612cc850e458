// Shows what the platform layer puts on screen, for scripts/platform-screenshots:
//   platform_screenshot_demo gl SECONDS   a window cleared to blue through GL
//   platform_screenshot_demo box          a message box
#include "platform/Platform.h"

#include <cstdlib>
#include <cstring>

namespace {

using PFNGLCLEARCOLOR = void(APIENTRY*)(float, float, float, float);
using PFNGLCLEAR = void(APIENTRY*)(unsigned);

template <class Function> Function As(FARPROC proc) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(proc));
}

PFNGLCLEARCOLOR gClearColor = nullptr;
PFNGLCLEAR gClear = nullptr;

LRESULT CALLBACK DemoProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(hwnd, &paint);
        if (gClearColor != nullptr && wglGetCurrentContext() != nullptr) {
            gClearColor(0.2f, 0.4f, 0.6f, 1.0f);
            gClear(0x00004000);
            SwapBuffers(dc);
        }
        EndPaint(hwnd, &paint);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

int ShowGlWindow(DWORD seconds) {
    HMODULE opengl32 = LoadLibraryA("opengl32.dll");
    if (opengl32 == nullptr)
        return 1;
    gClearColor = As<PFNGLCLEARCOLOR>(GetProcAddress(opengl32, "glClearColor"));
    gClear = As<PFNGLCLEAR>(GetProcAddress(opengl32, "glClear"));
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = DemoProc;
    windowClass.lpszClassName = "VeltranePlatformDemo";
    RegisterClassExA(&windowClass);
    RECT rect{0, 0, 400, 300};
    AdjustWindowRectEx(&rect, WS_OVERLAPPEDWINDOW, FALSE, 0);
    HWND hwnd = CreateWindowExA(0, windowClass.lpszClassName, "Veltrane platform check",
                                WS_OVERLAPPEDWINDOW, 200, 150, rect.right - rect.left,
                                rect.bottom - rect.top, nullptr, nullptr, nullptr, nullptr);
    if (hwnd == nullptr)
        return 1;
    HDC dc = GetDC(hwnd);
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 24;
    if (!SetPixelFormat(dc, ChoosePixelFormat(dc, &pfd), &pfd))
        return 1;
    HGLRC context = wglCreateContext(dc);
    if (context == nullptr || !wglMakeCurrent(dc, context))
        return 1;
    ShowWindow(hwnd, SW_SHOW);
    const DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < seconds * 1000) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(20);
    }
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(context);
    DestroyWindow(hwnd);
    FreeLibrary(opengl32);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "gl") == 0)
        return ShowGlWindow(argc >= 3 ? static_cast<DWORD>(std::atoi(argv[2])) : 5);
    if (argc >= 2 && std::strcmp(argv[1], "box") == 0)
        return MessageBoxA(nullptr, "ChoosePixelFormat failed.\nGetLastError: 2000",
                           "Veltrane message box check", MB_OK | MB_ICONERROR) == IDOK
                   ? 0
                   : 1;
    return 2;
}
