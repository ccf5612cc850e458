// The spreading pass over a uniform grid, so that a spreader meets only the
// persons in the cells around it instead of the whole population.
//
// It infects exactly whom the plain pass in index order infects. That pass
// infects every healthy person who touches a spreader, and its spreaders are
// the infected, unburied persons at its start and every healthy person who
// touches a spreader of a lower index (being infected before its own turn).
// Neither rule depends on the order in which contacts are found. So the first
// spreaders search band by band, two sides of the bands at the same time,
// and only note what they find; the spreaders that this makes then search
// one after the other, in any order.
//
// Data flows one way: persons -> TContactSnapshot (by a walk, or copied) ->
// the grid's index (entries sorted by cell, an occupancy bitmap of tiles) ->
// the search. Contact is decided on the snapshot's copies with
// TPerson::Touching, the arithmetic of Near itself. A position that is not
// finite touches nobody (every difference with it is infinite or NaN), so
// such persons are left out. Buffers are kept between passes: once the
// population has stopped growing, a pass allocates nothing. How the pieces
// are made fast, and why: docs/performance.md.
#pragma once

#include "simulation/Unit_TContactSnapshot.h"
#include "simulation/Unit_TField.h"
#include "simulation/Unit_TPassWorker.h"
#include "simulation/Unit_TPerson.h"
#include "simulation/Unit_TTileBits.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

class TContactGrid {
public:
    using TEntry = TContactEntry;

    TContactGrid() = default;
    // The grid keeps nothing from one pass to the next but its buffers: a
    // copy, or an assignment, leaves a grid with none.
    TContactGrid(const TContactGrid&) {}
    TContactGrid& operator=(const TContactGrid&) { return *this; }

    // Indexes ParaSnapshot: every healthy person, and notes the spreaders.
    // The snapshot must outlive the pass (Spread).
    void Build(const TContactSnapshot& ParaSnapshot);
    // Indexes ParaPersons through Snapshot(): as a walk left it, if it is
    // current, else copied anew. The field (null when there is none) only
    // guides the layout of a copy.
    void Build(const std::vector<std::unique_ptr<TPerson>>& ParaPersons, const TField* ParaField);
    // Where a walk over the persons right before the pass may leave them.
    TContactSnapshot& Snapshot() { return mSnapshot; }

    // Healthy persons still in the index.
    std::size_t Remaining() const { return mRemaining; }

    // The spreading pass over the built population: ParaInfect(j) once for
    // every healthy person j that the pass infects, in no particular order,
    // always on the calling thread.
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
    std::size_t Bands() const { return mBands; }
    // Builds that copied the persons themselves, having no walk's snapshot to use.
    std::size_t Copies() const { return mSnapshot.Copies(); }

private:
    // A first spreader touching a candidate: the candidate's place in
    // mEntries, and whether the spreader's index is the lower.
    struct TContact {
        std::uint32_t mEntry;
        bool mMakesSpreader;
    };

    // Cell column or row of a coordinate, clamped to the grid.
    std::int32_t CellOf(double ParaValue, double ParaOrigin, std::int32_t ParaCount) const {
        return TContactLayout::CellOf(ParaValue, ParaOrigin, mInverseCellSize, ParaCount);
    }

    // Largest distance along one axis at which Near can still hold between a
    // person of size ParaSize and any indexed person, with room to spare for
    // the rounding of Near's subtractions and square root.
    double ReachOf(std::int32_t ParaSize) const {
        const double own = ParaSize;
        const double largest = mLargestSize;
        return own + largest + (std::fabs(own) + std::fabs(largest)) * 1e-9 + 1e-9;
    }

    // Bands [ParaFirst, ParaLast) of both parts' candidates by cell into
    // mEntries, and their tiles' bits.
    void SortBands(std::vector<std::int32_t>& ParaCursor, std::size_t ParaFirst,
                   std::size_t ParaLast);
    // The contacts of the first spreaders of bands [ParaFirst, ParaLast).
    // ParaNear is scratch, for the spreaders that the tiles let through.
    void Search(std::size_t ParaFirst, std::size_t ParaLast, std::vector<const TEntry*>& ParaNear,
                std::vector<TContact>& ParaFound) const;
    // Infects whom ParaSpreader touches; a healthy person of a higher index
    // becomes a spreader of this pass.
    template <class TInfect> void SpreadFrom(const TEntry& ParaSpreader, TInfect& ParaInfect);
    template <class TInfect>
    void Catch(const TEntry& ParaOther, bool ParaMade, TInfect& ParaInfect);

    TContactSnapshot mSnapshot;                 // a walk's, or a copy of the persons
    const TContactSnapshot* mIndexed = nullptr; // the one the last Build indexed
    // The candidates by cell, the cells row by row: cell c holds
    // [mStart[c], mStart[c + 1]). One that leaves the index stays in its place
    // with a NaN abscissa, which no search can reach, so that a row's cells
    // are searched in one sweep over their entries.
    std::vector<TEntry> mEntries;
    std::vector<std::int32_t> mStart;
    std::vector<std::int32_t> mCellOf; // scratch of the sort by cell
    // Band b: rows [mBandRow[b], mBandRow[b + 1]) (the snapshot's layout),
    // candidates [mCandidateStart[b], mCandidateStart[b + 1]) of mEntries.
    std::size_t mBands = 1;
    const std::int32_t* mBandRow = nullptr;
    std::vector<std::int32_t> mCandidateStart;
    // The bands of the two sides: [0, mSide) and [mSide, mBands), of about
    // as much work each.
    std::size_t mSide = 1;
    std::size_t mSpreaderCount = 0;
    TTileBits mTiles;
    std::vector<std::int32_t> mCursor[2]; // scratch of the two sides' sorts
    std::vector<TContact> mFound[2];      // by the two sides
    std::vector<const TEntry*> mNear[2];  // scratch of the two sides
    std::vector<TEntry> mMade;            // spreaders made by this pass, still to search
    enum : std::uint8_t { kCaught = 1, kCannotSpread = 2 };
    std::vector<std::uint8_t> mMarks; // by person index
    // Whether a candidate that a spreader of index ParaSpreader touches
    // becomes a spreader of this pass.
    bool Makes(std::uint32_t ParaSpreader, std::uint32_t ParaOther) const {
        return ParaSpreader < ParaOther && (mMarks[ParaOther] & kCannotSpread) == 0;
    }
    std::size_t mRemaining = 0;
    std::int32_t mLargestSize = 0;
    // Copies of the snapshot's layout, which the searches keep in registers.
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
void TContactGrid::Catch(const TEntry& ParaOther, bool ParaMade, TInfect& ParaInfect) {
    if ((mMarks[ParaOther.mIndex] & kCaught) == 0) {
        mMarks[ParaOther.mIndex] |= kCaught;
        ParaInfect(static_cast<std::size_t>(ParaOther.mIndex));
    }
    // Infected before its turn: it spreads in this pass too, and nothing is
    // left to find out about it.
    if (ParaMade)
        mMade.push_back(ParaOther);
}

template <class TInfect>
void TContactGrid::SpreadFrom(const TEntry& ParaSpreader, TInfect& ParaInfect) {
    const TEntry s = ParaSpreader; // mMade may grow under the reference
    if (!mTiles.AnyNear(s.mX, s.mY))
        return;
    ForEachCandidate(s.mX, s.mY, s.mSize, [&](const TEntry& ParaOther) {
        if (!TPerson::Touching(s.mX, s.mY, s.mSize, ParaOther.mX, ParaOther.mY, ParaOther.mSize))
            return false;
        const bool made = Makes(s.mIndex, ParaOther.mIndex);
        Catch(ParaOther, made, ParaInfect);
        return made;
    });
}

template <class TInfect> void TContactGrid::Spread(TInfect&& ParaInfect) {
    mMade.clear();
    if (mRemaining == 0)
        return;
    // The first spreaders only read the grid: those of the two sides of the
    // bands search at the same time, and what they found is taken in
    // afterwards.
    TPassWorker::Shared().Both(
        mSpreaderCount >= TPassWorker::kShareFrom, [&] { Search(0, mSide, mNear[0], mFound[0]); },
        [&] { Search(mSide, mBands, mNear[1], mFound[1]); });
    for (const auto& found : mFound) {
        for (const TContact& contact : found) {
            TEntry& other = mEntries[contact.mEntry];
            // Made a spreader already: out of the index, nothing more to note.
            if (std::isnan(other.mX))
                continue;
            Catch(other, contact.mMakesSpreader, ParaInfect);
            if (contact.mMakesSpreader) {
                other.mX = std::numeric_limits<double>::quiet_NaN();
                --mRemaining;
            }
        }
    }
    while (!mMade.empty() && mRemaining > 0) {
        const TEntry spreader = mMade.back();
        mMade.pop_back();
        SpreadFrom(spreader, ParaInfect);
    }
}
