// A uniform grid over the persons who can still catch the disease, so that a
// spreader only meets the persons around it instead of the whole population.
// It is rebuilt for every spreading pass and only ever shrinks during one: a
// person leaves it when infected. Buffers are kept between passes, so a pass
// allocates nothing once the population has stopped growing.
//
// The grid only narrows the search. It never decides contact itself: every
// person it offers is tested with TPerson::Near by the caller, and it offers
// every person whose circle could touch the spreader's under Near's rounding.
// Positions that are not finite go to a list offered to every spreader, and a
// spreader off the grid (or not finite) searches the border cells (or all).
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
    // Indexes every person of ParaPersons that is not infected. The field
    // (null when there is none) only guides the layout.
    void Build(const std::vector<std::unique_ptr<TPerson>>& ParaPersons, const TField* ParaField);

    // Persons still in the index.
    std::size_t Remaining() const { return mGridRemaining + mEverywhere.size(); }

    // Offers the index of every indexed person that may touch ParaPerson to
    // ParaVisit, which returns true when it has infected that person; the
    // person then leaves the index. Offers come in no particular order.
    template <class TVisit> void ForEachCandidate(const TPerson& ParaPerson, TVisit&& ParaVisit);

    // Layout of the last build, for tests and benchmarks.
    std::int32_t Columns() const { return mColumns; }
    std::int32_t Rows() const { return mRows; }
    double CellSize() const { return mCellSize; }

private:
    struct TEntry {
        double mX;
        double mY;
        std::uint32_t mIndex;
    };

    // Cell column or row of a coordinate; monotone, and clamped to the grid,
    // so that persons and spreaders off the grid land on its border.
    static std::int32_t CellOf(double ParaValue, double ParaOrigin, double ParaCellSize,
                               std::int32_t ParaCount) {
        const double cell = std::floor((ParaValue - ParaOrigin) / ParaCellSize);
        if (!(cell > 0))
            return 0;
        if (cell >= ParaCount - 1)
            return ParaCount - 1;
        return static_cast<std::int32_t>(cell);
    }

    // Largest distance along one axis at which Near can still hold between a
    // person of size ParaSize and any indexed person, with room to spare for
    // the rounding of Near's subtraction and square root.
    double Reach(std::int32_t ParaSize) const {
        const double sum = static_cast<double>(ParaSize) + static_cast<double>(mLargestSize);
        return sum +
               (std::fabs(static_cast<double>(ParaSize)) +
                std::fabs(static_cast<double>(mLargestSize))) *
                   1e-9 +
               1e-9;
    }

    void ChooseLayout(const TField* ParaField);

    std::vector<TEntry> mPending;           // finite candidates in index order
    std::vector<std::int32_t> mPendingCell; // their cells
    std::vector<TEntry> mEntries;           // candidates sorted by cell
    std::vector<std::int32_t> mCellStart;   // first entry of each cell
    std::vector<std::int32_t> mCellLive;    // entries of each cell still indexed
    std::vector<std::uint32_t> mEverywhere; // candidates with a non-finite position
    std::size_t mGridRemaining = 0;
    std::int32_t mLargestSize = 0;
    double mOriginX = 0;
    double mOriginY = 0;
    double mCellSize = 1;
    std::int32_t mColumns = 1;
    std::int32_t mRows = 1;
};

template <class TVisit>
void TContactGrid::ForEachCandidate(const TPerson& ParaPerson, TVisit&& ParaVisit) {
    for (std::size_t k = 0; k < mEverywhere.size();) {
        if (ParaVisit(static_cast<std::size_t>(mEverywhere[k]))) {
            mEverywhere[k] = mEverywhere.back();
            mEverywhere.pop_back();
        } else {
            ++k;
        }
    }
    if (mGridRemaining == 0)
        return;

    const double x = ParaPerson.mPositionX;
    const double y = ParaPerson.mPositionY;
    const bool finite = std::isfinite(x) && std::isfinite(y);
    std::int32_t firstColumn = 0;
    std::int32_t lastColumn = mColumns - 1;
    std::int32_t firstRow = 0;
    std::int32_t lastRow = mRows - 1;
    const double reach = finite ? Reach(ParaPerson.mSize) : 0.0;
    if (finite) {
        // Sizes below zero can touch nobody.
        if (reach < 0)
            return;
        firstColumn = CellOf(x - reach, mOriginX, mCellSize, mColumns);
        lastColumn = CellOf(x + reach, mOriginX, mCellSize, mColumns);
        firstRow = CellOf(y - reach, mOriginY, mCellSize, mRows);
        lastRow = CellOf(y + reach, mOriginY, mCellSize, mRows);
    }

    for (std::int32_t row = firstRow; row <= lastRow; ++row) {
        for (std::int32_t column = firstColumn; column <= lastColumn; ++column) {
            const std::size_t cell = static_cast<std::size_t>(row) * mColumns + column;
            const std::int32_t start = mCellStart[cell];
            std::int32_t& live = mCellLive[cell];
            for (std::int32_t k = start; k < start + live;) {
                TEntry& entry = mEntries[static_cast<std::size_t>(k)];
                // Differences taken as Near takes them: beyond the reach on
                // either axis, Near is false.
                const bool inReach = !finite || (std::fabs(entry.mX - x) <= reach &&
                                                 std::fabs(entry.mY - y) <= reach);
                if (inReach && ParaVisit(static_cast<std::size_t>(entry.mIndex))) {
                    entry = mEntries[static_cast<std::size_t>(start + live - 1)];
                    --live;
                    --mGridRemaining;
                } else {
                    ++k;
                }
            }
        }
    }
}
