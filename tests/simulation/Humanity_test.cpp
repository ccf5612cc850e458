#include "SimulationFixture.h"

#include <cmath>

using HumanityTest = SimulationTest;

TEST_F(HumanityTest, CreateBuildsPopulationInIndexOrderAtOrigin) {
    PopulationSize = 5;
    SetRandomState(42);
    Humanity = std::make_unique<THumanity>();
    ASSERT_EQ(Persons.size(), 5u);
    // Person 0 takes the first nine draws, person 1 the next nine.
    SetRandomState(42);
    TPerson first, second;
    first.Initialize();
    second.Initialize();
    EXPECT_EQ(Persons[0]->mAngle, first.mAngle);
    EXPECT_EQ(Persons[0]->mResetCycle, first.mResetCycle);
    EXPECT_EQ(Persons[1]->mAngle, second.mAngle);
    EXPECT_EQ(Persons[1]->mBuriedAfterDeadCycle, second.mBuriedAfterDeadCycle);
    for (const auto& person : Persons) {
        EXPECT_EQ(person->mPositionX, 0.0);
        EXPECT_EQ(person->mPositionY, 0.0);
    }
    Humanity.reset();
    EXPECT_TRUE(Persons.empty());
}

TEST_F(HumanityTest, ReDistributeScattersWholePixelsInsideTheField) {
    SetField(792, 673);
    Humanity = std::make_unique<THumanity>();
    Persons[3]->mInfected = true;
    Persons[3]->mDead = true;
    Persons[3]->mAngle = 77;
    const std::uint32_t state = RandomState();
    Humanity->ReDistribute();
    for (const auto& person : Persons) {
        EXPECT_GE(person->mPositionX, 0);
        EXPECT_LE(person->mPositionX, 791);
        EXPECT_GE(person->mPositionY, 0);
        EXPECT_LE(person->mPositionY, 672);
        EXPECT_EQ(person->mPositionX, std::floor(person->mPositionX));
        EXPECT_EQ(person->mPositionY, std::floor(person->mPositionY));
    }
    EXPECT_TRUE(Persons[3]->mInfected && Persons[3]->mDead);
    EXPECT_EQ(Persons[3]->mAngle, 77);
    // x then y, person after person.
    SetRandomState(state);
    const double x0 = Random(792), y0 = Random(673), x1 = Random(792);
    EXPECT_EQ(Persons[0]->mPositionX, x0);
    EXPECT_EQ(Persons[0]->mPositionY, y0);
    EXPECT_EQ(Persons[1]->mPositionX, x1);
}

TEST_F(HumanityTest, NarrowFieldsPutEverybodyAtXZero) {
    Humanity = std::make_unique<THumanity>();
    for (const std::int32_t width : {1, 0}) {
        SetField(width, 50);
        Humanity->ReDistribute();
        for (const auto& person : Persons)
            ASSERT_EQ(person->mPositionX, 0.0) << width;
    }
}

TEST_F(HumanityTest, MoveHoldsEveryPersonInsideTheCurrentField) {
    SetField(40, 30);
    Humanity = std::make_unique<THumanity>();
    Humanity->ReDistribute();
    for (int cycle = 0; cycle < 500; ++cycle) {
        Humanity->Think();
        Humanity->Move();
        for (const auto& person : Persons) {
            ASSERT_TRUE(person->mPositionX >= 0 && person->mPositionX <= 39);
            ASSERT_TRUE(person->mPositionY >= 0 && person->mPositionY <= 29);
        }
    }
}

TEST_F(HumanityTest, ClicksAffectEveryPersonUnderThePoint) {
    Humanity = std::make_unique<THumanity>();
    Persons.clear();
    AddPerson(10, 10, 3);
    AddPerson(12, 12, 4);
    AddPerson(8, 13, 5).mDead = true;
    AddPerson(30, 30, 5);
    Humanity->Infect(11, 12);
    EXPECT_TRUE(Persons[0]->mInfected && Persons[1]->mInfected && Persons[2]->mInfected);
    EXPECT_FALSE(Persons[3]->mInfected);
    Humanity->Quarantine(11, 12);
    EXPECT_TRUE(Persons[0]->mQuarantined && Persons[1]->mQuarantined && Persons[2]->mQuarantined);
    EXPECT_FALSE(Persons[3]->mQuarantined);
    // The dead one counts nowhere, whatever its flags.
    EXPECT_EQ(Humanity->Infected(), 2);
    EXPECT_EQ(Humanity->Alive(), 1);
    Humanity->Infect(100, 100); // empty ground
    Humanity->Quarantine(100, 100);
    EXPECT_FALSE(Persons[3]->mInfected || Persons[3]->mQuarantined);
}

TEST_F(HumanityTest, CountsIgnoreQuarantine) {
    Humanity = std::make_unique<THumanity>();
    Persons.clear();
    for (int i = 0; i < 3; ++i)
        AddPerson(i * 20, 0, 3).mQuarantined = (i == 0);
    AddPerson(0, 40, 3, true);
    AddPerson(20, 40, 3, true).mQuarantined = true;
    for (int i = 0; i < 5; ++i) {
        TPerson& dead = AddPerson(i * 20, 80, 3, true);
        dead.mDead = true;
        dead.mBuried = (i % 2 == 0);
    }
    EXPECT_EQ(Humanity->Infected(), 2);
    EXPECT_EQ(Humanity->Alive(), 3);
}

TEST_F(HumanityTest, ResetReplacesEveryPersonWithAHealthyPopulation) {
    SetField(200, 100);
    Humanity = std::make_unique<THumanity>();
    Humanity->ReDistribute();
    for (auto& person : Persons) {
        person->Infect();
        person->Quarantine();
        person->mDead = true;
    }
    PopulationSize = 120;
    Humanity->Reset();
    ASSERT_EQ(Persons.size(), 120u);
    for (const auto& person : Persons) {
        EXPECT_FALSE(person->mInfected || person->mQuarantined || person->mDead);
        EXPECT_TRUE(person->mPositionX >= 0 && person->mPositionX <= 199);
        EXPECT_TRUE(person->mPositionY >= 0 && person->mPositionY <= 99);
    }
    EXPECT_EQ(Humanity->Alive(), 120);
}

TEST_F(HumanityTest, NegativePopulationSizeBuildsNobody) {
    PopulationSize = -5;
    Humanity = std::make_unique<THumanity>();
    EXPECT_TRUE(Persons.empty());
    EXPECT_EQ(Humanity->Alive(), 0);
}
