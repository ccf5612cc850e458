#include "win32_resource.h"

#include "win32_error.h"
#include "win32_window.h"

#include <cctype>

namespace win32_resource {
namespace {

const Icon* gIcons = nullptr;
int gIconCount = 0;

bool SameName(const char* a, const char* b) {
    for (; *a != '\0' && *b != '\0'; ++a, ++b)
        if (std::tolower(static_cast<unsigned char>(*a)) !=
            std::tolower(static_cast<unsigned char>(*b)))
            return false;
    return *a == *b;
}

bool Matches(const Icon& icon, LPCSTR name) {
    if (IS_INTRESOURCE(name))
        return icon.name == nullptr && icon.id == LOWORD(reinterpret_cast<ULONG_PTR>(name));
    // Resource names compare without regard to case on Windows.
    return icon.name != nullptr && SameName(icon.name, name);
}

} // namespace

void RegisterIcons(const Icon* icons, int count) {
    gIcons = icons;
    gIconCount = icons != nullptr && count > 0 ? count : 0;
}

const Icon* FindIcon(HICON icon) {
    for (int i = 0; i < gIconCount; ++i)
        if (reinterpret_cast<HICON>(const_cast<Icon*>(&gIcons[i])) == icon)
            return &gIcons[i];
    return nullptr;
}

} // namespace win32_resource

HICON LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) {
    using namespace win32_resource;
    // No instance: one of the system's predefined icons, a handle of its own.
    if (hInstance == nullptr)
        return reinterpret_cast<HICON>(const_cast<char*>(lpIconName));
    for (int i = 0; i < gIconCount; ++i)
        if (Matches(gIcons[i], lpIconName))
            return reinterpret_cast<HICON>(const_cast<Icon*>(&gIcons[i]));
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
}
