#include "SimulationFixture.h"

#include "simulation/Unit_TUniverseThreadLess.h"

class UniverseTest : public SimulationTest {
protected:
    void SetUp() override {
        SimulationTest::SetUp();
        SetField(400, 300);
        Humanity = std::make_unique<THumanity>();
        Humanity->ReDistribute();
        Disease = std::make_unique<TDisease>();
        Game = std::make_unique<TGame>();
        Universe = std::make_unique<TUniverse>();
    }

    void TearDown() override {
        Universe.reset();
        SimulationTest::TearDown();
    }
};

TEST_F(UniverseTest, ThrottlePacesSixtyCyclesPerSecond) {
    TSpeedThrottle& throttle = Universe->CycleThrottleForTesting();
    EXPECT_EQ(throttle.Speed(), 60.0);
    EXPECT_EQ(throttle.MaximumExtractionQuantity(), 80000.0);
    EXPECT_EQ(throttle.MaximumWaitingTime(), 1.0);
    EXPECT_TRUE(throttle.Enabled());
}

TEST_F(UniverseTest, StartupEmptiesTheStockAndBeginsTheLevel) {
    TSpeedThrottle& throttle = Universe->CycleThrottleForTesting();
    throttle.SetQuantity(500);
    Disease->mCycle = 77;
    Disease->mPatientZeroExists = true;
    Universe->Startup();
    EXPECT_LT(throttle.Quantity(), 1.0);
    EXPECT_EQ(Disease->mCycle, 0);
    EXPECT_FALSE(Disease->mPatientZeroExists);
    EXPECT_GE(Disease->mCycleTillPatientZero, 100);
    EXPECT_LE(Disease->mCycleTillPatientZero, 199);
}

TEST_F(UniverseTest, OneCallRunsOneCycleFromAStock) {
    Universe->Startup();
    TSpeedThrottle& throttle = Universe->CycleThrottleForTesting();
    throttle.SetQuantity(5);
    const std::int32_t before = Persons[0]->mCycle;
    for (int call = 1; call <= 3; ++call) {
        Universe->SingleLoop();
        EXPECT_EQ(Disease->mCycle, call);
    }
    EXPECT_EQ(Persons[0]->mCycle, before + 3);
    // Three units left the stock; refill since then adds, never takes.
    EXPECT_GE(throttle.Quantity(), 2.0);
}

TEST_F(UniverseTest, PatientZeroSpreadsInItsOwnCycle) {
    Universe->Startup();
    Universe->CycleThrottleForTesting().SetEnabled(false);
    // Everybody on one spot: patient zero infects all the others at once.
    for (auto& person : Persons) {
        person->mSpeed = 0;
        person->mPositionX = 100;
        person->mPositionY = 100;
    }
    Disease->mCycleTillPatientZero = 1;
    Universe->SingleLoop();
    EXPECT_TRUE(Disease->mPatientZeroExists);
    EXPECT_EQ(Humanity->Infected(), 100);
    EXPECT_EQ(Humanity->Alive(), 0);
    EXPECT_FALSE(Game->mOver); // decisions start the cycle after
}

TEST_F(UniverseTest, LevelChangesAtTheEndOfTheCycle) {
    Universe->Startup();
    Universe->CycleThrottleForTesting().SetEnabled(false);
    // Patient zero will die on this cycle's Think; nobody else is near.
    Disease->mCycle = 10;
    Disease->mCycleTillPatientZero = 5;
    Disease->mPatientZeroExists = true;
    for (std::size_t i = 0; i < Persons.size(); ++i) {
        Persons[i]->mSpeed = 0;
        Persons[i]->mPositionX = static_cast<double>(i % 10) * 30;
        Persons[i]->mPositionY = static_cast<double>(i / 10) * 30;
    }
    Persons[42]->Infect();
    Persons[42]->mInfectionCycle = Persons[42]->mDeadAfterInfectionCycle - 1;
    Universe->SingleLoop();
    EXPECT_EQ(PopulationSize, 120);
    EXPECT_EQ(Persons.size(), 120u);
    EXPECT_EQ(Disease->mCycle, 0);
    EXPECT_EQ(Humanity->Infected(), 0);
}
