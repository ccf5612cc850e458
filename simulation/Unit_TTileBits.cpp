#include "simulation/Unit_TTileBits.h"

#include <algorithm>
#include <cmath>

namespace {

// No more words of bits than that, which a core's cache holds, and a reach
// of no more tiles than that: each person marks its rows twice over and one.
constexpr double kMostWords = 1 << 16;
constexpr double kMostReach = 3;

} // namespace

void TTileBits::Choose(double ParaOriginX, double ParaOriginY, double ParaInverseCellSize,
                       std::int32_t ParaColumns, std::int32_t ParaRows, double ParaReach) {
    // Allocated once, for whatever the tiles come to.
    mBits.reserve(static_cast<std::size_t>(kMostWords));
    const double columns = ParaColumns;
    const double rows = ParaRows;
    const auto words = [&](double ParaPerCell) {
        return std::ceil(columns * ParaPerCell / 64) * rows * ParaPerCell;
    };
    // Tiles along one axis between a spreader's tile and that of anybody it
    // may touch. The rounding of TileOf moves a tile by far less than this
    // margin.
    const auto reachIn = [&](double ParaPerCell) {
        return std::ceil(ParaReach * ParaInverseCellSize * ParaPerCell * (1 + 1e-9) + 1e-6);
    };
    // Of the tiles that the words allow, those whose marked squares reach
    // least beyond the reach, and so turn the most spreaders away: the
    // reach in tiles, and half a tile more on the average. A tile exactly a
    // part of the reach wide takes one more, for the margin; a little wider
    // does better.
    double perCell = 0;
    double least = INFINITY;
    for (double tiles = 1; tiles <= 64 && words(tiles) <= kMostWords; ++tiles) {
        const double reach = reachIn(tiles);
        if (reach > kMostReach)
            break;
        const double beyond = (reach + 0.5) / tiles;
        if (beyond < least) {
            least = beyond;
            perCell = tiles;
        }
    }
    mTiled = perCell > 0;
    if (!mTiled)
        return;
    const double reach = reachIn(perCell);
    mOriginX = ParaOriginX;
    mOriginY = ParaOriginY;
    mInverseCellSize = ParaInverseCellSize;
    mPerCell = perCell;
    mColumns = static_cast<std::int32_t>(columns * perCell);
    mRows = static_cast<std::int32_t>(rows * perCell);
    mStride = (static_cast<std::size_t>(mColumns) + 63) / 64;
    mReach = static_cast<std::int32_t>(std::max(reach, 0.0));
    mBits.resize(mStride * static_cast<std::size_t>(mRows));
}
