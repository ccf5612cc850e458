#include "win32_time.h"

#include <chrono>
#include <thread>

namespace {
std::int64_t SteadyNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
} // namespace

BOOL QueryPerformanceCounter(LARGE_INTEGER* lpPerformanceCount) {
    if (lpPerformanceCount == nullptr)
        return FALSE;
    lpPerformanceCount->QuadPart = SteadyNanoseconds();
    return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* lpFrequency) {
    if (lpFrequency == nullptr)
        return FALSE;
    lpFrequency->QuadPart = 1000000000;
    return TRUE;
}

DWORD GetTickCount() {
    // Wraps after about 49.7 days, as on Windows.
    return static_cast<DWORD>(SteadyNanoseconds() / 1000000);
}

void Sleep(DWORD dwMilliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(dwMilliseconds));
}
