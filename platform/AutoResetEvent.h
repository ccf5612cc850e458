// An auto-reset event with a timed wait, on the standard library alone: the
// same on every platform. One Signal releases one waiter, or, when nobody
// waits, makes the next wait return at once; the event then resets itself.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

class AutoResetEvent {
public:
    AutoResetEvent() = default;
    AutoResetEvent(const AutoResetEvent&) = delete;
    AutoResetEvent& operator=(const AutoResetEvent&) = delete;

    void Signal();
    // Waits until signalled or until the time-out; true when signalled.
    bool Wait(std::uint32_t ParaMilliseconds);
    bool IsSignalled() const;

private:
    mutable std::mutex mMutex;
    std::condition_variable mCondition;
    bool mSignalled = false;
};
