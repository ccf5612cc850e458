/* A stand-in for a malicious opengl32.dll that someone left in the folder the
   game is unpacked into. Loading it is the fault: the moment Windows loads
   it, it writes a marker file beside itself, naming the program that loaded
   it. It exports the WGL names a program may import from opengl32, so that a
   program which imports them starts with it rather than failing to load. */
/* No GDI declarations: they would declare the WGL names as imports. */
#define NOGDI
#include <windows.h>

static void WriteMarker(HINSTANCE self) {
    wchar_t path[MAX_PATH + 32];
    DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    while (length > 0 && path[length - 1] != L'\\' && path[length - 1] != L'/')
        --length;
    lstrcpyW(path + length, L"planted-opengl32-ran.txt");

    char program[MAX_PATH];
    DWORD programLength = GetModuleFileNameA(NULL, program, MAX_PATH);
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written;
    WriteFile(file, program, programLength, &written, NULL);
    WriteFile(file, "\r\n", 2, &written, NULL);
    CloseHandle(file);
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH)
        WriteMarker(self);
    return TRUE;
}

/* Do-nothing WGL: every call fails as a missing driver would. */
__declspec(dllexport) HGLRC WINAPI wglCreateContext(HDC dc) {
    (void)dc;
    return NULL;
}
__declspec(dllexport) BOOL WINAPI wglMakeCurrent(HDC dc, HGLRC context) {
    (void)dc;
    (void)context;
    return FALSE;
}
__declspec(dllexport) BOOL WINAPI wglDeleteContext(HGLRC context) {
    (void)context;
    return FALSE;
}
__declspec(dllexport) HGLRC WINAPI wglGetCurrentContext(void) {
    return NULL;
}
__declspec(dllexport) HDC WINAPI wglGetCurrentDC(void) {
    return NULL;
}
__declspec(dllexport) PROC WINAPI wglGetProcAddress(LPCSTR name) {
    (void)name;
    return NULL;
}
