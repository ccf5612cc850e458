// An occupancy bitmap over the contact grid's cells: a bit for each small
// tile, set around every healthy person. Most spreaders have nobody healthy
// within reach, and the bits tell them so before they look at any of the
// grid's entries (docs/performance.md, Occupancy bitmap).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

// The cell, or tile, of a coordinate already scaled to cells, or tiles: its
// floor within [0, ParaCount), everything below (and a NaN) in the first,
// everything beyond in the last. Monotone, so that whatever lies off the
// grid lands on its border. The grid and its tiles share it, so that what
// lies off the grid is on a border tile of a border cell.
inline std::int32_t FloorWithin(double ParaScaled, std::int32_t ParaCount) {
    if (!(ParaScaled > 0))
        return 0;
    if (ParaScaled >= ParaCount - 1)
        return ParaCount - 1;
    return static_cast<std::int32_t>(ParaScaled); // the floor, being positive
}

class TTileBits {
public:
    // Tiles for the grid's ParaColumns by ParaRows cells from (ParaOriginX,
    // ParaOriginY), with ParaInverseCellSize the inverse of their size as the
    // grid works it out, and ParaReach the largest distance along an axis at
    // which anybody can touch anybody: a whole number of tiles to a cell's
    // side, a few to the reach. None when that would take too many bits.
    void Choose(double ParaOriginX, double ParaOriginY, double ParaInverseCellSize,
                std::int32_t ParaColumns, std::int32_t ParaRows, double ParaReach);
    // No tiles: AnyNear holds everywhere.
    void Off() { mTiled = false; }
    bool Tiled() const { return mTiled; }
    // Tiles across a cell's side, for tests.
    std::int32_t PerCell() const { return mTiled ? static_cast<std::int32_t>(mPerCell) : 0; }

    // Clears the tiles of the grid's cell rows [ParaFirstRow, ParaLastRow):
    // rows of tiles of their own, so that different cell rows can be worked
    // on at the same time.
    void ClearRows(std::size_t ParaFirstRow, std::size_t ParaLastRow) {
        const auto perCell = static_cast<std::size_t>(mPerCell);
        std::uint64_t* bits = mBits.data() + ParaFirstRow * perCell * mStride;
        std::fill(bits, bits + (ParaLastRow - ParaFirstRow) * perCell * mStride, 0);
    }
    // Marks the tiles within reach of a healthy person at (ParaX, ParaY) along
    // both axes, on the tiles of the grid's cell rows [ParaFirstRow,
    // ParaLastRow) only, so that different cell rows can be worked on at the
    // same time; AnyNear then looks at its own tile alone. Spreaders are
    // asked about far more often than persons are marked, and at random
    // places, where each word read is likely a miss.
    void Occupy(double ParaX, double ParaY, std::size_t ParaFirstRow, std::size_t ParaLastRow) {
        const std::int32_t column = TileOf(ParaX, mOriginX, mColumns);
        const std::int32_t row = TileOf(ParaY, mOriginY, mRows);
        const std::int32_t perCell = static_cast<std::int32_t>(mPerCell);
        const std::int32_t top =
            std::max(row - mReach, static_cast<std::int32_t>(ParaFirstRow) * perCell);
        const std::int32_t bottom =
            std::min(row + mReach, static_cast<std::int32_t>(ParaLastRow) * perCell - 1);
        // At most 2 * kMostReach + 1 tiles across, so one word or two.
        const auto low = static_cast<std::uint32_t>(std::max(column - mReach, 0));
        const auto high = static_cast<std::uint32_t>(std::min(column + mReach, mColumns - 1));
        const std::uint64_t fromLow = ~std::uint64_t{0} << (low % 64);
        const std::uint64_t toHigh = ~std::uint64_t{0} >> (63 - high % 64);
        std::uint64_t* const bits = mBits.data();
        std::size_t at = static_cast<std::size_t>(std::max(top, 0)) * mStride + low / 64;
        // Mostly one word: a second change to it would wait for the first.
        if (low / 64 == high / 64) {
            for (std::int32_t r = top; r <= bottom; ++r, at += mStride)
                bits[at] |= fromLow & toHigh;
        } else {
            for (std::int32_t r = top; r <= bottom; ++r, at += mStride) {
                bits[at] |= fromLow;
                bits[at + 1] |= toHigh;
            }
        }
    }
    // Marks on every row of tiles.
    void Occupy(double ParaX, double ParaY) {
        Occupy(ParaX, ParaY, 0,
               static_cast<std::size_t>(mRows / static_cast<std::int32_t>(mPerCell)));
    }
    // Cell rows above and below its own on which a person may mark tiles,
    // its tile being perhaps in the next row of tiles.
    std::size_t ReachInRows() const {
        const auto perCell = static_cast<std::int32_t>(mPerCell);
        return static_cast<std::size_t>((mReach + perCell) / perCell);
    }
    // Whether a healthy person may lie within reach of (ParaX, ParaY) along
    // both axes.
    bool AnyNear(double ParaX, double ParaY) const {
        if (!mTiled)
            return true;
        const auto column = static_cast<std::size_t>(TileOf(ParaX, mOriginX, mColumns));
        const auto row = static_cast<std::size_t>(TileOf(ParaY, mOriginY, mRows));
        return ((mBits[row * mStride + column / 64] >> (column % 64)) & 1) != 0;
    }

private:
    // Tile column or row of a coordinate, from the grid's own product for
    // its cell: a tile lies in its cell but for the rounding of one more
    // product, which can put it in the next tile.
    std::int32_t TileOf(double ParaValue, double ParaOrigin, std::int32_t ParaCount) const {
        return FloorWithin((ParaValue - ParaOrigin) * mInverseCellSize * mPerCell, ParaCount);
    }

    std::vector<std::uint64_t> mBits; // row by row of tiles, mStride words each
    double mOriginX = 0;
    double mOriginY = 0;
    double mInverseCellSize = 1;
    double mPerCell = 1;
    std::int32_t mColumns = 1;
    std::int32_t mRows = 1;
    std::size_t mStride = 1;
    // Tiles along one axis between a spreader's tile and that of anybody
    // it may touch.
    std::int32_t mReach = 0;
    bool mTiled = false;
};
