// A cycle in the middle of a level allocates nothing: counted by replacing
// the global operator new, so this suite is an executable of its own.
#include "shell/Unit_TProgram.h"

#include "simulation/Unit_Random.h"
#include "simulation/Unit_TDisease.h"
#include "simulation/Unit_TField.h"
#include "simulation/Unit_THumanity.h"
#include "simulation/Unit_TPerson.h"
#include "simulation/Unit_TUniverseThreadLess.h"

#include "tests/support/AllocationCounter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

class CycleAllocation : public ::testing::Test {
protected:
    void SetUp() override {
        SetRandomState(4711);
        PopulationSize = 3000;
        ProgramCreate();
        ProgramResize(2000, 1700);
        ProgramStartup();
        Universe->CycleThrottleForTesting().SetEnabled(false);
    }
    void TearDown() override {
        ProgramDestroy();
        PopulationSize = 100;
    }
};

} // namespace

TEST_F(CycleAllocation, CyclesAndClicksInTheMiddleOfALevelAllocateNothing) {
    // A few players' infections scattered about, then up to patient zero and
    // a few cycles of spreading, so that every buffer has seen its size.
    for (std::size_t i = 0; i < Persons.size(); i += 97)
        ProgramInfect(static_cast<std::int32_t>(Persons[i]->mPositionX),
                      static_cast<std::int32_t>(Persons[i]->mPositionY));
    while (!Disease->mPatientZeroExists)
        ProgramSingleLoop();
    for (int cycle = 0; cycle < 5; ++cycle)
        ProgramSingleLoop();

    // Nobody dies sooner than 420 cycles after infection, so the level runs
    // on through all of these; clicks come between the cycles as in play.
    const std::int32_t population = PopulationSize;
    const std::size_t before = gAllocations.load();
    for (int cycle = 0; cycle < 300; ++cycle) {
        if (cycle % 7 == 0) {
            const TPerson& target = *Persons[static_cast<std::size_t>(cycle) * 13 % Persons.size()];
            const auto x = static_cast<std::int32_t>(target.mPositionX);
            const auto y = static_cast<std::int32_t>(target.mPositionY);
            if (cycle % 2 == 0)
                ProgramQuarantine(x, y);
            else
                ProgramInfect(x, y);
        }
        ProgramSingleLoop();
    }
    const std::size_t allocations = gAllocations.load() - before;
    ASSERT_EQ(PopulationSize, population) << "a level ended: not the middle of one";
    EXPECT_EQ(allocations, 0u);
    // The outbreak did spread meanwhile, so the passes were at work.
    EXPECT_GT(Humanity->Infected(), 100);
}

TEST_F(CycleAllocation, PacedCyclesAllocateNothing) {
    Universe->CycleThrottleForTesting().SetEnabled(true);
    ProgramStartup();
    for (int cycle = 0; cycle < 5; ++cycle)
        ProgramSingleLoop();
    const std::size_t before = gAllocations.load();
    for (int cycle = 0; cycle < 20; ++cycle) // a third of a second
        ProgramSingleLoop();
    EXPECT_EQ(gAllocations.load() - before, 0u);
}
