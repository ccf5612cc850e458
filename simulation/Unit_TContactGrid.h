// The spreading pass over a uniform grid, so that a spreader meets only the
// persons in the cells around it instead of the whole population.
//
// It infects exactly whom the plain pass in index order infects. That pass
// infects every healthy person who touches a spreader, and its spreaders are
// the infected, unburied persons at its start and every healthy person who
// touches a spreader of a lower index (being infected before its own turn).
// Neither rule depends on the order in which contacts are found. So the first
// spreaders search band by band (below), two halves of the bands at the same
// time, and only note what they find; the spreaders that this makes then
// search one after the other, in any order.
//
// Most spreaders have nobody healthy within reach. A bit for each small tile
// of the grid, set around every healthy person, tells them so before they
// look at any entry.
//
// The rows are grouped in bands of a few thousand candidates, small enough
// for a core's cache: the copies are kept by band, which writes to a few
// places at a time, and each band is sorted by cell and searched by its
// spreaders while it is still in the cache. The two halves of the bands are
// worked on at the same time. A walk that hands over its copy puts it by
// band as it goes, on cells chosen before it set out (it keeps everybody on
// the field, and the candidates are about as many as at the last pass), in
// room for each band a little larger than the last pass needed; should a
// band be full after all, the build copies the persons itself.
//
// Contact is decided on copies of the positions and sizes taken at the build,
// with TPerson::Touching, the arithmetic of Near itself. A position that is
// not finite touches nobody (every difference with it is infinite or NaN), so
// such persons are left out. Buffers are kept between passes: once the
// population has stopped growing, a pass allocates nothing.
#pragma once

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
    // A person as the grid copies it.
    struct TEntry {
        double mX;
        double mY;
        std::int32_t mSize;
        std::uint32_t mIndex; // in the persons' list
    };

    TContactGrid() = default;
    // The grid keeps nothing from one pass to the next but its buffers: a
    // copy, or an assignment, leaves a grid with none.
    TContactGrid(const TContactGrid&) {}
    TContactGrid& operator=(const TContactGrid&) { return *this; }

    // Copies ParaPersons: indexes every healthy one and notes the spreaders.
    // The field (null when there is none) only guides the layout. After a
    // walk that handed over its copy (below), that copy is used instead.
    void Build(const std::vector<std::unique_ptr<TPerson>>& ParaPersons, const TField* ParaField);

    // The copy handed over by a walk over all ParaCount persons that has them
    // in the cache anyway and keeps them on ParaField: each part's TCollector
    // takes each of its persons, in index order (part 0 the lower indices),
    // once it will not change before the next Build. Whoever changes a
    // person in between must Forget the copy; the next Build then copies the
    // persons itself.
    void BeginCollect(std::size_t ParaCount, const TField& ParaField);
    class TCollector;
    TCollector CollectorOf(std::size_t ParaPart);
    void EndCollect() { mCollected = true; }
    // Drops a handed-over copy.
    void Forget() { mCollected = false; }

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
    // Builds that copied the persons themselves, having no walk's copy to use.
    std::size_t Copies() const { return mCopies; }

private:
    static constexpr std::size_t kMostBands = 64;

    struct TBounds {
        double mMinX = INFINITY;
        double mMaxX = -INFINITY;
        double mMinY = INFINITY;
        double mMaxY = -INFINITY;
    };

    // Entries in index order, in room reserved up front: one slot more than
    // it may ever hold, so that a copy can write each entry and merely count
    // it or not, without a branch on whether it belongs here.
    class TEntryList {
    public:
        void Reset(std::size_t ParaMost) {
            if (mSlots.size() < ParaMost + 1)
                mSlots.resize(ParaMost + 1);
            mCount = 0;
        }
        void AddIf(const TEntry& ParaEntry, bool ParaKeep) {
            mSlots[mCount] = ParaEntry;
            mCount += ParaKeep;
        }
        std::size_t size() const { return mCount; }
        const TEntry* begin() const { return mSlots.data(); }
        const TEntry* end() const { return mSlots.data() + mCount; }

    private:
        std::vector<TEntry> mSlots;
        std::size_t mCount = 0;
    };

    // One half's entries of one kind by band: band b's in [mFrom[b],
    // mFrom[b] + mCount[b]) of mSlots, in index order, in room for mRoom[b]
    // and two slots more, so that a walk can write each entry where it
    // would go and merely count it or not. A band counted one beyond its
    // room is full: it lost entries.
    class TBandedList {
    public:
        // Room for ParaRoom[b] entries in band b; all empty.
        void Lay(const std::array<std::int32_t, kMostBands>& ParaRoom, std::size_t ParaBands) {
            std::int32_t from = 0;
            for (std::size_t b = 0; b < ParaBands; ++b) {
                mFrom[b] = from;
                mLast[b] = ParaRoom[b] + 1;
                mCount[b] = 0;
                from += ParaRoom[b] + 2;
            }
            mBands = ParaBands;
            if (mSlots.size() < static_cast<std::size_t>(from))
                mSlots.resize(static_cast<std::size_t>(from));
        }
        void AddIf(std::size_t ParaBand, const TEntry& ParaEntry, bool ParaKeep) {
            const std::int32_t count = mCount[ParaBand];
            TEntry& slot = mSlots[static_cast<std::size_t>(mFrom[ParaBand] + count)];
            // Field by field: a copy of the whole was put together on the
            // stack, and read back in a piece that two stores had written,
            // which waits for both to reach the cache.
            slot.mX = ParaEntry.mX;
            slot.mY = ParaEntry.mY;
            slot.mSize = ParaEntry.mSize;
            slot.mIndex = ParaEntry.mIndex;
            mCount[ParaBand] = std::min(count + ParaKeep, mLast[ParaBand]);
        }
        void Add(std::size_t ParaBand, const TEntry& ParaEntry) {
            AddIf(ParaBand, ParaEntry, true);
        }
        const TEntry* begin(std::size_t ParaBand) const { return mSlots.data() + mFrom[ParaBand]; }
        const TEntry* end(std::size_t ParaBand) const {
            return mSlots.data() + mFrom[ParaBand] + mCount[ParaBand];
        }
        std::int32_t Count(std::size_t ParaBand) const { return mCount[ParaBand]; }
        // Entries in all bands of the last Lay.
        std::int32_t Total() const {
            std::int32_t total = 0;
            for (std::size_t b = 0; b < mBands; ++b)
                total += mCount[b];
            return total;
        }
        // Whether an entry found its band full.
        bool Full() const {
            for (std::size_t b = 0; b < mBands; ++b)
                if (mCount[b] == mLast[b])
                    return true;
            return false;
        }
        void Reserve(std::size_t ParaSlots) { mSlots.reserve(ParaSlots); }

    private:
        std::vector<TEntry> mSlots;
        std::array<std::int32_t, kMostBands> mFrom{};
        std::array<std::int32_t, kMostBands> mCount{};
        std::array<std::int32_t, kMostBands> mLast{}; // the room, and one
        std::size_t mBands = 0;
    };

    // What one half of the persons gives at the build. Each on lines of its
    // own: the two halves are filled at the same time.
    struct alignas(64) TPart {
        // By band, as a walk hands them over or as a copy is placed.
        TBandedList mSpreaders;
        TBandedList mCandidates;
        // A copy of the persons' own, in index order, before the bands are chosen.
        TEntryList mCopiedSpreaders;
        TEntryList mCopiedCandidates;
        // Candidates that are buried although healthy (only an edit makes
        // them): they can catch the disease, but never spread it.
        std::vector<std::uint32_t> mBuried;
        TBounds mBounds;
        std::int32_t mLargestSize = std::numeric_limits<std::int32_t>::min();
        std::int32_t mLargestSpreaderSize = std::numeric_limits<std::int32_t>::min();
        // Scratch of the sort by cell of the bands this half's thread sorts.
        std::vector<std::int32_t> mCellCursor;
    };

    // A first spreader touching a candidate: the candidate's place in
    // mEntries, and whether the spreader's index is the lower.
    struct TContact {
        std::uint32_t mEntry;
        bool mMakesSpreader;
    };

    // Cell column or row of a coordinate, clamped to the grid.
    std::int32_t CellOf(double ParaValue, double ParaOrigin, std::int32_t ParaCount) const {
        return CellOf(ParaValue, ParaOrigin, mInverseCellSize, ParaCount);
    }
    // The same from copies of the layout, which a loop keeps in registers.
    static std::int32_t CellOf(double ParaValue, double ParaOrigin, double ParaInverseCellSize,
                               std::int32_t ParaCount) {
        return FloorWithin((ParaValue - ParaOrigin) * ParaInverseCellSize, ParaCount);
    }
    // The band of an ordinate, from copies of what it takes: a walk keeps
    // them in registers, as no store to an entry can change them. The row is
    // CellOf's.
    struct TBandMap {
        double mOriginY;
        double mInverseCellSize;
        std::int32_t mRows;
        const std::uint8_t* mBandOfRow;
        std::size_t Of(double ParaY) const {
            return mBandOfRow[static_cast<std::size_t>(
                CellOf(ParaY, mOriginY, mInverseCellSize, mRows))];
        }
    };
    TBandMap BandMap() const { return {mOriginY, mInverseCellSize, mRows, mBandOfRow.data()}; }
    std::size_t BandOf(double ParaY) const { return BandMap().Of(ParaY); }
    // No bands: a copy in index order.
    struct TNoBands {};

    // Largest distance along one axis at which Near can still hold between a
    // person of size ParaSize and any indexed person, with room to spare for
    // the rounding of Near's subtractions and square root.
    double ReachOf(std::int32_t ParaSize) const {
        const double own = ParaSize;
        const double largest = mLargestSize;
        return own + largest + (std::fabs(own) + std::fabs(largest)) * 1e-9 + 1e-9;
    }

    void Prepare(std::size_t ParaCount);
    void Copy(const std::vector<std::unique_ptr<TPerson>>& ParaPersons, std::size_t ParaBegin,
              std::size_t ParaEnd, TPart& ParaPart);
    // A person into the lists of a part: a walk's by band on cells chosen
    // beforehand, any other copy in index order, noting the bounds for
    // choosing the cells.
    template <bool ParaFromWalk, class TBands>
    static void Add(TPart& ParaPart, const TBands& ParaBands, std::size_t ParaIndex,
                    const TPerson& ParaPerson) {
        const double x = ParaPerson.mPositionX;
        const double y = ParaPerson.mPositionY;
        const bool finite = std::isfinite(x) & std::isfinite(y);
        const TEntry entry{x, y, ParaPerson.mSize, static_cast<std::uint32_t>(ParaIndex)};
        // Infected or not comes without a pattern along the list: the entry
        // goes to both lists and counts in one.
        const bool infected = ParaPerson.mInfected;
        const bool candidate = finite & !infected;
        const bool spreader = finite & infected & !ParaPerson.mBuried;
        if constexpr (ParaFromWalk) {
            // A person is one or the other, or neither: one store, to the
            // list it may belong to.
            TBandedList& list = infected ? ParaPart.mSpreaders : ParaPart.mCandidates;
            list.AddIf(ParaBands.Of(y), entry, candidate | spreader);
        } else {
            ParaPart.mCopiedSpreaders.AddIf(entry, spreader);
            ParaPart.mCopiedCandidates.AddIf(entry, candidate);
            TBounds& bounds = ParaPart.mBounds;
            bounds.mMinX = std::min(bounds.mMinX, candidate ? x : INFINITY);
            bounds.mMaxX = std::max(bounds.mMaxX, candidate ? x : -INFINITY);
            bounds.mMinY = std::min(bounds.mMinY, candidate ? y : INFINITY);
            bounds.mMaxY = std::max(bounds.mMaxY, candidate ? y : -INFINITY);
        }
        if (candidate && ParaPerson.mBuried)
            ParaPart.mBuried.push_back(entry.mIndex);
        constexpr std::int32_t kNoSize = std::numeric_limits<std::int32_t>::min();
        ParaPart.mLargestSize = std::max(ParaPart.mLargestSize, candidate ? entry.mSize : kNoSize);
        ParaPart.mLargestSpreaderSize =
            std::max(ParaPart.mLargestSpreaderSize, spreader ? entry.mSize : kNoSize);
    }
    // Cells over ParaBounds, clipped near the field, for about ParaCount
    // candidates of sizes up to ParaLargestSize, and the bands of their rows.
    void ChooseCells(const TField* ParaField, const TBounds& ParaBounds, std::size_t ParaCount,
                     std::int32_t ParaLargestSize);
    // Room in each band for a walk's copy, from what the last build found.
    void MakeRoom();
    // A part's own copy into its lists by band, each band as large as it
    // needs to be.
    void PlaceByBand(TPart& ParaPart);
    // Bands [ParaFirst, ParaLast) of both parts' candidates by cell into
    // mEntries, and their tiles' bits.
    void SortBands(TPart& ParaScratch, std::size_t ParaFirst, std::size_t ParaLast);
    // The contacts of the first spreaders of bands [ParaFirst, ParaLast).
    // ParaNear is scratch, for the spreaders that the tiles let through.
    void Search(std::size_t ParaFirst, std::size_t ParaLast, std::vector<const TEntry*>& ParaNear,
                std::vector<TContact>& ParaFound) const;
    // Infects whom ParaSpreader touches; a healthy person of a higher index
    // becomes a spreader of this pass.
    template <class TInfect> void SpreadFrom(const TEntry& ParaSpreader, TInfect& ParaInfect);
    template <class TInfect>
    void Catch(const TEntry& ParaOther, bool ParaMade, TInfect& ParaInfect);

    TPart mParts[2]; // the lower and the upper half of the persons
    // The candidates by cell, the cells row by row: cell c holds
    // [mStart[c], mStart[c + 1]). One that leaves the index stays in its place
    // with a NaN abscissa, which no search can reach, so that a row's cells
    // are searched in one sweep over their entries.
    std::vector<TEntry> mEntries;
    std::vector<std::int32_t> mStart;
    std::vector<std::int32_t> mCellOf; // scratch of the sort by cell
    // Band b: rows [mBandRow[b], mBandRow[b + 1]), candidates
    // [mCandidateStart[b], mCandidateStart[b + 1]) of mEntries.
    std::size_t mBands = 1;
    std::vector<std::uint8_t> mBandOfRow;
    std::vector<std::int32_t> mBandRow;
    std::vector<std::int32_t> mCandidateStart;
    // The bands of the two sides: [0, mSide) and [mSide, mBands), of about
    // as much work each.
    std::size_t mSide = 1;
    std::size_t mSpreaderCount = 0;
    // The cells were chosen for a walk's copy on a field of this size, for
    // about this many candidates: the next walk keeps them while that holds.
    bool mCellsForWalk = false;
    std::int32_t mCellsWidth = 0;
    std::int32_t mCellsHeight = 0;
    std::size_t mCellsCandidates = 0;
    TTileBits mTiles;
    std::vector<TContact> mFound[2];     // by the two sides
    std::vector<const TEntry*> mNear[2]; // scratch of the two sides
    std::vector<TEntry> mMade;           // spreaders made by this pass, still to search
    enum : std::uint8_t { kCaught = 1, kCannotSpread = 2 };
    std::vector<std::uint8_t> mMarks; // by person index
    // Whether a candidate that a spreader of index ParaSpreader touches
    // becomes a spreader of this pass.
    bool Makes(std::uint32_t ParaSpreader, std::uint32_t ParaOther) const {
        return ParaSpreader < ParaOther && (mMarks[ParaOther] & kCannotSpread) == 0;
    }
    std::size_t mRemaining = 0;
    bool mCollected = false;         // a handed-over copy waits for the next Build
    bool mWalked = false;            // a walk began one since the last Build
    std::size_t mCollectedCount = 0; // of that many persons
    // What the last build found, for the cells of the next walk's copy.
    std::size_t mLastCandidates = 0;
    std::int32_t mLastLargestSize = 1;
    bool mLastBands = false; // and its lists by band, for the room in each
    bool mBuilt = false;     // whether there was a last build
    std::size_t mCopies = 0;
    std::int32_t mLargestSize = 0;
    double mOriginX = 0;
    double mOriginY = 0;
    double mCellSize = 1;
    double mInverseCellSize = 1;
    std::int32_t mColumns = 1;
    std::int32_t mRows = 1;
};

// A walk's hand-over of one part's persons.
class TContactGrid::TCollector {
public:
    void Add(std::size_t ParaIndex, const TPerson& ParaPerson) {
        TContactGrid::Add<true>(mPart, mBands, ParaIndex, ParaPerson);
    }

private:
    friend class TContactGrid;
    TCollector(TPart& ParaPart, const TBandMap& ParaBands) : mPart(ParaPart), mBands(ParaBands) {}
    TPart& mPart;
    const TBandMap mBands;
};

inline TContactGrid::TCollector TContactGrid::CollectorOf(std::size_t ParaPart) {
    return TCollector(mParts[ParaPart], BandMap());
}

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
