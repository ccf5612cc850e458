#include "AutoResetEvent.h"

#include <chrono>

void AutoResetEvent::Signal() {
    {
        std::lock_guard<std::mutex> lock(mMutex);
        mSignalled = true;
    }
    mCondition.notify_one();
}

bool AutoResetEvent::Wait(std::uint32_t ParaMilliseconds) {
    std::unique_lock<std::mutex> lock(mMutex);
    const bool signalled = mCondition.wait_for(lock, std::chrono::milliseconds(ParaMilliseconds),
                                               [this] { return mSignalled; });
    // The one waiter that sees the signal consumes it.
    if (signalled)
        mSignalled = false;
    return signalled;
}

bool AutoResetEvent::IsSignalled() const {
    std::lock_guard<std::mutex> lock(mMutex);
    return mSignalled;
}
