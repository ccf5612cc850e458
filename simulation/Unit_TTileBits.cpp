#include "simulation/Unit_TTileBits.h"

#include <cmath>

namespace {

// No more words of bits than that, which a core's cache holds; tiles no
// smaller than a part of the reach, and a reach of no more tiles than that
// allows, with room for the rounding.
constexpr double kMostWords = 1 << 16;
constexpr double kTilesInReach = 3;
constexpr double kMostReach = kTilesInReach + 1;

} // namespace

void TTileBits::Choose(double ParaOriginX, double ParaOriginY, double ParaCellSize,
                       double ParaInverseCellSize, std::int32_t ParaColumns, std::int32_t ParaRows,
                       double ParaReach) {
    // Allocated once, for whatever the tiles come to.
    mBits.reserve(static_cast<std::size_t>(kMostWords));
    const double columns = ParaColumns;
    const double rows = ParaRows;
    const auto words = [&](double ParaPerCell) {
        return std::ceil(columns * ParaPerCell / 64) * rows * ParaPerCell;
    };
    double perCell = 1;
    while (perCell < 64 && ParaCellSize / (2 * perCell) >= ParaReach / kTilesInReach &&
           words(2 * perCell) <= kMostWords)
        perCell *= 2;
    // The rounding of TileOf moves a tile by far less than this margin.
    const double reach = std::ceil(ParaReach * ParaInverseCellSize * perCell * (1 + 1e-9) + 1e-6);
    mTiled = reach <= kMostReach && words(perCell) <= kMostWords;
    if (!mTiled)
        return;
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
