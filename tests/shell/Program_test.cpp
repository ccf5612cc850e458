#include "shell/Unit_TProgram.h"

#include "simulation/Unit_Random.h"
#include "simulation/Unit_TDisease.h"
#include "simulation/Unit_TField.h"
#include "simulation/Unit_TGame.h"
#include "simulation/Unit_THumanity.h"
#include "simulation/Unit_TPerson.h"
#include "simulation/Unit_TUniverseThreadLess.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetRandomState(2024);
        PopulationSize = 100;
    }
    void TearDown() override {
        ProgramDestroy();
        PopulationSize = 100;
    }
};

} // namespace

TEST_F(ProgramTest, CreateBuildsTheFiveObjectsAndDestroyFreesThem) {
    ProgramCreate();
    ASSERT_TRUE(Field && Humanity && Disease && Game && Universe);
    EXPECT_EQ(Field->Width(), 0);
    EXPECT_EQ(Field->Height(), 0);
    EXPECT_FALSE(Game->mOver);
    ASSERT_EQ(Persons.size(), 100u);
    for (const auto& person : Persons)
        EXPECT_TRUE(person->mPositionX == 0 && person->mPositionY == 0);
    ProgramDestroy();
    EXPECT_FALSE(Field || Humanity || Disease || Game || Universe);
    EXPECT_TRUE(Persons.empty());
}

TEST_F(ProgramTest, CyclesBeforeTheFirstResizeSeeAnEmptyField) {
    ProgramCreate();
    ProgramStartup();
    Universe->CycleThrottleForTesting().SetEnabled(false);
    ProgramSingleLoop();
    for (const auto& person : Persons) {
        EXPECT_EQ(person->mPositionX, -1);
        EXPECT_EQ(person->mPositionY, -1);
    }
    ProgramResize(792, 673);
    EXPECT_EQ(Field->Width(), 792);
    EXPECT_EQ(Field->Height(), 673);
    int moved = 0;
    for (const auto& person : Persons) {
        ASSERT_TRUE(person->mPositionX >= 0 && person->mPositionX <= 791);
        ASSERT_TRUE(person->mPositionY >= 0 && person->mPositionY <= 672);
        moved += person->mPositionX != 0 || person->mPositionY != 0;
    }
    EXPECT_GT(moved, 90);
}

TEST_F(ProgramTest, ResizeScattersEverybodyAndKeepsTheirState) {
    ProgramCreate();
    ProgramResize(792, 673);
    ProgramStartup();
    Persons[0]->Infect();
    Persons[1]->Quarantine();
    Persons[2]->mDead = true;
    Persons[3]->mBuried = true;
    Persons[3]->mDead = true;
    const double angle = Persons[4]->mAngle;
    const double x2 = Persons[2]->mPositionX, y2 = Persons[2]->mPositionY;
    ProgramResize(50, 40);
    for (const auto& person : Persons) {
        ASSERT_TRUE(person->mPositionX >= 0 && person->mPositionX <= 49);
        ASSERT_TRUE(person->mPositionY >= 0 && person->mPositionY <= 39);
    }
    EXPECT_TRUE(x2 != Persons[2]->mPositionX || y2 != Persons[2]->mPositionY);
    EXPECT_TRUE(Persons[0]->mInfected);
    EXPECT_TRUE(Persons[1]->mQuarantined);
    EXPECT_TRUE(Persons[2]->mDead);
    EXPECT_TRUE(Persons[3]->mBuried);
    EXPECT_EQ(Persons[4]->mAngle, angle);
    EXPECT_EQ(Persons.size(), 100u);
}

TEST_F(ProgramTest, ClicksReachThePersonsUnderTheMouse) {
    ProgramCreate();
    ProgramResize(792, 673);
    for (auto& person : Persons)
        person->mPositionX = person->mPositionY = 0;
    TPerson& target = *Persons[10];
    target.mPositionX = 400;
    target.mPositionY = 300;
    const auto x = static_cast<std::int32_t>(target.mPositionX + target.mSize);
    ProgramQuarantine(x, 300);
    EXPECT_TRUE(target.mQuarantined);
    EXPECT_FALSE(target.mInfected);
    ProgramInfect(x, 300 - target.mSize);
    EXPECT_TRUE(target.mInfected);
    EXPECT_EQ(Humanity->Infected(), 1);
    ProgramInfect(x + 1, 300); // just off the square
    EXPECT_EQ(Humanity->Infected(), 1);
}

TEST_F(ProgramTest, FirstCycleWaitsForItsTimeSlot) {
    ProgramCreate();
    ProgramResize(792, 673);
    const auto start = std::chrono::steady_clock::now();
    ProgramStartup();
    ProgramSingleLoop();
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(Disease->mCycle, 1);
    // The stock starts empty: a whole cycle takes 1/60 s to accrue.
    EXPECT_GE(elapsed, std::chrono::milliseconds(15));
}

TEST_F(ProgramTest, CallsOutsideTheLifetimeDoNothing) {
    ProgramResize(10, 10);
    ProgramStartup();
    ProgramSingleLoop();
    ProgramQuarantine(0, 0);
    ProgramInfect(0, 0);
    EXPECT_FALSE(Field || Universe);
    EXPECT_TRUE(Persons.empty());
    ProgramCreate();
    ProgramDestroy();
    ProgramSingleLoop();
    ProgramInfect(0, 0);
    EXPECT_TRUE(Persons.empty());
}

TEST_F(ProgramTest, CreatingAgainStartsAfresh) {
    ProgramCreate();
    ProgramResize(100, 100);
    Persons[0]->Infect();
    PopulationSize = 120;
    ProgramCreate();
    ASSERT_TRUE(Field && Humanity && Disease && Game && Universe);
    EXPECT_EQ(Field->Width(), 0);
    ASSERT_EQ(Persons.size(), 120u);
    EXPECT_EQ(Humanity->Infected(), 0);
}
