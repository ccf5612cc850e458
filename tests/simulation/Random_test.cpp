#include "simulation/Unit_Random.h"

#include <gtest/gtest.h>

#include <vector>

TEST(Random, KnownSequenceFromStateZero) {
    SetRandomState(0);
    std::vector<std::int32_t> draws;
    for (int i = 0; i < 8; ++i)
        draws.push_back(Random(100));
    EXPECT_EQ(draws, (std::vector<std::int32_t>{0, 3, 86, 20, 27, 67, 31, 16}));
}

TEST(Random, ZeroRangeGivesZeroButAdvances) {
    SetRandomState(99);
    EXPECT_EQ(Random(0), 0);
    EXPECT_EQ(RandomState(), 99u * 134775813u + 1u);
}

TEST(Random, ResultStaysInRangeAtTheStateExtremes) {
    // The largest state gives the top of the range, never the range itself.
    SetRandomState(1298181734u); // its successor is 0xFFFFFFFF
    EXPECT_EQ(Random(1000), 999);
    EXPECT_EQ(RandomState(), 0xFFFFFFFFu);
    for (int i = 0; i < 1000; ++i) {
        const std::int32_t value = Random(2147483647);
        ASSERT_GE(value, 0);
        ASSERT_LT(value, 2147483647);
    }
}

TEST(Random, NegativeRangeStaysBetweenRangeAndZero) {
    SetRandomState(0);
    EXPECT_EQ(Random(-100), -1); // new state 1: a sliver below zero, floored
    for (int i = 0; i < 1000; ++i) {
        const std::int32_t value = Random(-10);
        ASSERT_LE(value, 0);
        ASSERT_GE(value, -10);
    }
    SetRandomState(0);
    Random(1); // state 1
    // State 134775814: 134775814 * -100 / 2^32 = -3.14, floored to -4.
    EXPECT_EQ(Random(-100), -4);
}
