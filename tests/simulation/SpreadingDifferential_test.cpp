// The spreading pass through the contact grid must leave every person exactly
// as the plain all-pairs pass does. Two identical worlds run side by side, one
// with each pass, and are compared after every cycle; odd positions and sizes
// are thrown in between the moves and the spreading.
#include "SimulationFixture.h"

#include "tests/support/AllocationCounter.h"
#include "tests/support/WorldChecksum.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <limits>
#include <random>
#include <sstream>
#include <string>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

bool SameBits(double ParaA, double ParaB) {
    return std::memcmp(&ParaA, &ParaB, sizeof(double)) == 0;
}

// Empty when the two persons agree in every field, else what differs.
std::string Difference(const TPerson& ParaA, const TPerson& ParaB) {
    std::ostringstream out;
    auto integer = [&](const char* ParaName, std::int64_t ParaX, std::int64_t ParaY) {
        if (ParaX != ParaY)
            out << ParaName << " " << ParaX << " vs " << ParaY << "; ";
    };
    auto real = [&](const char* ParaName, double ParaX, double ParaY) {
        if (!SameBits(ParaX, ParaY))
            out << ParaName << " " << ParaX << " vs " << ParaY << "; ";
    };
    integer("mCycle", ParaA.mCycle, ParaB.mCycle);
    integer("mResetCycle", ParaA.mResetCycle, ParaB.mResetCycle);
    real("mPositionX", ParaA.mPositionX, ParaB.mPositionX);
    real("mPositionY", ParaA.mPositionY, ParaB.mPositionY);
    real("mAngle", ParaA.mAngle, ParaB.mAngle);
    real("mAngleChangeSpeed", ParaA.mAngleChangeSpeed, ParaB.mAngleChangeSpeed);
    integer("mStartChangeAngleAfterCycle", ParaA.mStartChangeAngleAfterCycle,
            ParaB.mStartChangeAngleAfterCycle);
    integer("mStopChangeAngleAfterCycle", ParaA.mStopChangeAngleAfterCycle,
            ParaB.mStopChangeAngleAfterCycle);
    integer("mInfectionCycle", ParaA.mInfectionCycle, ParaB.mInfectionCycle);
    integer("mDeadAfterInfectionCycle", ParaA.mDeadAfterInfectionCycle,
            ParaB.mDeadAfterInfectionCycle);
    integer("mDead", ParaA.mDead, ParaB.mDead);
    integer("mDeadCycle", ParaA.mDeadCycle, ParaB.mDeadCycle);
    integer("mBuriedAfterDeadCycle", ParaA.mBuriedAfterDeadCycle, ParaB.mBuriedAfterDeadCycle);
    integer("mBuried", ParaA.mBuried, ParaB.mBuried);
    real("mDirectionX", ParaA.mDirectionX, ParaB.mDirectionX);
    real("mDirectionY", ParaA.mDirectionY, ParaB.mDirectionY);
    real("mSpeed", ParaA.mSpeed, ParaB.mSpeed);
    integer("mInfected", ParaA.mInfected, ParaB.mInfected);
    integer("mQuarantined", ParaA.mQuarantined, ParaB.mQuarantined);
    integer("mRole", ParaA.mRole, ParaB.mRole);
    integer("mSize", ParaA.mSize, ParaB.mSize);
    return out.str();
}

// One population with its own disease; entering it swaps it into the globals.
struct TWorld {
    std::vector<std::unique_ptr<TPerson>> mPersons;
    std::unique_ptr<TDisease> mDisease = std::make_unique<TDisease>();

    void Swap() {
        std::swap(mPersons, Persons);
        std::swap(mDisease, Disease);
    }
};

struct TScenario {
    std::uint32_t mSeed;
    std::int32_t mWidth;
    std::int32_t mHeight;
    std::int32_t mPopulation;
    int mCycles;
};

class SpreadingDifferential : public SimulationTest {
protected:
    void TearDown() override {
        mReference.mPersons.clear();
        SimulationTest::TearDown();
    }

    // A population of the scenario, scattered, with odd sizes and states
    // mixed in; both worlds get identical copies.
    void Populate(const TScenario& ParaScenario) {
        SetRandomState(ParaScenario.mSeed);
        SetField(ParaScenario.mWidth, ParaScenario.mHeight);
        PopulationSize = ParaScenario.mPopulation;
        Humanity = std::make_unique<THumanity>();
        Humanity->ReDistribute();
        std::mt19937 random(ParaScenario.mSeed);
        const int flavour = static_cast<int>(random() % 4);
        for (auto& person : Persons) {
            const std::uint32_t roll = random() % 100;
            if (flavour == 1 && roll < 15)
                person->mSize = static_cast<std::int32_t>(random() % 12) - 1; // -1 .. 10
            if (flavour == 2 && roll < 2)
                person->mSize = 20 + static_cast<std::int32_t>(random() % 60);
            if (flavour == 3) // everybody on one spot
                person->mPositionX = person->mPositionY = 7;
            if (roll >= 95)
                person->Infect(); // by hand, before patient zero
            if (roll == 94)
                person->Quarantine();
            if (roll == 93) // a healthy grave: catches it, never spreads it
                person->mDead = person->mBuried = true;
        }
        Disease = std::make_unique<TDisease>();
        Disease->Initialize();
        // Patient zero soon, so that most cycles spread.
        Disease->mCycleTillPatientZero = 1 + static_cast<std::int32_t>(random() % 5);

        for (const auto& person : Persons)
            mReference.mPersons.push_back(std::make_unique<TPerson>(*person));
        *mReference.mDisease = *Disease;
    }

    // Clicks, a resize now and then, the moves, odd positions thrown in and
    // the disease clock: the same in both worlds, as they stay the same.
    static void Prepare(std::uint32_t ParaSeed) {
        std::mt19937 random(ParaSeed);
        const std::size_t count = Persons.size();
        const auto somebody = [&]() -> TPerson& { return *Persons[random() % count]; };
        const auto near = [&]() {
            return count == 0 ? 0 : static_cast<std::int32_t>(somebody().mPositionX);
        };
        if (random() % 4 == 0) {
            const std::int32_t x = near();
            const std::int32_t y =
                count == 0 ? 0 : static_cast<std::int32_t>(somebody().mPositionY);
            if (random() % 2)
                Humanity->Infect(x, y);
            else
                Humanity->Quarantine(x, y);
        }
        if (random() % 40 == 0) {
            Field->SetWidth(static_cast<std::int32_t>(random() % 1500) - 20);
            Field->SetHeight(static_cast<std::int32_t>(random() % 1500) - 20);
            Humanity->ReDistribute();
        }
        Humanity->Think();
        Humanity->Move();

        if (count > 1 && random() % 3 == 0) {
            for (int k = static_cast<int>(random() % 6); k > 0; --k) {
                TPerson& a = somebody();
                const TPerson& b = somebody();
                const double contact = static_cast<double>(a.mSize) + b.mSize;
                switch (random() % 9) {
                case 0: // exactly touching along an axis
                    a.mPositionX = b.mPositionX + contact;
                    a.mPositionY = b.mPositionY;
                    break;
                case 1: // a hair too far
                    a.mPositionX = b.mPositionX;
                    a.mPositionY = std::nextafter(b.mPositionY - contact, -kInf);
                    break;
                case 2: // on the diagonal
                    a.mPositionX = b.mPositionX + contact * 0.6;
                    a.mPositionY = b.mPositionY + contact * 0.8;
                    break;
                case 3: // on top of each other
                    a.mPositionX = b.mPositionX;
                    a.mPositionY = b.mPositionY;
                    break;
                case 4: // off the field
                    a.mPositionX = -50.0 - random() % 500;
                    a.mPositionY = 3000.0 + random() % 500;
                    break;
                case 5:
                    a.mPositionX = random() % 2 ? kNaN : kInf;
                    break;
                case 6:
                    a.mPositionY = random() % 2 ? -kInf : 1e300;
                    break;
                case 7: // larger than any scattered person
                    a.mSize = 6 + static_cast<std::int32_t>(random() % 30);
                    break;
                default:
                    a.mSize = 3 + static_cast<std::int32_t>(random() % 3);
                    break;
                }
            }
        }
        if (random() % 150 == 0)
            Disease->Reset();
        Disease->Think();
    }

    void Run(const TScenario& ParaScenario) {
        Populate(ParaScenario);
        std::mt19937 cycles(ParaScenario.mSeed ^ 0x5bd1e995u);
        for (int cycle = 0; cycle < ParaScenario.mCycles; ++cycle) {
            const std::uint32_t seed = cycles();
            const std::uint32_t state = RandomState();
            Prepare(seed);
            Disease->Infect();
            const std::uint32_t indexedState = RandomState();

            mReference.Swap();
            SetRandomState(state);
            Prepare(seed);
            Disease->InfectAllPairs();
            mReference.Swap();
            ASSERT_EQ(RandomState(), indexedState);

            ExpectSameWorlds(ParaScenario, cycle);
            if (HasFatalFailure())
                return;
        }
    }

    // Both worlds alike, person for person, and their diseases.
    void ExpectSameWorlds(const TScenario& ParaScenario, int ParaCycle) {
        ASSERT_EQ(Persons.size(), mReference.mPersons.size());
        for (std::size_t i = 0; i < Persons.size(); ++i) {
            const std::string difference = Difference(*Persons[i], *mReference.mPersons[i]);
            ASSERT_TRUE(difference.empty())
                << "seed " << ParaScenario.mSeed << ", " << Persons.size() << " persons, cycle "
                << ParaCycle << ", person " << i << ": " << difference;
        }
        ASSERT_EQ(Disease->mCycle, mReference.mDisease->mCycle);
        ASSERT_EQ(Disease->mPatientZeroExists, mReference.mDisease->mPatientZeroExists);
    }

    // The cycle as the universe runs it (one walk that thinks, moves and
    // hands its copy over, then the disease), against the plain passes one
    // after the other; clicks, resizes and new levels of the disease between
    // cycles, the same in both worlds.
    void RunTheCycle(const TScenario& ParaScenario) {
        Populate(ParaScenario);
        std::mt19937 random(ParaScenario.mSeed ^ 0x2545f491u);
        for (int cycle = 0; cycle < ParaScenario.mCycles; ++cycle) {
            const std::uint32_t roll = random() % 100;
            const std::size_t someone = Persons.empty() ? 0 : random() % Persons.size();
            const std::int32_t width = static_cast<std::int32_t>(random() % 3000);
            const std::int32_t height = static_cast<std::int32_t>(random() % 2000);
            const std::uint32_t state = RandomState();
            const auto between = [&] {
                if (roll < 30 && !Persons.empty()) {
                    const TPerson& target = *Persons[someone];
                    const auto x = static_cast<std::int32_t>(target.mPositionX);
                    const auto y = static_cast<std::int32_t>(target.mPositionY);
                    if (roll < 20)
                        Humanity->Infect(x, y);
                    else
                        Humanity->Quarantine(x, y);
                } else if (roll < 32) {
                    SetField(width, height);
                    Humanity->ReDistribute();
                } else if (roll < 35) {
                    Disease->Reset();
                    Disease->mCycleTillPatientZero = 1 + static_cast<std::int32_t>(roll % 3);
                }
            };
            between();
            if (mCrowd)
                mCrowd(cycle);
            Humanity->ThinkAndMove(Disease->MaySpreadNext() ? &Disease->Contacts() : nullptr);
            Disease->Think();
            Disease->Infect();
            const std::uint32_t cycleState = RandomState();

            mReference.Swap();
            SetRandomState(state);
            between();
            if (mCrowd)
                mCrowd(cycle);
            Humanity->Think();
            Humanity->Move();
            Disease->Think();
            Disease->InfectAllPairs();
            mReference.Swap();
            ASSERT_EQ(RandomState(), cycleState);
            ExpectSameWorlds(ParaScenario, cycle);
            if (HasFatalFailure())
                return;
        }
    }

    struct TCrowd {
        std::int32_t mPopulation;
        double mDensity; // times that of the first level, 100 persons on 792 x 673
        int mCycles;
    };

    // Two rounds of each crowd on a field of its density, one seed after the
    // other, by Run or, with ParaTheCycle, by RunTheCycle.
    void RunCrowds(std::initializer_list<TCrowd> ParaCrowds, std::uint32_t ParaSeed,
                   bool ParaTheCycle) {
        for (const TCrowd& crowd : ParaCrowds) {
            const double scale = std::sqrt(crowd.mPopulation / 100.0 / crowd.mDensity);
            for (int round = 0; round < 2; ++round) {
                const TScenario scenario{ParaSeed++, static_cast<std::int32_t>(792 * scale),
                                         static_cast<std::int32_t>(673 * scale), crowd.mPopulation,
                                         crowd.mCycles};
                if (ParaTheCycle)
                    RunTheCycle(scenario);
                else
                    Run(scenario);
                if (HasFatalFailure())
                    return;
                TearDown();
                SetUp();
            }
        }
    }

    TWorld mReference; // runs the all-pairs pass; the globals run the grid
    // Moves persons about before a cycle of RunTheCycle, in both worlds alike.
    std::function<void(int)> mCrowd;
};

struct TPlay {
    std::vector<std::uint64_t> mDigests; // one per cycle
    std::vector<std::int32_t> mLevels;   // population of each level reached
};

// A whole game without a window, cycle for cycle as the universe runs it,
// with clicks that depend only on the seed and the state of the world.
TPlay Play(std::uint32_t ParaSeed, bool ParaIndexed, int ParaCycles) {
    TPlay play;
    Game.reset();
    Disease.reset();
    Humanity.reset(); // before a new one builds the list that it would empty
    SetRandomState(ParaSeed);
    PopulationSize = 100;
    Field = std::make_unique<TField>();
    Field->SetWidth(792);
    Field->SetHeight(673);
    Humanity = std::make_unique<THumanity>();
    Humanity->ReDistribute();
    Disease = std::make_unique<TDisease>();
    Game = std::make_unique<TGame>();
    Disease->Initialize();
    play.mLevels.push_back(PopulationSize);

    std::mt19937 clicks(ParaSeed);
    for (int cycle = 0; cycle < ParaCycles; ++cycle) {
        if (clicks() % 25 == 0) {
            const TPerson& target = *Persons[clicks() % Persons.size()];
            Humanity->Infect(static_cast<std::int32_t>(target.mPositionX),
                             static_cast<std::int32_t>(target.mPositionY));
        }
        if (clicks() % 10 == 0)
            Humanity->Quarantine(static_cast<std::int32_t>(clicks() % 792),
                                 static_cast<std::int32_t>(clicks() % 673));
        Humanity->Think();
        Humanity->Move();
        Disease->Think();
        if (ParaIndexed)
            Disease->Infect();
        else
            Disease->InfectAllPairs();
        const std::int32_t before = PopulationSize;
        Game->Think();
        if (PopulationSize != before)
            play.mLevels.push_back(PopulationSize);
        play.mDigests.push_back(WorldChecksum());
    }
    return play;
}

} // namespace

TEST_F(SpreadingDifferential, SmallPopulationsOnEveryKindOfField) {
    const std::pair<std::int32_t, std::int32_t> fields[] = {
        {792, 673}, {100, 100}, {1, 1}, {0, 0}, {-5, -7}, {3000, 40}, {1, 900}, {40, 40}};
    const std::int32_t populations[] = {0, 1, 2, 3, 10, 60, 250};
    std::uint32_t seed = 1;
    for (const auto& [width, height] : fields) {
        for (std::int32_t population : populations) {
            Run({seed++, width, height, population, kSanitized ? 40 : 120});
            if (HasFatalFailure())
                return;
            TearDown();
            SetUp();
        }
    }
}

TEST_F(SpreadingDifferential, CrowdsAtGameDensities) {
    // Level-one density (100 persons on 792 x 673) and ten times that.
    const int divisor = kSanitized ? 4 : 1;
    RunCrowds({{1000 / divisor, 1, 150},
               {1000 / divisor, 10, 150},
               {5000 / divisor, 1, 40},
               {5000 / divisor, 10, 40},
               {20000 / divisor, 10, 3}},
              1000, false);
}

TEST_F(SpreadingDifferential, TheCyclesOwnWalkAndHandOverMatchThePlainPasses) {
    // Small populations stay on one thread; the larger ones share every walk
    // with the helper, also in the sanitizer builds.
    const std::int32_t shared = 3 * TPassWorker::kShareFrom / 2;
    RunCrowds({{300, 1, 200}, {shared, 1, kSanitized ? 8 : 40}, {shared, 10, kSanitized ? 8 : 40}},
              5000, true);
}

TEST_F(SpreadingDifferential, AWalksCopyWithABandFullerThanItsRoomIsCopiedAnew) {
    // A walk puts its copy by band, in room after the last pass. Now and
    // then a third of the persons gather in a strip along an edge of the
    // field, and the band there cannot hold them: that cycle copies the
    // persons anew, and the spreading still matches the plain passes.
    const std::int32_t persons = 2 * TPassWorker::kShareFrom;
    const int cycles = kSanitized ? 16 : 26;
    std::vector<std::size_t> copiesBefore;
    mCrowd = [&](int ParaCycle) {
        // Called in the grid's world first, then in the plain passes' world.
        if (copiesBefore.size() == static_cast<std::size_t>(ParaCycle))
            copiesBefore.push_back(Disease->Contacts().Copies());
        if (ParaCycle % 10 != 5)
            return;
        // Along the top, then along the bottom, then the top again.
        const bool top = ParaCycle % 20 == 5;
        for (std::size_t i = 0; i < Persons.size(); i += 3) {
            const double away = 2.0 + static_cast<double>(i % 7);
            Persons[i]->mPositionY = top ? away : Field->Height() - away;
        }
    };
    const double scale = std::sqrt(persons / 100.0); // the density of the first level
    RunTheCycle({42, static_cast<std::int32_t>(792 * scale), static_cast<std::int32_t>(673 * scale),
                 persons, cycles});
    if (HasFatalFailure())
        return;
    const std::size_t copies = Disease->Contacts().Copies();
    for (int cycle = 5; cycle < cycles; cycle += 10) {
        const std::size_t after = cycle + 1 < cycles ? copiesBefore[cycle + 1] : copies;
        EXPECT_EQ(after, copiesBefore[cycle] + 1) << "cycle " << cycle;
    }
    EXPECT_GT(Disease->Contacts().Bands(), 1u);
}

TEST_F(SpreadingDifferential, AWalksCopyServesCycleAfterCycle) {
    // Once a pass has counted the bands, each walk's copy fits the room it
    // is given and is used, whether the walk is shared with the helper or
    // not: only the cycle of patient zero copies the persons anew.
    for (const std::int32_t persons :
         {std::int32_t{2000}, static_cast<std::int32_t>(3 * TPassWorker::kShareFrom / 2)}) {
        const double scale = std::sqrt(persons / 100.0);
        SetField(static_cast<std::int32_t>(792 * scale), static_cast<std::int32_t>(673 * scale));
        PopulationSize = persons;
        Humanity = std::make_unique<THumanity>();
        Humanity->ReDistribute();
        // Two in three infected: more spreaders than half the persons.
        for (std::size_t i = 0; i < Persons.size(); ++i)
            if (i % 3 != 0)
                Persons[i]->Infect();
        Disease = std::make_unique<TDisease>();
        Disease->Initialize();
        Disease->mCycleTillPatientZero = 3;
        TContactGrid& contacts = Disease->Contacts();
        for (int cycle = 0; cycle < 60; ++cycle) {
            Humanity->ThinkAndMove(Disease->MaySpreadNext() ? &contacts : nullptr);
            Disease->Think();
            Disease->Infect();
        }
        // The first pass has no counts yet, and patient zero came after the walk.
        EXPECT_LE(contacts.Copies(), 2u) << persons << " persons";
        EXPECT_LT(contacts.Remaining(), Persons.size() / 3) << "the pass did spread";
        TearDown();
        SetUp();
    }
}

TEST_F(SpreadingDifferential, AHeadlessGamePlaysTheSameWithEitherPass) {
    for (std::uint32_t seed : {11u, 2024u, 777777u}) {
        const int cycles = kSanitized ? 4500 : 6000;
        const TPlay reference = Play(seed, false, cycles);
        const TPlay indexed = Play(seed, true, cycles);
        EXPECT_EQ(indexed.mLevels, reference.mLevels) << "seed " << seed;
        ASSERT_EQ(indexed.mDigests.size(), reference.mDigests.size());
        for (std::size_t cycle = 0; cycle < reference.mDigests.size(); ++cycle)
            ASSERT_EQ(indexed.mDigests[cycle], reference.mDigests[cycle])
                << "seed " << seed << ", cycle " << cycle;
        // Several levels played, or the comparison proved little.
        EXPECT_GE(reference.mLevels.size(), 3u) << "seed " << seed;
    }
}

TEST_F(SpreadingDifferential, PassesAllocateNothingOnceWarmedUp) {
    SetField(2000, 1700);
    PopulationSize = 3000;
    Humanity = std::make_unique<THumanity>();
    Humanity->ReDistribute();
    for (std::size_t i = 0; i < Persons.size(); i += 3)
        Persons[i]->Infect();
    Persons[1]->mPositionX = kNaN; // one for the list of the non-finite
    Disease = std::make_unique<TDisease>();
    Disease->mPatientZeroExists = true;
    Disease->Infect();

    std::size_t infected = 0;
    std::size_t allocations = 0;
    for (int cycle = 0; cycle < 50; ++cycle) {
        Humanity->Move();
        const std::size_t before = gAllocations.load();
        Disease->Infect();
        allocations += gAllocations.load() - before;
    }
    for (const auto& person : Persons)
        infected += person->mInfected;
    EXPECT_EQ(allocations, 0u);
    EXPECT_GT(infected, Persons.size() / 3 + 10); // the passes did spread
}
