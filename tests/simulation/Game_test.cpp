#include "SimulationFixture.h"

class GameTest : public SimulationTest {
protected:
    void SetUp() override {
        SimulationTest::SetUp();
        SetField(300, 200);
        Humanity = std::make_unique<THumanity>();
        Disease = std::make_unique<TDisease>();
        Game = std::make_unique<TGame>();
        Disease->Initialize();
        Humanity->ReDistribute();
    }

    // The cycle right after patient zero, when decisions begin.
    void PastPatientZero() {
        Disease->mCycle = Disease->mCycleTillPatientZero + 1;
        Disease->mPatientZeroExists = true;
    }
};

TEST_F(GameTest, NoDecisionUntilTheCycleAfterPatientZero) {
    for (auto& person : Persons)
        person->mDead = true; // nobody alive, nobody infected
    Disease->mCycle = Disease->mCycleTillPatientZero;
    Game->Think();
    EXPECT_FALSE(Game->mOver);
    EXPECT_EQ(PopulationSize, 100);
    Disease->mCycle = Disease->mCycleTillPatientZero + 1;
    Game->Think();
    EXPECT_TRUE(Game->mOver);
}

TEST_F(GameTest, NoDecisionWhileAnybodyLivingIsInfected) {
    PastPatientZero();
    Persons[5]->Infect();
    Persons[5]->Quarantine();
    Game->Think();
    EXPECT_EQ(PopulationSize, 100);
    EXPECT_EQ(Persons.size(), 100u);
    EXPECT_TRUE(Persons[5]->mInfected);
}

TEST_F(GameTest, OutbreakOverWithSurvivorsStartsTheNextLevel) {
    PastPatientZero();
    Persons[0]->Infect();
    Persons[0]->mDead = true;
    Persons[1]->Quarantine();
    for (std::size_t i = 2; i < Persons.size(); ++i) {
        Persons[i]->Infect();
        Persons[i]->mDead = true;
    }
    // The only survivor is quarantined: still a win.
    Game->Think();
    EXPECT_FALSE(Game->mOver);
    EXPECT_EQ(PopulationSize, 120);
    ASSERT_EQ(Persons.size(), 120u);
    for (const auto& person : Persons) {
        EXPECT_FALSE(person->mInfected || person->mQuarantined || person->mDead);
        EXPECT_TRUE(person->mPositionX >= 0 && person->mPositionX <= 299);
    }
    EXPECT_EQ(Disease->mCycle, 0);
    EXPECT_FALSE(Disease->mPatientZeroExists);
    EXPECT_GE(Disease->mCycleTillPatientZero, 100);
}

TEST_F(GameTest, NobodyAliveIsGameOverForGood) {
    PastPatientZero();
    for (auto& person : Persons) {
        person->Infect();
        person->mDead = true;
    }
    Game->Think();
    EXPECT_TRUE(Game->mOver);
    EXPECT_EQ(PopulationSize, 100);
    for (int i = 0; i < 10; ++i) {
        Disease->Think();
        Game->Think();
    }
    EXPECT_TRUE(Game->mOver);
    EXPECT_EQ(Persons.size(), 100u);
}

TEST_F(GameTest, PopulationGrowsByAFifthRoundedToEven) {
    std::vector<std::int32_t> sizes{PopulationSize};
    for (int level = 0; level < 12; ++level) {
        Game->NextLevel();
        sizes.push_back(PopulationSize);
        ASSERT_EQ(Persons.size(), static_cast<std::size_t>(PopulationSize));
    }
    EXPECT_EQ(sizes, (std::vector<std::int32_t>{100, 120, 144, 173, 208, 250, 300, 360, 432, 518,
                                                622, 746, 895}));
    // Rounded to the nearest, not truncated.
    PopulationSize = 11; // 13.2
    Game->NextLevel();
    EXPECT_EQ(PopulationSize, 13);
    PopulationSize = 12; // 14.4
    Game->NextLevel();
    EXPECT_EQ(PopulationSize, 14);
    PopulationSize = 13; // 15.6
    Game->NextLevel();
    EXPECT_EQ(PopulationSize, 16);
}
