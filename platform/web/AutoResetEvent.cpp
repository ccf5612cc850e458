// The event in the browser, where the page has one thread: a wait gives the
// browser the thread (ASYNCIFY) for its time-out, or until a listener or the
// program itself signals.
#include "platform/AutoResetEvent.h"

#include <emscripten.h>

void AutoResetEvent::Signal() {
    mSignalled = true;
}

bool AutoResetEvent::Wait(std::uint32_t ParaMilliseconds) {
    const double until = emscripten_get_now() + ParaMilliseconds;
    while (!mSignalled) {
        const double left = until - emscripten_get_now();
        if (left <= 0)
            return false;
        emscripten_sleep(static_cast<unsigned>(left + 0.999));
    }
    mSignalled = false;
    return true;
}

bool AutoResetEvent::IsSignalled() const {
    return mSignalled;
}
