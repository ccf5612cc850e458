// The spreading pass over a uniform grid, so that a spreader meets only the
// persons in the cells around it instead of the whole population.
//
// It infects exactly whom the plain pass in index order infects. That pass
// infects every healthy person who touches a spreader, and its spreaders are
// the infected, unburied persons at its start and every healthy person who
// touches a spreader of a lower index (being infected before its own turn).
// Neither rule depends on the order in which contacts are found, so the pass
// here takes the first spreaders cell by cell, where their neighbours lie
// close together in memory, and then the spreaders it has made, in any order.
//
// Contact is decided on copies of the positions and sizes taken at the build,
// with TPerson::Touching, the arithmetic of Near itself. A position that is
// not finite touches nobody (every difference with it is infinite or NaN), so
// such persons are left out. Buffers are kept between passes: once the
// population has stopped growing, a pass allocates nothing.
#pragma once

#include "simulation/Unit_TField.h"
#include "simulation/Unit_TPerson.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

class TContactGrid {
public:
    // A person as the grid copies it.
    struct TEntry {
        double mX;
        double mY;
        std::int32_t mSize;
        std::uint32_t mIndex; // in the persons' list
    };

    // Copies ParaPersons: indexes every healthy one and notes the spreaders.
    // The field (null when there is none) only guides the layout.
    void Build(const std::vector<std::unique_ptr<TPerson>>& ParaPersons, const TField* ParaField);

    // Healthy persons still in the index.
    std::size_t Remaining() const { return mRemaining; }

    // The spreading pass over the built population: ParaInfect(j) once for
    // every healthy person j that the pass infects, in no particular order.
    template <class TInfect> void Spread(TInfect&& ParaInfect);

    // Offers ParaVisit the entry of every indexed person whose circle could
    // touch a circle of radius ParaSize around (ParaX, ParaY), and perhaps of
    // others nearby; when ParaVisit returns true, that person leaves the index.
    template <class TVisit>
    void ForEachCandidate(double ParaX, double ParaY, std::int32_t ParaSize, TVisit&& ParaVisit);

    // Layout of the last build, for tests and benchmarks.
    std::int32_t Columns() const { return mColumns; }
    std::int32_t Rows() const { return mRows; }
    double CellSize() const { return mCellSize; }

private:
    struct TBounds {
        double mMinX = INFINITY;
        double mMaxX = -INFINITY;
        double mMinY = INFINITY;
        double mMaxY = -INFINITY;
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

    std::int32_t CellIndexOf(const TEntry& ParaEntry) const {
        return CellOf(ParaEntry.mY, mOriginY, mRows) * mColumns +
               CellOf(ParaEntry.mX, mOriginX, mColumns);
    }

    // Largest distance along one axis at which Near can still hold between a
    // person of size ParaSize and any indexed person, with room to spare for
    // the rounding of Near's subtractions and square root.
    double ReachOf(std::int32_t ParaSize) const {
        const double own = ParaSize;
        const double largest = mLargestSize;
        return own + largest + (std::fabs(own) + std::fabs(largest)) * 1e-9 + 1e-9;
    }

    // Cells over the bounds of the candidates, clipped near the field.
    void ChooseLayout(const TField* ParaField, const TBounds& ParaBounds);
    // Infects whom ParaSpreader touches; a healthy person of a higher index
    // becomes a spreader of this pass.
    template <class TInfect> void SpreadFrom(const TEntry& ParaSpreader, TInfect& ParaInfect);

    // Sorts ParaList by cell into ParaSorted: the entries of cell c come to
    // lie in [ParaStart[c], ParaStart[c + 1]), in the order of ParaList.
    void SortByCell(const std::vector<TEntry>& ParaList, std::vector<std::int32_t>& ParaStart,
                    std::vector<TEntry>& ParaSorted);

    std::vector<TEntry> mFirst;        // spreaders at the build, in index order
    std::vector<TEntry> mCandidates;   // healthy, in index order
    std::vector<std::int32_t> mCellOf; // scratch of the sorting: cell of each entry
    // The candidates by cell, the cells row by row. One that leaves the index
    // stays in its place with a NaN abscissa, which no search can reach: a
    // row's cells are then searched in one sweep over their entries.
    std::vector<TEntry> mEntries;
    std::vector<std::int32_t> mStart;
    std::vector<TEntry> mSpreaders; // the first spreaders by cell
    std::vector<std::int32_t> mSpreaderStart;
    std::vector<TEntry> mMade;         // spreaders made by this pass, still to reach out
    std::vector<std::uint8_t> mCaught; // by person index: infected by this pass
    std::size_t mRemaining = 0;
    std::int32_t mLargestSize = 0;
    double mOriginX = 0;
    double mOriginY = 0;
    double mCellSize = 1;
    double mInverseCellSize = 1;
    std::int32_t mColumns = 1;
    std::int32_t mRows = 1;
};

template <class TVisit>
void TContactGrid::ForEachCandidate(double ParaX, double ParaY, std::int32_t ParaSize,
                                    TVisit&& ParaVisit) {
    if (mRemaining == 0 || !std::isfinite(ParaX) || !std::isfinite(ParaY))
        return;
    const double reach = ReachOf(ParaSize);
    // Sizes below zero can touch nobody.
    if (reach < 0)
        return;
    const std::int32_t firstColumn = CellOf(ParaX - reach, mOriginX, mColumns);
    const std::int32_t lastColumn = CellOf(ParaX + reach, mOriginX, mColumns);
    const std::int32_t firstRow = CellOf(ParaY - reach, mOriginY, mRows);
    const std::int32_t lastRow = CellOf(ParaY + reach, mOriginY, mRows);
    for (std::int32_t row = firstRow; row <= lastRow; ++row) {
        const std::int32_t* start = mStart.data() + static_cast<std::size_t>(row) * mColumns;
        const auto end = static_cast<std::size_t>(start[lastColumn + 1]);
        for (auto k = static_cast<std::size_t>(start[firstColumn]); k < end; ++k) {
            TEntry& entry = mEntries[k];
            // Differences taken as Near takes them: beyond the reach on
            // either axis, Near is false.
            if (std::fabs(entry.mX - ParaX) <= reach && std::fabs(entry.mY - ParaY) <= reach &&
                ParaVisit(static_cast<const TEntry&>(entry))) {
                entry.mX = std::numeric_limits<double>::quiet_NaN();
                --mRemaining;
            }
        }
    }
}

template <class TInfect>
void TContactGrid::SpreadFrom(const TEntry& ParaSpreader, TInfect& ParaInfect) {
    const TEntry s = ParaSpreader; // mMade may grow under the reference
    ForEachCandidate(s.mX, s.mY, s.mSize, [&](const TEntry& ParaOther) {
        if (!TPerson::Touching(s.mX, s.mY, s.mSize, ParaOther.mX, ParaOther.mY, ParaOther.mSize))
            return false;
        if (!mCaught[ParaOther.mIndex]) {
            mCaught[ParaOther.mIndex] = 1;
            ParaInfect(static_cast<std::size_t>(ParaOther.mIndex));
        }
        // Infected before its turn: it spreads in this pass too, and nothing
        // is left to find out about it.
        if (s.mIndex < ParaOther.mIndex) {
            mMade.push_back(ParaOther);
            return true;
        }
        return false;
    });
}

template <class TInfect> void TContactGrid::Spread(TInfect&& ParaInfect) {
    mMade.clear();
    // Cell by cell: one spreader after the other searches the same few cells,
    // and the search moves through memory in one direction.
    for (const TEntry& spreader : mSpreaders) {
        if (mRemaining == 0)
            return;
        SpreadFrom(spreader, ParaInfect);
    }
    while (!mMade.empty() && mRemaining > 0) {
        const TEntry spreader = mMade.back();
        mMade.pop_back();
        SpreadFrom(spreader, ParaInfect);
    }
}
