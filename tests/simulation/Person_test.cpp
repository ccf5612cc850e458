#include "SimulationFixture.h"

#include <cmath>

namespace {

TPerson StillPerson(double ParaX, double ParaY, std::int32_t ParaSize) {
    TPerson person;
    person.mPositionX = ParaX;
    person.mPositionY = ParaY;
    person.mSize = ParaSize;
    return person;
}

} // namespace

TEST(Person, InitializeDrawsTraitsInFixedOrder) {
    SetRandomState(42);
    TPerson person;
    person.Initialize();
    EXPECT_EQ(person.mAngle, 114.0);
    EXPECT_DOUBLE_EQ(person.mSpeed, 2.6);
    EXPECT_EQ(person.mStartChangeAngleAfterCycle, 30);
    EXPECT_EQ(person.mStopChangeAngleAfterCycle, 55);
    EXPECT_EQ(person.mAngleChangeSpeed, 0.0);
    EXPECT_EQ(person.mResetCycle, 488);
    EXPECT_EQ(person.mDeadAfterInfectionCycle, 726);
    EXPECT_EQ(person.mBuriedAfterDeadCycle, 60);
    EXPECT_EQ(person.mSize, 4);
    // Exactly nine draws: the next draw continues the sequence.
    SetRandomState(42);
    for (int i = 0; i < 9; ++i)
        Random(1);
    const std::uint32_t afterNine = RandomState();
    SetRandomState(42);
    person.Initialize();
    EXPECT_EQ(RandomState(), afterNine);
}

TEST(Person, InitializeResetsTimersButKeepsPositionAndFlags) {
    TPerson person = StillPerson(12.5, 7.0, 3);
    person.mCycle = 9;
    person.mInfectionCycle = 5;
    person.mDeadCycle = 4;
    person.mDead = true;
    person.mBuried = true;
    person.mInfected = true;
    person.mQuarantined = true;
    person.mDirectionX = 0.5;
    person.Initialize();
    EXPECT_EQ(person.mCycle, 0);
    EXPECT_EQ(person.mInfectionCycle, 0);
    EXPECT_EQ(person.mDeadCycle, 0);
    EXPECT_FALSE(person.mDead);
    EXPECT_FALSE(person.mBuried);
    EXPECT_TRUE(person.mInfected);
    EXPECT_TRUE(person.mQuarantined);
    EXPECT_EQ(person.mPositionX, 12.5);
    EXPECT_EQ(person.mDirectionX, 0.5);
}

TEST(Person, TraitsStayInTheirRanges) {
    SetRandomState(7);
    for (int i = 0; i < 2000; ++i) {
        TPerson person;
        person.Initialize();
        ASSERT_TRUE(person.mAngle >= 0 && person.mAngle <= 359);
        ASSERT_TRUE(person.mSpeed >= 0.0 && person.mSpeed <= 2.9);
        ASSERT_TRUE(person.mStartChangeAngleAfterCycle >= 10 &&
                    person.mStartChangeAngleAfterCycle <= 109);
        const int window = person.mStopChangeAngleAfterCycle - person.mStartChangeAngleAfterCycle;
        ASSERT_TRUE(window >= 10 && window <= 109);
        const int rest = person.mResetCycle - person.mStopChangeAngleAfterCycle;
        ASSERT_TRUE(rest >= 10 && rest <= 509);
        ASSERT_TRUE(person.mDeadAfterInfectionCycle >= 420 &&
                    person.mDeadAfterInfectionCycle <= 839);
        ASSERT_TRUE(person.mBuriedAfterDeadCycle >= 60 && person.mBuriedAfterDeadCycle <= 239);
        ASSERT_TRUE(person.mSize >= 3 && person.mSize <= 5);
    }
}

TEST(Person, TurnsOnlyInsideItsWindowAndRestartsThePeriod) {
    TPerson person;
    person.mStartChangeAngleAfterCycle = 3;
    person.mStopChangeAngleAfterCycle = 6;
    person.mResetCycle = 8;
    person.mAngleChangeSpeed = 0.5;
    std::vector<std::int32_t> cycles;
    std::vector<double> angles;
    for (int i = 0; i < 11; ++i) {
        person.Think();
        cycles.push_back(person.mCycle);
        angles.push_back(person.mAngle);
    }
    // Counter 1 .. 8, then 0: nine cycles a period; turning on cycles 4 and 5 only.
    EXPECT_EQ(cycles, (std::vector<std::int32_t>{1, 2, 3, 4, 5, 6, 7, 8, 0, 1, 2}));
    EXPECT_EQ(angles, (std::vector<double>{0, 0, 0, 0.5, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0, 1.0}));
    for (int i = 0; i < 3; ++i)
        person.Think();
    EXPECT_EQ(person.mAngle, 2.0); // the next period turns again
}

TEST(Person, DiesAndIsBuriedOnTheExactThink) {
    TPerson person;
    person.mResetCycle = 1000;
    person.mDeadAfterInfectionCycle = 3;
    person.mBuriedAfterDeadCycle = 2;
    person.mQuarantined = true; // quarantine does not change the schedule
    person.Think();
    EXPECT_EQ(person.mInfectionCycle, 0); // healthy persons do not count
    person.Infect();
    person.Think();
    person.Think();
    EXPECT_FALSE(person.mDead);
    person.Think(); // third Think after infection
    EXPECT_TRUE(person.mDead);
    EXPECT_EQ(person.mDeadCycle, 1); // the Think of death counts
    EXPECT_FALSE(person.mBuried);
    person.Think();
    EXPECT_TRUE(person.mBuried);
    for (int i = 0; i < 5; ++i)
        person.Think();
    EXPECT_EQ(person.mInfectionCycle, 9); // counters keep running
    EXPECT_EQ(person.mDeadCycle, 7);
    EXPECT_TRUE(person.mDead && person.mBuried);
}

TEST(Person, InfectingAgainRestartsNothing) {
    TPerson person;
    person.mResetCycle = 1000;
    person.mDeadAfterInfectionCycle = 4;
    person.mBuriedAfterDeadCycle = 100;
    person.Infect();
    person.Think();
    person.Think();
    person.Infect();
    person.Think();
    person.Think();
    EXPECT_TRUE(person.mDead);
    EXPECT_EQ(person.mRole, r_citizen);
}

TEST(Person, MovesAlongItsHeading) {
    struct Case {
        double angle, dx, dy;
    };
    for (const Case c : {Case{0, 0, 2}, Case{90, 2, 0}, Case{180, 0, -2}, Case{270, -2, 0}}) {
        TPerson person = StillPerson(50, 50, 3);
        person.mAngle = c.angle;
        person.mSpeed = 2.0;
        person.Move();
        EXPECT_NEAR(person.mPositionX, 50 + c.dx, 1e-12) << c.angle;
        EXPECT_NEAR(person.mPositionY, 50 + c.dy, 1e-12) << c.angle;
        EXPECT_NEAR(person.mDirectionX, c.dx / 2, 1e-12) << c.angle;
    }
    TPerson person = StillPerson(0, 0, 3);
    person.mAngle = 30;
    person.mSpeed = 1.5;
    person.Move();
    EXPECT_EQ(person.mDirectionX, std::sin(30 * 3.141592653589793 / 180));
    EXPECT_EQ(person.mPositionY, std::cos(30 * 3.141592653589793 / 180) * 1.5);
}

TEST(Person, EveryMoveFollowsTheHeadingOfThatMoment) {
    // One person through a sequence of headings, bounces and hand-made
    // directions: each move must use exactly the sine and cosine of its angle.
    const double pi = 3.141592653589793;
    TPerson person = StillPerson(100, 100, 3);
    person.mSpeed = 1.0;
    for (double angle : {0.0, 0.0, 0.5, 0.5, 180.5, 180.5, 12.25, 0.0}) {
        person.mAngle = angle;
        person.mDirectionX = 7; // a stale value must not survive a move
        const double x = person.mPositionX;
        const double y = person.mPositionY;
        person.Move();
        EXPECT_EQ(person.mDirectionX, std::sin(angle * pi / 180)) << angle;
        EXPECT_EQ(person.mDirectionY, std::cos(angle * pi / 180)) << angle;
        EXPECT_EQ(person.mPositionX, x + std::sin(angle * pi / 180)) << angle;
        EXPECT_EQ(person.mPositionY, y + std::cos(angle * pi / 180)) << angle;
    }
}

TEST(Person, QuarantinedOrDeadDoNotMoveAndSpeedZeroStays) {
    TPerson quarantined = StillPerson(10, 10, 3);
    quarantined.mSpeed = 2;
    quarantined.Quarantine();
    quarantined.Move();
    TPerson dead = StillPerson(10, 10, 3);
    dead.mSpeed = 2;
    dead.mDead = true;
    dead.Move();
    for (const TPerson* person : {&quarantined, &dead}) {
        EXPECT_EQ(person->mPositionX, 10);
        EXPECT_EQ(person->mPositionY, 10);
        EXPECT_EQ(person->mDirectionY, 0); // direction untouched too
    }
    TPerson still = StillPerson(10, 10, 3);
    still.mAngleChangeSpeed = 0.5;
    still.mStartChangeAngleAfterCycle = 0;
    still.mStopChangeAngleAfterCycle = 100;
    still.mResetCycle = 200;
    for (int i = 0; i < 4; ++i) {
        still.Think();
        still.Move();
    }
    EXPECT_EQ(still.mPositionX, 10);
    EXPECT_EQ(still.mPositionY, 10);
    EXPECT_EQ(still.mAngle, 2.0);
}

TEST(Person, KeepInsideClampsAndReversesAtEachEdge) {
    struct Case {
        double x, y, wantX, wantY;
    };
    for (const Case c :
         {Case{-0.5, 5, 0, 5}, Case{5, -0.1, 5, 0}, Case{9.5, 5, 9, 5}, Case{5, 20.25, 5, 19}}) {
        TPerson person = StillPerson(c.x, c.y, 3);
        person.mAngle = 10;
        person.KeepInside(10, 20);
        EXPECT_EQ(person.mPositionX, c.wantX);
        EXPECT_EQ(person.mPositionY, c.wantY);
        EXPECT_EQ(person.mAngle, 190) << c.x << "," << c.y;
    }
    // Exactly on the bounds is inside.
    TPerson person = StillPerson(9, 19, 3);
    person.KeepInside(10, 20);
    EXPECT_EQ(person.mAngle, 0);
    person.mPositionX = 0;
    person.mPositionY = 0;
    person.KeepInside(10, 20);
    EXPECT_EQ(person.mAngle, 0);
}

TEST(Person, BounceAtTwoEdgesKeepsHeading) {
    TPerson person = StillPerson(10.5, -1, 3);
    person.mAngle = 135; // heading up and to the right
    person.KeepInside(10, 20);
    EXPECT_EQ(person.mPositionX, 9);
    EXPECT_EQ(person.mPositionY, 0);
    EXPECT_EQ(person.mAngle, 495);
    // Without turning it keeps pressing into the corner.
    person.mSpeed = 1;
    person.Move();
    person.KeepInside(10, 20);
    EXPECT_EQ(person.mPositionX, 9);
    EXPECT_EQ(person.mPositionY, 0);
}

TEST(Person, ZeroSizedFieldPutsPersonAtMinusOne) {
    TPerson person = StillPerson(0, 0, 3);
    person.mAngle = 0;
    person.KeepInside(0, 0);
    // Neither lower test fires at exactly 0, both upper ones do.
    EXPECT_EQ(person.mPositionX, -1);
    EXPECT_EQ(person.mPositionY, -1);
    EXPECT_EQ(person.mAngle, 360);
    person.KeepInside(0, 0); // from -1: lower and upper test fire on each axis
    EXPECT_EQ(person.mPositionX, -1);
    EXPECT_EQ(person.mPositionY, -1);
    EXPECT_EQ(person.mAngle, 1080);
}

TEST(Person, SelectIncludesTheSquaresEdges) {
    const TPerson person = StillPerson(10, 20, 3);
    EXPECT_TRUE(person.Select(10, 20));
    EXPECT_TRUE(person.Select(7, 17));  // corner
    EXPECT_TRUE(person.Select(13, 23)); // opposite corner
    EXPECT_FALSE(person.Select(6, 20));
    EXPECT_FALSE(person.Select(14, 20));
    EXPECT_FALSE(person.Select(10, 16));
    EXPECT_FALSE(person.Select(10, 24));
    const TPerson half = StillPerson(10.5, 20.5, 3);
    EXPECT_TRUE(half.Select(8, 18));
    EXPECT_FALSE(half.Select(7, 20));
    EXPECT_TRUE(half.Select(13, 23));
}

TEST(Person, NearWhenCirclesTouchInBothDirections) {
    const TPerson a = StillPerson(0, 0, 3);
    const TPerson touching = StillPerson(6, 0, 3);
    EXPECT_TRUE(a.Near(touching));
    const TPerson small = StillPerson(100, 100, 3);
    const TPerson atEight = StillPerson(100, 108, 5);
    const TPerson atEightAndHalf = StillPerson(100, 108.5, 5);
    EXPECT_TRUE(small.Near(atEight));
    EXPECT_TRUE(atEight.Near(small));
    EXPECT_FALSE(small.Near(atEightAndHalf));
    EXPECT_FALSE(atEightAndHalf.Near(small));
    const TPerson diagonal = StillPerson(106, 108, 5); // distance 10
    EXPECT_FALSE(small.Near(diagonal));
    const TPerson big = StillPerson(100, 100, 5);
    EXPECT_TRUE(big.Near(diagonal)); // exactly 5 + 5 apart on a diagonal
    EXPECT_TRUE(diagonal.Near(big));
}
