#include "shell/MainIcon.h"

#include "platform/Platform.h"

#include <cstdint>
#include <iterator>

namespace {

#include "desktop/icon_pixels.inc"

const win32_resource::Icon kIcons[] = {
    {"MAINICON", 0, kMainIconImages, static_cast<int>(std::size(kMainIconImages))},
};

} // namespace

void RegisterMainIcon() {
    win32_resource::RegisterIcons(kIcons, static_cast<int>(std::size(kIcons)));
}
