#include "win32_window.h"

#include "win32_internal.h"
#include "win32_error.h"

#include <cctype>
#include <cstring>
#include <list>

namespace win32_internal {
namespace {

std::list<WindowClass> gClasses;
ATOM gNextAtom = 0xC000;

bool SameName(const std::string& a, const char* b) {
    if (a.size() != std::strlen(b))
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

} // namespace

WindowClass* FindClass(LPCSTR name) {
    if (name == nullptr)
        return nullptr;
    const auto value = reinterpret_cast<ULONG_PTR>(name);
    for (WindowClass& windowClass : gClasses) {
        if (value <= 0xFFFF ? windowClass.atom == value : SameName(windowClass.name, name))
            return &windowClass;
    }
    return nullptr;
}

} // namespace win32_internal

using namespace win32_internal;

ATOM RegisterClassExA(const WNDCLASSEXA* lpwcx) {
    if (lpwcx == nullptr || lpwcx->cbSize != sizeof(WNDCLASSEXA) ||
        lpwcx->lpszClassName == nullptr || lpwcx->cbWndExtra < 0 || lpwcx->cbClsExtra < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (reinterpret_cast<ULONG_PTR>(lpwcx->lpszClassName) <= 0xFFFF ||
        FindClass(lpwcx->lpszClassName) != nullptr) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    WindowClass windowClass;
    windowClass.name = lpwcx->lpszClassName;
    windowClass.atom = gNextAtom++;
    windowClass.style = lpwcx->style;
    windowClass.proc = lpwcx->lpfnWndProc;
    windowClass.windowExtra = lpwcx->cbWndExtra;
    windowClass.instance = lpwcx->hInstance;
    windowClass.background = lpwcx->hbrBackground;
    windowClass.cursor = lpwcx->hCursor;
    windowClass.icon = lpwcx->hIcon;
    gClasses.push_back(windowClass);
    return windowClass.atom;
}

ATOM RegisterClassA(const WNDCLASSA* lpWndClass) {
    if (lpWndClass == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    WNDCLASSEXA ex{};
    ex.cbSize = sizeof ex;
    ex.style = lpWndClass->style;
    ex.lpfnWndProc = lpWndClass->lpfnWndProc;
    ex.cbClsExtra = lpWndClass->cbClsExtra;
    ex.cbWndExtra = lpWndClass->cbWndExtra;
    ex.hInstance = lpWndClass->hInstance;
    ex.hIcon = lpWndClass->hIcon;
    ex.hCursor = lpWndClass->hCursor;
    ex.hbrBackground = lpWndClass->hbrBackground;
    ex.lpszMenuName = lpWndClass->lpszMenuName;
    ex.lpszClassName = lpWndClass->lpszClassName;
    return RegisterClassExA(&ex);
}

BOOL UnregisterClassA(LPCSTR lpClassName, HINSTANCE) {
    WindowClass* windowClass = FindClass(lpClassName);
    if (windowClass == nullptr) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    if (windowClass->windowCount > 0) {
        SetLastError(ERROR_CLASS_HAS_WINDOWS);
        return FALSE;
    }
    gClasses.remove_if([&](const WindowClass& c) { return &c == windowClass; });
    return TRUE;
}

BOOL GetClassInfoExA(HINSTANCE, LPCSTR lpszClass, WNDCLASSEXA* lpwcx) {
    WindowClass* windowClass = FindClass(lpszClass);
    if (windowClass == nullptr || lpwcx == nullptr) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    const UINT size = lpwcx->cbSize;
    *lpwcx = WNDCLASSEXA{};
    lpwcx->cbSize = size;
    lpwcx->style = windowClass->style;
    lpwcx->lpfnWndProc = windowClass->proc;
    lpwcx->cbWndExtra = windowClass->windowExtra;
    lpwcx->hInstance = windowClass->instance;
    lpwcx->hIcon = windowClass->icon;
    lpwcx->hCursor = windowClass->cursor;
    lpwcx->hbrBackground = windowClass->background;
    lpwcx->lpszClassName = windowClass->name.c_str();
    return windowClass->atom;
}
