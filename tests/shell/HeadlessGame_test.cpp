// Plays the whole game through the facade, without a window and without
// pacing, and checks the rules that hold at every cycle.
#include "shell/Unit_TProgram.h"

#include "simulation/Unit_Random.h"
#include "simulation/Unit_TDisease.h"
#include "simulation/Unit_TField.h"
#include "simulation/Unit_TGame.h"
#include "simulation/Unit_THumanity.h"
#include "simulation/Unit_TPerson.h"
#include "simulation/Unit_TUniverseThreadLess.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

constexpr std::int32_t kWidth = 792;
constexpr std::int32_t kHeight = 673;

struct Snapshot {
    std::int32_t livingInfected = 0;
    bool allDueToDie = true; // every living infected person dies on the next Think
};

Snapshot TakeSnapshot() {
    Snapshot snapshot;
    for (const auto& person : Persons) {
        if (person->mInfected && !person->mDead) {
            ++snapshot.livingInfected;
            if (person->mInfectionCycle + 1 != person->mDeadAfterInfectionCycle)
                snapshot.allDueToDie = false;
        }
    }
    return snapshot;
}

class HeadlessGame : public ::testing::TestWithParam<std::uint32_t> {
protected:
    void SetUp() override {
        PopulationSize = 100;
        SetRandomState(GetParam());
        ProgramCreate();
        ProgramResize(kWidth, kHeight);
        ProgramStartup();
        Universe->CycleThrottleForTesting().SetEnabled(false);
    }
    void TearDown() override {
        ProgramDestroy();
        PopulationSize = 100;
    }

    // Infects every living person by clicking on each.
    static void InfectEverybody() {
        for (std::size_t i = 0; i < Persons.size(); ++i) {
            const TPerson& person = *Persons[i];
            ProgramInfect(static_cast<std::int32_t>(person.mPositionX),
                          static_cast<std::int32_t>(person.mPositionY));
        }
    }
};

} // namespace

TEST_P(HeadlessGame, LevelsFollowTheRulesUntilGameOver) {
    const std::vector<std::int32_t> expectedSizes{100, 120, 144, 173, 208, 250, 300};
    std::vector<std::int32_t> sizes{PopulationSize};
    std::mt19937 clicks(GetParam());
    std::int32_t levelCycle = 0;
    bool patientZeroSeen = false;
    int levelsAtGameOver = -1;
    int cyclesAfterGameOver = 0;

    for (int cycle = 0; cycle < 12000 && cyclesAfterGameOver < 200; ++cycle) {
        // Some play: random clicks every now and then.
        if (cycle % 37 == 0)
            ProgramQuarantine(static_cast<std::int32_t>(clicks() % kWidth),
                              static_cast<std::int32_t>(clicks() % kHeight));
        if (cycle % 53 == 0)
            ProgramInfect(static_cast<std::int32_t>(clicks() % kWidth),
                          static_cast<std::int32_t>(clicks() % kHeight));
        // From the fifth level on, end the game: everybody infected by hand.
        if (sizes.size() >= 5 && patientZeroSeen && !Game->mOver && levelCycle % 100 == 50)
            InfectEverybody();

        const Snapshot before = TakeSnapshot();
        const std::int32_t sizeBefore = PopulationSize;
        const bool overBefore = Game->mOver;
        ProgramSingleLoop();
        ++levelCycle;

        for (const auto& person : Persons) {
            ASSERT_TRUE(person->mPositionX >= 0 && person->mPositionX <= kWidth - 1);
            ASSERT_TRUE(person->mPositionY >= 0 && person->mPositionY <= kHeight - 1);
        }

        if (PopulationSize != sizeBefore) {
            // A new level only when the last living infected died this cycle.
            ASSERT_TRUE(before.allDueToDie) << "cycle " << cycle;
            ASSERT_TRUE(patientZeroSeen);
            ASSERT_FALSE(overBefore);
            sizes.push_back(PopulationSize);
            ASSERT_EQ(Persons.size(), static_cast<std::size_t>(PopulationSize));
            ASSERT_EQ(Humanity->Alive(), PopulationSize);
            levelCycle = 0;
            patientZeroSeen = false;
            continue;
        }
        if (!patientZeroSeen && Disease->mPatientZeroExists) {
            patientZeroSeen = true;
            ASSERT_GE(levelCycle, 100);
            ASSERT_LE(levelCycle, 199);
        }
        ASSERT_TRUE(patientZeroSeen || levelCycle < 200);
        if (Game->mOver) {
            if (!overBefore)
                levelsAtGameOver = static_cast<int>(sizes.size());
            ++cyclesAfterGameOver;
            ASSERT_EQ(Humanity->Alive(), 0);
            ASSERT_EQ(Humanity->Infected(), 0);
        } else {
            ASSERT_FALSE(overBefore);
            // An outbreak that ran out must have ended the level.
            ASSERT_TRUE(Disease->mCycle <= Disease->mCycleTillPatientZero ||
                        Humanity->Infected() > 0);
        }
    }

    ASSERT_LE(sizes.size(), expectedSizes.size());
    EXPECT_EQ(sizes, std::vector<std::int32_t>(expectedSizes.begin(),
                                               expectedSizes.begin() +
                                                   static_cast<std::ptrdiff_t>(sizes.size())));
    EXPECT_GE(sizes.size(), 3u);
    EXPECT_EQ(levelsAtGameOver, static_cast<int>(sizes.size()));
    EXPECT_EQ(cyclesAfterGameOver, 200); // over, and stays over
}

INSTANTIATE_TEST_SUITE_P(Seeds, HeadlessGame, ::testing::Values(1u, 77u, 4242u, 900001u));
