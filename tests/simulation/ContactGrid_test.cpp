// The grid may offer too many persons, never too few: every healthy person
// that Near puts in contact with a spreader must be offered, wherever the two
// stand and whatever their sizes. Persons off every finite position touch
// nobody and are not indexed.
#include "SimulationFixture.h"

#include "simulation/Unit_TContactGrid.h"

#include <cfloat>
#include <functional>
#include <cmath>
#include <limits>
#include <random>
#include <set>
#include <string>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

class ContactGridTest : public SimulationTest {
protected:
    // Checks, for every person as a spreader, that the grid offers each
    // healthy person it touches, offers nobody twice and no infected person.
    void ExpectCompleteFor(const TField* ParaField, const std::string& ParaWhat) {
        TContactGrid grid;
        grid.Build(Persons, ParaField);
        std::size_t healthy = 0;
        for (const auto& person : Persons)
            healthy += !person->mInfected && std::isfinite(person->mPositionX) &&
                       std::isfinite(person->mPositionY);
        ASSERT_EQ(grid.Remaining(), healthy) << ParaWhat;
        for (std::size_t i = 0; i < Persons.size(); ++i) {
            std::set<std::size_t> offered;
            const TPerson& spreader = *Persons[i];
            grid.ForEachCandidate(spreader.mPositionX, spreader.mPositionY, spreader.mSize,
                                  [&](const TContactGrid::TEntry& ParaEntry) {
                                      const std::size_t j = ParaEntry.mIndex;
                                      EXPECT_TRUE(offered.insert(j).second)
                                          << ParaWhat << ": offered twice " << j;
                                      EXPECT_FALSE(Persons[j]->mInfected) << ParaWhat;
                                      EXPECT_EQ(ParaEntry.mSize, Persons[j]->mSize);
                                      return false;
                                  });
            for (std::size_t j = 0; j < Persons.size(); ++j) {
                if (j == i || Persons[j]->mInfected || !Persons[i]->Near(*Persons[j]))
                    continue;
                ASSERT_TRUE(offered.count(j))
                    << ParaWhat << ": spreader " << i << " at (" << Persons[i]->mPositionX << ", "
                    << Persons[i]->mPositionY << ") size " << Persons[i]->mSize << " misses " << j
                    << " at (" << Persons[j]->mPositionX << ", " << Persons[j]->mPositionY
                    << ") size " << Persons[j]->mSize << "; cell " << grid.CellSize();
            }
        }
    }

    void ExpectComplete(const std::string& ParaWhat) {
        ExpectCompleteFor(Field.get(), ParaWhat);
        ExpectCompleteFor(nullptr, ParaWhat + " without a field");
    }
};

} // namespace

TEST_F(ContactGridTest, ContactsAtExactlyTheTouchingDistanceAcrossCellBorders) {
    SetField(400, 400);
    // Dense enough that the cells are exactly the largest contact distance
    // (10): the lattice points then sit on the cell borders.
    for (int row = 0; row < 25; ++row) {
        for (int column = 0; column < 25; ++column) {
            AddPerson(column * 10.0, row * 10.0, 5);
            if ((row + column) % 3 == 0)
                AddPerson(column * 10.0, row * 10.0, 5, true);
        }
    }
    TContactGrid grid;
    grid.Build(Persons, Field.get());
    ASSERT_EQ(grid.CellSize(), 10.0);
    ExpectComplete("lattice of 10, sizes 5");

    // Sizes 3 and 5 exactly 8 apart along the axes, and 5 and 5 exactly 10
    // apart on the diagonal (6, 8), from border points and just off them,
    // among a background that keeps the cells at 10 with the origin at 0.
    Persons.clear();
    for (int row = 0; row <= 20; ++row)
        for (int column = 0; column <= 20; ++column)
            AddPerson(column * 10.0, row * 10.0, 5);
    for (int k = 1; k < 19; ++k) {
        const double x = k * 10.0;
        const double y = (k % 9 + 1) * 20.0;
        AddPerson(x, y, 3, true);
        AddPerson(x + 8, y, 5);
        AddPerson(x - 8, y + 10, 5);
        AddPerson(x, y + 10, 3, true);
        AddPerson(x, y - 8, 5);
        AddPerson(x + 6, y - 8, 5, k % 2 == 0);
        AddPerson(x, y, 5, k % 2 == 1);
        AddPerson(std::nextafter(x + 8, 1e9), y + 10, 5);
        AddPerson(std::nextafter(x - 8, -1e9), y, 5);
    }
    grid.Build(Persons, Field.get());
    ASSERT_EQ(grid.CellSize(), 10.0);
    ExpectComplete("exact contacts");
}

TEST_F(ContactGridTest, RandomCrowdsOfMixedSizesOnAnyField) {
    std::mt19937 random(7);
    const std::int32_t sizes[] = {3, 4, 5, 0, 1, 6, 9, 17, 40, -3};
    const std::pair<std::int32_t, std::int32_t> fields[] = {{792, 673}, {100, 100}, {1, 1},  {0, 0},
                                                            {-5, -7},   {3000, 40}, {1, 900}};
    for (const auto& [width, height] : fields) {
        for (int crowd = 0; crowd < 3; ++crowd) {
            SetField(width, height);
            Persons.clear();
            const int count = 50 + static_cast<int>(random() % 400);
            const double spanX = std::max(std::abs(width), 20) * 1.3;
            const double spanY = std::max(std::abs(height), 20) * 1.3;
            for (int k = 0; k < count; ++k) {
                const double x = std::uniform_real_distribution<double>(-0.15, 1.0)(random) * spanX;
                const double y = std::uniform_real_distribution<double>(-0.15, 1.0)(random) * spanY;
                const std::int32_t size =
                    random() % 4 == 0 ? sizes[random() % 10] : 3 + static_cast<int>(random() % 3);
                // Some on whole pixels, as after a scatter, so ties are common.
                AddPerson(k % 2 ? std::round(x) : x, k % 2 ? std::round(y) : y, size,
                          random() % 3 == 0);
            }
            ExpectComplete("field " + std::to_string(width) + "x" + std::to_string(height));
        }
    }
}

TEST_F(ContactGridTest, StrayStackedAndNonFinitePositions) {
    SetField(792, 673);
    // Everybody on one point.
    for (int k = 0; k < 200; ++k)
        AddPerson(300, 200, 3 + k % 3, k % 7 == 0);
    ExpectComplete("stacked");

    // Far-off, huge, tiny and non-finite coordinates among ordinary ones.
    const double odd[] = {1e15,     -1e15,   1e300, -1e300, DBL_MAX, -DBL_MAX,
                          4.9e-324, -1e-300, kNaN,  kInf,   -kInf,   1e15 + 8};
    int k = 0;
    for (double a : odd) {
        for (double b : {0.0, 50.0, a}) {
            AddPerson(a, b, 5, false);
            AddPerson(b, a, 5, true);
            AddPerson(a, a, 3, ++k % 2 == 0);
        }
    }
    AddPerson(1e15, 1e15, 5, true);
    AddPerson(1e15 + 8, 1e15, 3);
    AddPerson(1e300, 1e300, 5, true);
    AddPerson(1e300, 1e300, 5);
    ExpectComplete("odd positions");
}

TEST_F(ContactGridTest, ExtremeSizes) {
    SetField(792, 673);
    const std::int32_t big = std::numeric_limits<std::int32_t>::max();
    const std::int32_t small = std::numeric_limits<std::int32_t>::min();
    AddPerson(10, 10, 3, true);
    AddPerson(600, 500, 1000000);
    AddPerson(1e9, 1e9, big);
    AddPerson(-1e9, 5, big, true);
    AddPerson(50, 50, small);
    AddPerson(52, 50, 3, true);
    AddPerson(50, 50, 0);
    AddPerson(50, 50, 0, true);
    for (int k = 0; k < 100; ++k)
        AddPerson(k * 7.5, k * 6.1, k % 5 == 0 ? -2 : 4, k % 4 == 0);
    ExpectComplete("extreme sizes");

    // Sizes this far apart round Near's subtractions: a pair a little more
    // than the sum of the sizes apart still counts as touching.
    Persons.clear();
    for (int k = 0; k < 50; ++k)
        AddPerson(k * 9.0, 0, 4, k % 3 == 0);
    const TPerson& spreader = AddPerson(100, 300, -(1 << 30), true);
    const TPerson& touched = AddPerson(108 + 1e-8, 300, (1 << 30) + 8);
    ASSERT_TRUE(spreader.Near(touched));
    ExpectComplete("rounded sizes");
}

TEST_F(ContactGridTest, AnInfectedPersonLeavesTheIndexAndIsNotOfferedAgain) {
    SetField(100, 100);
    AddPerson(50, 50, 5, true);
    AddPerson(55, 50, 5);
    AddPerson(50, 55, 5);
    AddPerson(90, 90, 5);
    AddPerson(kNaN, 1, 5);
    TContactGrid grid;
    grid.Build(Persons, Field.get());
    EXPECT_EQ(grid.Remaining(), 3u); // the one at NaN touches nobody

    std::multiset<std::size_t> seen;
    for (int pass = 0; pass < 3; ++pass) {
        grid.ForEachCandidate(50, 50, 5, [&](const TContactGrid::TEntry& ParaEntry) {
            seen.insert(ParaEntry.mIndex);
            return ParaEntry.mIndex == 1; // infect this one
        });
    }
    EXPECT_EQ(grid.Remaining(), 2u);
    EXPECT_EQ(seen.count(1), 1u);
    EXPECT_EQ(seen.count(2), 3u);
    EXPECT_EQ(seen.count(3), 0u); // out of reach: never even offered
    EXPECT_EQ(seen.count(4), 0u);
}

TEST_F(ContactGridTest, StragglersDoNotStretchTheCells) {
    SetField(792, 673);
    std::mt19937 random(3);
    for (int k = 0; k < 2000; ++k)
        AddPerson(random() % 792, random() % 673, 3 + k % 3);
    AddPerson(1e300, -1e300, 5);
    AddPerson(-5e6, 7e6, 5);
    TContactGrid grid;
    grid.Build(Persons, Field.get());
    EXPECT_LE(grid.CellSize(), 40.0);
    EXPECT_LE(static_cast<double>(grid.Columns()) * grid.Rows(), 2.0 * Persons.size() + 16);
}

TEST_F(ContactGridTest, AWalksSnapshotServesOnlyWhileNobodyChangedThePersonsSince) {
    // Two infected persons, each touching a healthy one; everybody is still.
    SetField(400, 300);
    PopulationSize = 0;
    Humanity = std::make_unique<THumanity>();
    AddPerson(100, 100, 5, true);
    AddPerson(108, 100, 5);
    AddPerson(300, 200, 5);
    AddPerson(308, 200, 5);
    for (auto& person : Persons)
        person->mSpeed = 0;
    // Every way the persons can change between a walk and the pass, each
    // of which must make the pass copy them anew, and see the change.
    const std::vector<std::pair<const char*, std::function<void()>>> changes = {
        {"patient zero", [] { Persons[2]->Infect(); }},
        {"a click that infects", [] { Humanity->Infect(300, 200); }},
        {"a click that quarantines", [] { Humanity->Quarantine(108, 100); }},
        {"a move", [] { Humanity->Move(); }},
        {"a think", [] { Humanity->Think(); }},
        {"scattered anew",
         [] {
             // And put back: only the change itself counts.
             Humanity->ReDistribute();
             const double places[][2] = {{100, 100}, {108, 100}, {300, 200}, {308, 200}};
             for (std::size_t i = 0; i < Persons.size(); ++i) {
                 Persons[i]->mPositionX = places[i][0];
                 Persons[i]->mPositionY = places[i][1];
             }
         }},
    };
    for (const auto& [what, change] : changes) {
        Persons[1]->mInfected = Persons[2]->mInfected = Persons[3]->mInfected = false;
        TContactGrid grid;
        Humanity->ThinkAndMove(&grid);
        grid.Build(Persons, Field.get());
        EXPECT_EQ(grid.Copies(), 0u) << what << ": the walk's snapshot was current";
        EXPECT_EQ(grid.Remaining(), 3u) << what;

        Humanity->ThinkAndMove(&grid);
        change();
        grid.Build(Persons, Field.get());
        EXPECT_EQ(grid.Copies(), 1u) << what << ": a stale snapshot was used";
        grid.Spread([](std::size_t ParaOther) { Persons[ParaOther]->Infect(); });
        if (Persons[2]->mInfected) {
            EXPECT_TRUE(Persons[3]->mInfected) << what << ": the change did not reach the pass";
        }
        EXPECT_TRUE(Persons[1]->mInfected) << what;
        // The pass changed the persons too: its own snapshot is stale now.
        grid.Build(Persons, Field.get());
        EXPECT_EQ(grid.Copies(), 2u) << what;
    }
}
