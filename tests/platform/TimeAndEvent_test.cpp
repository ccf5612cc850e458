#include "platform/AutoResetEvent.h"
#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

TEST(PlatformTime, PerformanceCounterIsMonotonicWithPositiveFrequency) {
    LARGE_INTEGER frequency{}, first{}, second{};
    ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
    ASSERT_TRUE(QueryPerformanceCounter(&first));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(QueryPerformanceCounter(&second));
    EXPECT_GT(frequency.QuadPart, 0);
    // At least 20 ms, with slack for coarse clocks: never less than 10 ms.
    EXPECT_GE(second.QuadPart - first.QuadPart, frequency.QuadPart / 100);
}

TEST(PlatformTime, TickCountAdvancesInMilliseconds) {
    const DWORD first = GetTickCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const DWORD elapsed = GetTickCount() - first;
    EXPECT_GE(elapsed, 30u);
    EXPECT_LT(elapsed, 60000u);
}

TEST(AutoResetEvent, PendingSignalReleasesOneWaitThenResets) {
    AutoResetEvent event;
    event.Signal();
    event.Signal(); // signals do not accumulate
    EXPECT_TRUE(event.Wait(1000));
    EXPECT_FALSE(event.IsSignalled());
    EXPECT_FALSE(event.Wait(10));
}

TEST(AutoResetEvent, SignalFromAnotherThreadWakesSleeperEarly) {
    AutoResetEvent event;
    const auto start = std::chrono::steady_clock::now();
    std::thread waker([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        event.Signal();
    });
    const bool signalled = event.Wait(30000);
    waker.join();
    EXPECT_TRUE(signalled);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}
