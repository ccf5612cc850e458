#include "toolkit/Unit_ShowMessage.h"

#include "platform/Platform.h"

namespace {

TMessageBoxHook& Hook() {
    static TMessageBoxHook hook;
    return hook;
}

} // namespace

void ShowMessage(const std::string& Text) {
    if (Hook()) {
        Hook()(Text);
        return;
    }
    MessageBoxA(nullptr, Text.c_str(), "Veltrane", MB_OK);
}

TMessageBoxHook SetMessageBoxHook(TMessageBoxHook NewHook) {
    TMessageBoxHook previous = std::move(Hook());
    Hook() = std::move(NewHook);
    return previous;
}
