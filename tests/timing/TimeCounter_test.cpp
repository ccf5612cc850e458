#include "timing/unit_TTimeCounter_version_002.h"

#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <cstdint>

static_assert(sizeof(TTimeCounterMode) == 1, "the mode is stored in one byte");

TEST(TimeCounter, StartsOnThePerformanceCounter) {
    TTimeCounter counter;
    LARGE_INTEGER frequency{}, before{}, after{};
    ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
    ASSERT_TRUE(QueryPerformanceCounter(&before));
    const std::int64_t tick = counter.Tick();
    ASSERT_TRUE(QueryPerformanceCounter(&after));

    EXPECT_EQ(counter.Mode(), tcm_high_accuracy);
    EXPECT_EQ(counter.Frequency(), frequency.QuadPart);
    EXPECT_GE(tick, before.QuadPart);
    EXPECT_LE(tick, after.QuadPart);
}

TEST(TimeCounter, LowCpuUsageReadsZeroExtendedMillisecondsAtFrequency1000) {
    TTimeCounter counter;
    counter.SetMode(tcm_low_cpu_usage);
    EXPECT_EQ(counter.Mode(), tcm_low_cpu_usage);
    EXPECT_EQ(counter.Frequency(), 1000);

    const DWORD before = GetTickCount();
    const std::int64_t tick = counter.Tick();
    const DWORD after = GetTickCount();
    EXPECT_GE(tick, 0);
    EXPECT_LE(tick, INT64_C(4294967295));
    if (after >= before) { // no wrap between the reads
        EXPECT_GE(tick, static_cast<std::int64_t>(before));
        EXPECT_LE(tick, static_cast<std::int64_t>(after));
    }
}

TEST(TimeCounter, SimulationReportsOnlyWhatWasWrittenInIt) {
    TTimeCounter counter;
    // Written outside tcm_simulation: ignored, also for a later switch.
    counter.SetTick(77);
    counter.SetFrequency(88);
    counter.SetMode(tcm_low_cpu_usage);
    counter.SetTick(99);
    counter.SetFrequency(111);

    counter.SetMode(tcm_simulation);
    EXPECT_EQ(counter.Tick(), 0);
    EXPECT_EQ(counter.Frequency(), 0);

    counter.SetTick(5);
    counter.SetFrequency(100);
    EXPECT_EQ(counter.Tick(), 5);
    EXPECT_EQ(counter.Frequency(), 100);
    counter.SetTick(-3); // no range check: the owner's values stand
    EXPECT_EQ(counter.Tick(), -3);
    counter.SetTick(5);

    // The simulated pair survives switches away and back.
    counter.SetMode(tcm_high_accuracy);
    EXPECT_EQ(counter.Mode(), tcm_high_accuracy);
    EXPECT_NE(counter.Frequency(), 100);
    counter.SetMode(tcm_low_cpu_usage);
    counter.SetMode(tcm_simulation);
    EXPECT_EQ(counter.Tick(), 5);
    EXPECT_EQ(counter.Frequency(), 100);
}
