// A uniform grid over the persons who can still catch the disease, so that a
// spreader only meets the persons around it instead of the whole population.
// It is rebuilt for every spreading pass and only ever shrinks during one: a
// person leaves it when infected. Buffers are kept between passes, so a pass
// allocates nothing once the population has stopped growing.
//
// The grid only narrows the search. It never decides contact itself: every
// person it offers is tested by the caller (with TPerson::Near), and it offers
// every person whose circle could touch the spreader's under Near's rounding.
// Positions that are not finite go to a list offered to every spreader; a
// spreader off the grid searches its border cells, one that is not finite
// searches them all.
//
// Positions, sizes and the infected and buried flags are copied at the build,
// so that the pass walks small arrays instead of the persons; during a pass
// only the infections that the caller reports change, and the copy follows.
#pragma once

#include "simulation/Unit_TField.h"
#include "simulation/Unit_TPerson.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class TContactGrid {
public:
    // Copies ParaPersons and indexes every one that is not infected. The field
    // (null when there is none) only guides the layout.
    void Build(const std::vector<std::unique_ptr<TPerson>>& ParaPersons, const TField* ParaField);

    // Persons still in the index.
    std::size_t Remaining() const { return mGridRemaining + mEverywhere.size(); }

    // The spreading order over the built population: every person that is
    // infected and not buried when its turn comes, in increasing index order,
    // those infected earlier in the same pass included. ParaInfect(i, j) is
    // asked for every indexed j that spreader i may touch, and returns true
    // when it has infected j.
    template <class TInfect> void Spread(TInfect&& ParaInfect);

    // Offers ParaVisit the index of every indexed person that may touch the
    // person at ParaSpreader; when ParaVisit returns true it has infected that
    // person, who leaves the index. Offers come in no particular order.
    template <class TVisit> void ForEachCandidate(std::size_t ParaSpreader, TVisit&& ParaVisit);

    // Layout of the last build, for tests and benchmarks.
    std::int32_t Columns() const { return mColumns; }
    std::int32_t Rows() const { return mRows; }
    double CellSize() const { return mCellSize; }

private:
    enum : std::uint8_t { kInfected = 1, kBuried = 2 };

    struct TEntry {
        double mX;
        double mY;
        std::uint32_t mIndex;
    };

    // Entries of a cell: [mBegin, mEnd) still indexed.
    struct TCell {
        std::int32_t mBegin;
        std::int32_t mEnd;
    };

    // Cell column or row of a coordinate; monotone in the coordinate, and
    // clamped, so that whatever lies off the grid lands on its border.
    std::int32_t CellOf(double ParaValue, double ParaOrigin, std::int32_t ParaCount) const {
        const double cell = (ParaValue - ParaOrigin) * mInverseCellSize;
        if (!(cell > 0))
            return 0;
        if (cell >= ParaCount - 1)
            return ParaCount - 1;
        return static_cast<std::int32_t>(cell); // the floor, being positive
    }

    // Largest distance along one axis at which Near can still hold between a
    // person of size ParaSize and any indexed person, with room to spare for
    // the rounding of Near's subtractions and square root.
    double Reach(std::int32_t ParaSize) const {
        const double own = ParaSize;
        const double largest = mLargestSize;
        return own + largest + (std::fabs(own) + std::fabs(largest)) * 1e-9 + 1e-9;
    }

    bool IsSpreader(std::size_t ParaIndex) const {
        return (mState[ParaIndex] & (kInfected | kBuried)) == kInfected;
    }

    struct TBounds {
        double mMinX = INFINITY;
        double mMaxX = -INFINITY;
        double mMinY = INFINITY;
        double mMaxY = -INFINITY;
    };

    // Cells over the bounds of the finite candidates, clipped near the field.
    void ChooseLayout(const TField* ParaField, const TBounds& ParaBounds);

    // Copies, by person index.
    std::vector<double> mX;
    std::vector<double> mY;
    std::vector<std::int32_t> mSize;
    std::vector<std::uint8_t> mState;
    std::vector<std::int32_t> mHome; // cell at the build of each candidate and spreader, else -1

    std::vector<TEntry> mEntries;           // candidates by cell
    std::vector<TCell> mCells;              // row by row
    std::vector<std::uint32_t> mEverywhere; // candidates with a non-finite position
    std::size_t mGridRemaining = 0;
    std::int32_t mLargestSize = 0;
    double mOriginX = 0;
    double mOriginY = 0;
    double mCellSize = 1;
    double mInverseCellSize = 1;
    std::int32_t mColumns = 1;
    std::int32_t mRows = 1;
};

template <class TInfect> void TContactGrid::Spread(TInfect&& ParaInfect) {
    // The spreaders come in index order, not in the order of the cells, so
    // their cells are fetched ahead: a home cell's bounds two steps of kAhead
    // early, its entries one step early.
    constexpr std::size_t kAhead = 8;
    const std::size_t count = mState.size();
    for (std::size_t i = 0; i < count && Remaining() > 0; ++i) {
        if (i + 2 * kAhead < count && mHome[i + 2 * kAhead] >= 0 && IsSpreader(i + 2 * kAhead))
            __builtin_prefetch(mCells.data() + mHome[i + 2 * kAhead]);
        if (i + kAhead < count && mHome[i + kAhead] >= 0 && IsSpreader(i + kAhead))
            __builtin_prefetch(mEntries.data() +
                               mCells[static_cast<std::size_t>(mHome[i + kAhead])].mBegin);
        if (!IsSpreader(i))
            continue;
        ForEachCandidate(i, [&](std::size_t ParaOther) { return ParaInfect(i, ParaOther); });
    }
}

template <class TVisit>
void TContactGrid::ForEachCandidate(std::size_t ParaSpreader, TVisit&& ParaVisit) {
    for (std::size_t k = 0; k < mEverywhere.size();) {
        const std::size_t other = mEverywhere[k];
        if (ParaVisit(other)) {
            mState[other] |= kInfected;
            mEverywhere[k] = mEverywhere.back();
            mEverywhere.pop_back();
        } else {
            ++k;
        }
    }
    if (mGridRemaining == 0)
        return;

    const double x = mX[ParaSpreader];
    const double y = mY[ParaSpreader];
    const bool finite = std::isfinite(x) && std::isfinite(y);
    std::int32_t firstColumn = 0;
    std::int32_t lastColumn = mColumns - 1;
    std::int32_t firstRow = 0;
    std::int32_t lastRow = mRows - 1;
    const double reach = finite ? Reach(mSize[ParaSpreader]) : 0.0;
    if (finite) {
        // Sizes below zero can touch nobody.
        if (reach < 0)
            return;
        firstColumn = CellOf(x - reach, mOriginX, mColumns);
        lastColumn = CellOf(x + reach, mOriginX, mColumns);
        firstRow = CellOf(y - reach, mOriginY, mRows);
        lastRow = CellOf(y + reach, mOriginY, mRows);
    }

    for (std::int32_t row = firstRow; row <= lastRow; ++row) {
        for (std::int32_t column = firstColumn; column <= lastColumn; ++column) {
            TCell& cell = mCells[static_cast<std::size_t>(row) * mColumns + column];
            for (std::int32_t k = cell.mBegin; k < cell.mEnd;) {
                TEntry& entry = mEntries[static_cast<std::size_t>(k)];
                // Differences taken as Near takes them: beyond the reach on
                // either axis, Near is false.
                const bool inReach = !finite || (std::fabs(entry.mX - x) <= reach &&
                                                 std::fabs(entry.mY - y) <= reach);
                if (inReach && ParaVisit(static_cast<std::size_t>(entry.mIndex))) {
                    mState[entry.mIndex] |= kInfected;
                    entry = mEntries[static_cast<std::size_t>(--cell.mEnd)];
                    --mGridRemaining;
                } else {
                    ++k;
                }
            }
        }
    }
}
