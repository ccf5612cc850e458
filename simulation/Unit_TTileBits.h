// A bit for each small tile of the contact grid's cells, set around every
// healthy person: most spreaders have nobody healthy within reach, and the
// bits tell them so before they look at any of the grid's entries.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

// The cell, or tile, of a coordinate already scaled to cells, or tiles: its
// floor within [0, ParaCount), everything below (and a NaN) in the first,
// everything beyond in the last. Monotone, so that whatever lies off the
// grid lands on its border. The grid and its tiles share it: a tile must lie
// in the cell of the same coordinate.
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
    // grid works it out: as small as half of ParaReach allows, the largest
    // distance along an axis at which anybody can touch anybody, a power of
    // two to a cell's side. None when that would take too many bits.
    void Choose(double ParaOriginX, double ParaOriginY, double ParaCellSize,
                double ParaInverseCellSize, std::int32_t ParaColumns, std::int32_t ParaRows,
                double ParaReach);
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
    // Marks the tiles within reach of a healthy person at (ParaX, ParaY)
    // along its own row of tiles; AnyNear looks at the rows within reach.
    // The rows stay in the cell row of the person.
    void Occupy(double ParaX, double ParaY) {
        const std::int32_t column = TileOf(ParaX, mOriginX, mColumns);
        const auto row = static_cast<std::size_t>(TileOf(ParaY, mOriginY, mRows));
        std::uint64_t* bits = mBits.data() + row * mStride;
        const std::int32_t last = std::min(column + mReach, mColumns - 1);
        for (std::int32_t c = std::max(column - mReach, 0); c <= last; ++c)
            bits[c / 64] |= std::uint64_t{1} << (c % 64);
    }
    // Whether a healthy person may lie within reach of (ParaX, ParaY) along
    // both axes: the bits of a few tile rows at its own tile column.
    bool AnyNear(double ParaX, double ParaY) const {
        if (!mTiled)
            return true;
        const std::int32_t column = TileOf(ParaX, mOriginX, mColumns);
        const std::int32_t row = TileOf(ParaY, mOriginY, mRows);
        const std::int32_t last = std::min(row + mReach, mRows - 1);
        std::uint64_t any = 0;
        for (std::int32_t r = std::max(row - mReach, 0); r <= last; ++r)
            any |= mBits[static_cast<std::size_t>(r) * mStride +
                         static_cast<std::size_t>(column / 64)];
        return ((any >> (column % 64)) & 1) != 0;
    }

private:
    // Tile column or row of a coordinate, as the grid's cell of it: the same
    // product, times a power of two, exact, so that a tile lies in its cell.
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
