// The helper thread: every item of a walk is done exactly once, large walks
// really share the work, small ones stay on the caller, and a worker can be
// used again and again (the thread sanitizer build runs this too).
#include "simulation/Unit_TPassWorker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

TEST(PassWorker, ALargeWalkIsSplitInTwoHalvesDoneOnceEachOnTwoThreads) {
    TPassWorker worker;
    const std::size_t count = TPassWorker::kShareFrom * 3 + 1;
    std::vector<int> done(count, 0);
    std::vector<std::thread::id> by(count);
    std::vector<std::size_t> part(count, TPassWorker::kParts);
    for (int round = 0; round < 200; ++round) {
        worker.Split(count, [&](std::size_t ParaPart, std::size_t ParaBegin, std::size_t ParaEnd) {
            for (std::size_t i = ParaBegin; i < ParaEnd; ++i) {
                ++done[i];
                by[i] = std::this_thread::get_id();
                part[i] = ParaPart;
            }
        });
    }
    for (std::size_t i = 0; i < count; ++i)
        ASSERT_EQ(done[i], 200) << i;
    EXPECT_TRUE(worker.Started());
    // The lower half on the caller, the upper on the helper.
    EXPECT_EQ(by.front(), std::this_thread::get_id());
    EXPECT_NE(by.back(), std::this_thread::get_id());
    EXPECT_EQ(by[count / 2 - 1], by.front());
    EXPECT_EQ(by[count / 2], by.back());
    // Each half knows its part, the lower part 0.
    EXPECT_EQ(part[count / 2 - 1], 0u);
    EXPECT_EQ(part[count / 2], 1u);
    EXPECT_EQ(part.back(), 1u);
}

TEST(PassWorker, SmallWalksAndUnsharedPairsStayOnTheCaller) {
    TPassWorker worker;
    std::size_t seen = 0;
    worker.Split(TPassWorker::kShareFrom - 1,
                 [&](std::size_t ParaPart, std::size_t ParaBegin, std::size_t ParaEnd) {
                     EXPECT_EQ(ParaPart, 0u);
                     EXPECT_EQ(ParaBegin, 0u);
                     seen += ParaEnd - ParaBegin;
                     EXPECT_EQ(std::this_thread::get_id(), std::this_thread::get_id());
                 });
    EXPECT_EQ(seen, TPassWorker::kShareFrom - 1);
    worker.Split(0, [&](std::size_t, std::size_t, std::size_t ParaEnd) { EXPECT_EQ(ParaEnd, 0u); });
    std::vector<int> order;
    worker.Both(
        false, [&] { order.push_back(1); }, [&] { order.push_back(2); });
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    EXPECT_FALSE(worker.Started());
}

TEST(PassWorker, BothRunTogetherAndTheCallerWaitsForTheHelper) {
    TPassWorker worker;
    for (int round = 0; round < 500; ++round) {
        std::atomic<int> here{0};
        int there = 0;
        std::thread::id helper;
        worker.Both(
            true, [&] { here = 1; },
            [&] {
                // Long enough that the caller is done first and must wait.
                for (int k = 0; k < 2000; ++k)
                    there += k % 3;
                helper = std::this_thread::get_id();
            });
        ASSERT_EQ(here.load(), 1);
        ASSERT_EQ(there, 1999);
        ASSERT_NE(helper, std::this_thread::get_id());
    }
}
