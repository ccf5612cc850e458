// A backend without a window system, for the core's tests: native windows
// are numbers, events are whatever the test feeds in while the core pumps.
#pragma once

#include "platform/core/win32_backend.h"

#include <functional>
#include <map>
#include <string>

namespace test_backend {

struct NativeState {
    win32_backend::NativeWindow parent = 0;
    int x = 0, y = 0, width = 0, height = 0;
    bool shown = false;
    bool decorated = false;
    std::string title;
};

// The windows the core made and has not destroyed.
std::map<win32_backend::NativeWindow, NativeState>& Windows();
// Run by the next PumpEvents (once), as if the window system had reported it.
void OnNextPump(std::function<void()> events);
// Makes the next CreateNativeWindow fail.
void FailNextCreate();
// How often Wake was called.
int WakeCount();
// Every surface that was presented, in order.
int SwapCount();
void Reset();

} // namespace test_backend
