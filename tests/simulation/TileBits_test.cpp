// The tile bits may say "maybe" of a spreader with nobody in reach, never
// "nobody" of one with somebody in reach along both axes.
#include "simulation/Unit_TTileBits.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <utility>
#include <vector>

namespace {

struct TGrid {
    double mOrigin;
    double mCell;
    std::int32_t mCells; // along each axis
};

// Marks ParaHealthy on tiles of ParaGrid, then asks at every spreader.
std::vector<bool> Ask(const TGrid& ParaGrid, double ParaReach,
                      const std::vector<std::pair<double, double>>& ParaHealthy,
                      const std::vector<std::pair<double, double>>& ParaSpreaders,
                      TTileBits& ParaBits) {
    ParaBits.Choose(ParaGrid.mOrigin, ParaGrid.mOrigin, 1 / ParaGrid.mCell, ParaGrid.mCells,
                    ParaGrid.mCells, ParaReach);
    std::vector<bool> answers;
    if (!ParaBits.Tiled())
        return answers;
    ParaBits.ClearRows(0, static_cast<std::size_t>(ParaGrid.mCells));
    for (const auto& [x, y] : ParaHealthy)
        ParaBits.Occupy(x, y);
    for (const auto& [x, y] : ParaSpreaders)
        answers.push_back(ParaBits.AnyNear(x, y));
    return answers;
}

} // namespace

TEST(TileBits, SomebodyAtExactlyTheReachIsSeenAcrossEveryTileBorder) {
    const TGrid grid{-3.25, 40, 25};
    const double reach = 10.000000021; // sizes 5 and 5, as the grid works it out
    std::vector<std::pair<double, double>> healthy;
    std::vector<std::pair<double, double>> spreaders;
    // Along each axis and both diagonals, at offsets that put the spreader
    // on every kind of tile border, in the grid and clamped off it.
    const int directions[8][2] = {{1, 0},  {1, 1},   {0, 1},  {-1, 1},
                                  {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
    for (int k = 0; k < 400; ++k) {
        const double x = -60 + k * 2.625;
        const double y = -40 + k * 2.6875;
        const int* direction = directions[k % 8];
        healthy.push_back({x + direction[0] * reach, y + direction[1] * reach});
        spreaders.push_back({x, y});
    }
    // And pairs that hug the tile borders: a spreader just below a border
    // or on it, and the other at the reach across as many borders as can be.
    TTileBits bits;
    Ask(grid, reach, {}, {}, bits);
    const double tile = grid.mCell / bits.PerCell();
    for (int m = 1; m < 60; ++m) {
        const double border = grid.mOrigin + m * tile;
        const double below = std::nextafter(border, -INFINITY);
        const double y = grid.mOrigin + 7 * grid.mCell + 0.5;
        healthy.push_back({below + reach, y});
        spreaders.push_back({below, y});
        healthy.push_back({border - reach, y});
        spreaders.push_back({border, y});
        healthy.push_back({y, below + reach});
        spreaders.push_back({y, below});
        healthy.push_back({y, border - reach});
        spreaders.push_back({y, border});
    }
    for (std::size_t k = 0; k < healthy.size(); ++k) {
        const std::vector<bool> answer = Ask(grid, reach, {healthy[k]}, {spreaders[k]}, bits);
        ASSERT_TRUE(bits.Tiled());
        EXPECT_TRUE(answer[0]) << "pair " << k << " at (" << spreaders[k].first << ", "
                               << spreaders[k].second << ")";
    }
    // Tiles of a third of the reach or more, and more than one to a cell.
    EXPECT_GT(bits.PerCell(), 1);
    EXPECT_GE(grid.mCell / bits.PerCell(), reach / 3);
}

TEST(TileBits, NobodyInReachIsUsuallySaidSoAndSomebodyInReachAlways) {
    const TGrid grid{0, 64, 30};
    const double reach = 8.5;
    std::mt19937 random(7);
    std::uniform_real_distribution<double> on(0, 64 * 30);
    std::vector<std::pair<double, double>> healthy(150);
    std::vector<std::pair<double, double>> spreaders(4000);
    for (auto& point : healthy)
        point = {on(random), on(random)};
    for (auto& point : spreaders)
        point = {on(random), on(random)};
    TTileBits bits;
    const std::vector<bool> answers = Ask(grid, reach, healthy, spreaders, bits);
    ASSERT_EQ(answers.size(), spreaders.size());
    std::size_t turnedAway = 0;
    for (std::size_t k = 0; k < spreaders.size(); ++k) {
        bool inReach = false;
        for (const auto& [x, y] : healthy)
            inReach = inReach || (std::fabs(x - spreaders[k].first) <= reach &&
                                  std::fabs(y - spreaders[k].second) <= reach);
        if (inReach) {
            EXPECT_TRUE(answers[k]) << "spreader " << k;
        }
        turnedAway += !answers[k];
    }
    // The bits are worth their cost only if they turn most spreaders away.
    EXPECT_GT(turnedAway, spreaders.size() * 8 / 10);
}

TEST(TileBits, MarksKeptToSomeCellRowsLeaveTheOtherRowsAlone) {
    // The two halves of the rows are marked at the same time: a person near
    // where they meet must not change the other half's words.
    TTileBits bits;
    bits.Choose(0, 0, 1.0 / 40, 10, 10, 10.000000021);
    ASSERT_TRUE(bits.Tiled());
    bits.ClearRows(0, 10);
    const double x = 200;
    const double above = 159; // cell row 3, its reach over the border into row 4
    const double below = 161; // cell row 4
    bits.Occupy(x, above, 0, 4);
    EXPECT_TRUE(bits.AnyNear(x, 152));
    EXPECT_FALSE(bits.AnyNear(x, below));
    bits.Occupy(x, below, 4, 10);
    EXPECT_TRUE(bits.AnyNear(x, 168));
    EXPECT_FALSE(bits.AnyNear(x + 60, above)); // nobody there in any row
    // Marked on every row, each is seen across the border.
    bits.ClearRows(0, 10);
    bits.Occupy(x, above);
    EXPECT_TRUE(bits.AnyNear(x, below));
    EXPECT_TRUE(bits.AnyNear(x + 9, 169));
    EXPECT_GE(bits.ReachInRows(), 1u);
}

TEST(TileBits, AReachFarBeyondTheCellsLeavesNoTilesAndEverybodyMaybeNear) {
    TTileBits bits;
    bits.Choose(0, 0, 0.1, 100, 100, 1e6);
    EXPECT_FALSE(bits.Tiled());
    EXPECT_TRUE(bits.AnyNear(5, 5));
    bits.Choose(0, 0, 0.1, 100, 100, 4);
    EXPECT_TRUE(bits.Tiled());
    bits.Off();
    EXPECT_TRUE(bits.AnyNear(5, 5));
}
