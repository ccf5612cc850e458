#include "SimulationFixture.h"

#include <cmath>
#include <vector>

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

TEST_F(DiseaseTest, NoContactAtTheEdgeOfReachIsMissedWhereverThePairStands) {
    // Pairs far apart from each other: a spreader larger than any healthy
    // person, and a healthy person at exactly the contact distance or a hair
    // beyond it, in every direction, at offsets that put the two on either
    // side of every kind of border of the grid.
    StartOutbreak();
    SetField(3000, 3000);
    const double contact = 9 + 3;
    std::vector<bool> touching;
    for (int k = 0; k < 1600; ++k) {
        const double x = 40 + (k % 40) * 70 + (k % 17) * 0.37;
        const double y = 40 + (k / 40) * 70 + (k % 13) * 0.41;
        double dx = contact * std::cos(k * 0.7);
        double dy = contact * std::sin(k * 0.7);
        if (k % 4 == 0) {
            dx = k % 8 == 0 ? contact : -contact;
            dy = 0;
        } else if (k % 4 == 1) {
            dx = 0;
            dy = k % 8 == 1 ? contact : -contact;
        }
        double otherX = x + dx;
        if (k % 3 == 2)
            otherX = std::nextafter(otherX, dx < 0 ? -INFINITY : INFINITY);
        const TPerson& spreader = AddPerson(x, y, 9, true);
        const TPerson& other = AddPerson(otherX, y + dy, 3);
        touching.push_back(spreader.Near(other));
    }
    Disease->Infect();
    int caught = 0;
    for (std::size_t k = 0; k < touching.size(); ++k) {
        const TPerson& other = *Persons[2 * k + 1];
        EXPECT_EQ(other.mInfected, touching[k])
            << "pair " << k << " at (" << other.mPositionX << ", " << other.mPositionY << ")";
        caught += other.mInfected;
    }
    // Both kinds are there: touching, and a hair too far.
    EXPECT_GT(caught, 800);
    EXPECT_LT(caught, 1600);
}
