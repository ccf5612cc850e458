#include "SimulationFixture.h"

class DiseaseTest : public SimulationTest {
protected:
    void SetUp() override {
        SimulationTest::SetUp();
        Disease = std::make_unique<TDisease>();
    }

    // Skips the waiting phase: patient zero already chosen.
    void StartOutbreak() { Disease->mPatientZeroExists = true; }
};

TEST_F(DiseaseTest, InitializeDrawsADelayOfOneToTwoHundredCycles) {
    SetRandomState(0);
    Disease->mCycle = 55;
    Disease->mPatientZeroExists = true;
    Disease->Initialize();
    EXPECT_EQ(Disease->mCycle, 0);
    EXPECT_FALSE(Disease->mPatientZeroExists);
    EXPECT_EQ(Disease->mCycleTillPatientZero, 100); // first draw from state 0 is 0
    for (int i = 0; i < 500; ++i) {
        Disease->Reset();
        ASSERT_GE(Disease->mCycleTillPatientZero, 100);
        ASSERT_LE(Disease->mCycleTillPatientZero, 199);
    }
}

TEST_F(DiseaseTest, PatientZeroOnTheExactThinkAndOnlyOnce) {
    for (int i = 0; i < 10; ++i)
        AddPerson(i * 50, 0, 3);
    Disease->Initialize();
    Disease->mCycleTillPatientZero = 150;
    for (int i = 1; i < 150; ++i)
        Disease->Think();
    EXPECT_FALSE(Disease->mPatientZeroExists);
    const std::uint32_t state = RandomState();
    Disease->Think();
    EXPECT_TRUE(Disease->mPatientZeroExists);
    SetRandomState(state);
    const std::int32_t chosen = Random(10);
    const std::uint32_t afterDraw = RandomState();
    int infected = 0;
    for (const auto& person : Persons)
        infected += person->mInfected;
    EXPECT_EQ(infected, 1);
    EXPECT_TRUE(Persons[static_cast<std::size_t>(chosen)]->mInfected);
    for (int i = 0; i < 300; ++i)
        Disease->Think();
    EXPECT_EQ(RandomState(), afterDraw); // no second draw, no second patient
    EXPECT_EQ(Disease->mCycle, 450);
}

TEST_F(DiseaseTest, PatientZeroWithNobodyToInfectWaits) {
    Disease->mCycleTillPatientZero = 1;
    Disease->Think();
    EXPECT_FALSE(Disease->mPatientZeroExists);
    AddPerson(0, 0, 3);
    Disease->Think();
    EXPECT_TRUE(Disease->mPatientZeroExists);
    EXPECT_TRUE(Persons[0]->mInfected);
}

TEST_F(DiseaseTest, SpreadsToTouchingCirclesOnly) {
    StartOutbreak();
    AddPerson(100, 100, 3, true);
    AddPerson(108, 100, 5);  // exactly 3 + 5 apart
    AddPerson(100, 91.5, 5); // 8.5 apart
    Disease->Infect();
    EXPECT_TRUE(Persons[1]->mInfected);
    EXPECT_FALSE(Persons[2]->mInfected);
}

TEST_F(DiseaseTest, ChainInIndexOrderSpreadsInOnePass) {
    StartOutbreak();
    AddPerson(0, 0, 3, true);
    AddPerson(6, 0, 3);
    AddPerson(12, 0, 3); // touches 1, not 0
    Disease->Infect();
    EXPECT_TRUE(Persons[1]->mInfected);
    EXPECT_TRUE(Persons[2]->mInfected);
}

TEST_F(DiseaseTest, AChainStopsAtAGraveThatCatchesIt) {
    // A grave that was never infected (a state only an edit makes) still
    // catches the disease, but it is buried when its turn comes: no spreader.
    StartOutbreak();
    AddPerson(0, 0, 3, true);
    TPerson& grave = AddPerson(6, 0, 3);
    grave.mDead = grave.mBuried = true;
    AddPerson(12, 0, 3); // touches the grave only
    for (int pass = 0; pass < 2; ++pass) {
        Disease->Infect();
        EXPECT_TRUE(Persons[1]->mInfected);
        EXPECT_FALSE(Persons[2]->mInfected) << "pass " << pass;
    }
}

TEST_F(DiseaseTest, ChainAgainstIndexOrderNeedsTwoPasses) {
    StartOutbreak();
    AddPerson(12, 0, 3);
    AddPerson(6, 0, 3);
    AddPerson(0, 0, 3, true);
    Disease->Infect();
    EXPECT_TRUE(Persons[1]->mInfected);
    EXPECT_FALSE(Persons[0]->mInfected);
    Disease->Infect();
    EXPECT_TRUE(Persons[0]->mInfected);
}

TEST_F(DiseaseTest, UnburiedBodiesSpreadAndGravesDoNot) {
    StartOutbreak();
    TPerson& body = AddPerson(0, 0, 3, true);
    body.mDead = true;
    AddPerson(5, 0, 3);
    Disease->Infect();
    EXPECT_TRUE(Persons[1]->mInfected);
    body.mBuried = true;
    AddPerson(0, 5, 3);
    Disease->Infect();
    EXPECT_FALSE(Persons[2]->mInfected);
}

TEST_F(DiseaseTest, QuarantinedHealthyPersonsCatchIt) {
    StartOutbreak();
    SetField(100, 100);
    Humanity = std::make_unique<THumanity>();
    Persons.clear();
    AddPerson(50, 50, 3).Quarantine();
    TPerson& walker = AddPerson(50, 40, 3, true);
    walker.mAngle = 0; // walks down towards the quarantined one
    walker.mSpeed = 2;
    for (int cycle = 0; cycle < 3 && !Persons[0]->mInfected; ++cycle) {
        Humanity->Move();
        Disease->Infect();
    }
    EXPECT_TRUE(Persons[0]->mInfected);
    EXPECT_EQ(Persons[0]->mPositionY, 50);
}

TEST_F(DiseaseTest, NobodySpreadsBeforePatientZero) {
    AddPerson(0, 0, 3, true); // infected by hand
    AddPerson(5, 0, 3);
    Disease->Initialize();
    while (Disease->mCycle + 1 < Disease->mCycleTillPatientZero) {
        Disease->Think();
        Disease->Infect();
    }
    EXPECT_FALSE(Persons[1]->mInfected);
    Disease->Think(); // patient zero: whoever it is, the pass now spreads
    Disease->Infect();
    EXPECT_TRUE(Persons[1]->mInfected);
}

TEST_F(DiseaseTest, ResetMidOutbreakStopsSpreading) {
    AddPerson(0, 0, 3, true);
    AddPerson(5, 0, 3);
    StartOutbreak();
    Disease->mCycle = 300;
    Disease->Reset();
    EXPECT_EQ(Disease->mCycle, 0);
    EXPECT_FALSE(Disease->mPatientZeroExists);
    Disease->Infect();
    EXPECT_FALSE(Persons[1]->mInfected);
}
