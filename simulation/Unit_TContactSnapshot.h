// What the contact grid indexes: a copy of every person who can catch or
// spread the disease, by band of rows of the grid's cells, taken in one of
// two ways. A walk over the persons that has them in the cache anyway hands
// each over as it leaves it (on cells chosen before it set out); or the
// snapshot copies the persons itself. Either way the grid gets the same
// plain data.
//
// A snapshot is of the persons as they were when it was taken. It is stamped
// with PersonsGeneration, which every change to the persons outside such a
// walk advances: a snapshot with another stamp is stale, and nobody has to
// remember to throw it away. Why it is laid out as it is: docs/performance.md.
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
#include <type_traits>
#include <vector>

// A person as the grid copies it.
struct TContactEntry {
    double mX;
    double mY;
    std::int32_t mSize;
    std::uint32_t mIndex; // in the persons' list
};
// Copied field by field (TBandedList::AddIf): a field added here must be
// added there too.
static_assert(std::is_trivially_copyable_v<TContactEntry>);
static_assert(sizeof(TContactEntry) ==
              2 * sizeof(double) + sizeof(std::int32_t) + sizeof(std::uint32_t));
static_assert(offsetof(TContactEntry, mIndex) + sizeof(std::uint32_t) == sizeof(TContactEntry));

// The cells of the grid and the bands of their rows.
struct TContactLayout {
    static constexpr std::size_t kMostBands = 64;

    double mOriginX = 0;
    double mOriginY = 0;
    double mCellSize = 1;
    double mInverseCellSize = 1;
    std::int32_t mColumns = 1;
    std::int32_t mRows = 1;
    // Band b: rows [mBandRow[b], mBandRow[b + 1]).
    std::size_t mBands = 1;
    std::vector<std::uint8_t> mBandOfRow;
    std::vector<std::int32_t> mBandRow;

    // Cells over [ParaMinX, ParaMaxX] x [ParaMinY, ParaMaxY], clipped near
    // the field when there is one, for about ParaCount candidates of sizes
    // up to ParaLargestSize, and the bands of their rows.
    void Choose(const TField* ParaField, double ParaMinX, double ParaMaxX, double ParaMinY,
                double ParaMaxY, std::size_t ParaCount, std::int32_t ParaLargestSize);
    // Room for the largest layout of ParaCount candidates, so that choosing
    // one later allocates nothing.
    void Reserve(std::size_t ParaCount);

    // Cell column or row of a coordinate, clamped to the grid, from copies
    // of the layout that a loop keeps in registers.
    static std::int32_t CellOf(double ParaValue, double ParaOrigin, double ParaInverseCellSize,
                               std::int32_t ParaCount) {
        return FloorWithin((ParaValue - ParaOrigin) * ParaInverseCellSize, ParaCount);
    }
    // The band of an ordinate's row.
    std::size_t BandOf(double ParaY) const {
        return mBandOfRow[static_cast<std::size_t>(
            CellOf(ParaY, mOriginY, mInverseCellSize, mRows))];
    }
};

class TContactSnapshot {
public:
    static constexpr std::size_t kParts = TPassWorker::kParts;
    static constexpr std::size_t kMostBands = TContactLayout::kMostBands;

    // One kind of entries of one part by band: band b's in [mFrom[b],
    // mFrom[b] + mCount[b]) of mSlots, in index order, in room for mRoom[b]
    // and two slots more, so that a walk can write each entry where it
    // would go and merely count it or not. A band counted one beyond its
    // room is full: it lost entries.
    class TBandedList {
    public:
        // Room for ParaRoom[b] entries in band b; all empty.
        void Lay(const std::array<std::int32_t, kMostBands>& ParaRoom, std::size_t ParaBands);
        void AddIf(std::size_t ParaBand, const TContactEntry& ParaEntry, bool ParaKeep) {
            const std::int32_t count = mCount[ParaBand];
            TContactEntry& slot = mSlots[static_cast<std::size_t>(mFrom[ParaBand] + count)];
            // Field by field, for store-to-load forwarding (see the
            // static_assert on TContactEntry).
            slot.mX = ParaEntry.mX;
            slot.mY = ParaEntry.mY;
            slot.mSize = ParaEntry.mSize;
            slot.mIndex = ParaEntry.mIndex;
            mCount[ParaBand] = std::min(count + ParaKeep, mLast[ParaBand]);
        }
        const TContactEntry* begin(std::size_t ParaBand) const {
            return mSlots.data() + mFrom[ParaBand];
        }
        const TContactEntry* end(std::size_t ParaBand) const {
            return mSlots.data() + mFrom[ParaBand] + mCount[ParaBand];
        }
        std::int32_t Count(std::size_t ParaBand) const { return mCount[ParaBand]; }
        // Entries in all bands of the last Lay.
        std::int32_t Total() const;
        // Whether an entry found its band full.
        bool Full() const;
        void Reserve(std::size_t ParaSlots) { mSlots.reserve(ParaSlots); }

    private:
        std::vector<TContactEntry> mSlots;
        std::array<std::int32_t, kMostBands> mFrom{};
        std::array<std::int32_t, kMostBands> mCount{};
        std::array<std::int32_t, kMostBands> mLast{}; // the room, and one
        std::size_t mBands = 0;
    };

    // What one part of the persons gives, on cache lines of its own (no
    // false sharing): the parts are filled at the same time.
    struct alignas(64) TPart {
        TBandedList mSpreaders;
        TBandedList mCandidates;
        // Candidates that are buried although healthy (only an edit makes
        // them): they can catch the disease, but never spread it.
        std::vector<std::uint32_t> mBuried;
        std::int32_t mLargestSize = std::numeric_limits<std::int32_t>::min();
        std::int32_t mLargestSpreaderSize = std::numeric_limits<std::int32_t>::min();
    };

    // The band of an ordinate, from copies of what it takes, which no store
    // to an entry can alias: a walk keeps them in registers.
    struct TBandMap {
        double mOriginY;
        double mInverseCellSize;
        std::int32_t mRows;
        const std::uint8_t* mBandOfRow;
        std::size_t Of(double ParaY) const {
            return mBandOfRow[static_cast<std::size_t>(
                TContactLayout::CellOf(ParaY, mOriginY, mInverseCellSize, mRows))];
        }
    };

    // A walk's hand-over of one part's persons.
    class TCollector {
    public:
        // Each of the part's persons, in index order, once it will not
        // change before the snapshot is used.
        void Add(std::size_t ParaIndex, const TPerson& ParaPerson) {
            const double x = ParaPerson.mPositionX;
            const double y = ParaPerson.mPositionY;
            // Both tests, no branch between them.
            const bool finiteX = std::isfinite(x);
            const bool finiteY = std::isfinite(y);
            const bool finite = finiteX & finiteY;
            const bool infected = ParaPerson.mInfected;
            const bool candidate = finite & !infected;
            const bool spreader = finite & infected & !ParaPerson.mBuried;
            const TContactEntry entry{x, y, ParaPerson.mSize,
                                      static_cast<std::uint32_t>(ParaIndex)};
            // Infected or not comes without a pattern: a select, and one
            // store, to the one list the person may belong to.
            TBandedList& list = infected ? mPart.mSpreaders : mPart.mCandidates;
            list.AddIf(mBands.Of(y), entry, candidate | spreader);
            if (candidate && ParaPerson.mBuried)
                mPart.mBuried.push_back(entry.mIndex);
            constexpr std::int32_t kNoSize = std::numeric_limits<std::int32_t>::min();
            mPart.mLargestSize = std::max(mPart.mLargestSize, candidate ? entry.mSize : kNoSize);
            mPart.mLargestSpreaderSize =
                std::max(mPart.mLargestSpreaderSize, spreader ? entry.mSize : kNoSize);
        }

    private:
        friend class TContactSnapshot;
        TCollector(TPart& ParaPart, const TBandMap& ParaBands)
            : mPart(ParaPart), mBands(ParaBands) {}
        TPart& mPart;
        const TBandMap mBands;
    };

    TContactSnapshot() = default;
    // A snapshot is only ever its owner's: a copy, or an assignment, is empty.
    TContactSnapshot(const TContactSnapshot&) {}
    TContactSnapshot& operator=(const TContactSnapshot&) { return *this; }

    // A walk over all ParaCount persons that keeps them on ParaField: Begin,
    // then each part's collector takes that part's persons (part 0 the lower
    // indices), then End stamps the snapshot.
    void BeginWalk(std::size_t ParaCount, const TField& ParaField);
    TCollector CollectorOf(std::size_t ParaPart) {
        return TCollector(mParts[ParaPart], {mLayout.mOriginY, mLayout.mInverseCellSize,
                                             mLayout.mRows, mLayout.mBandOfRow.data()});
    }
    void EndWalk();

    // Whether the snapshot holds all of ParaPersons as they are now.
    bool Current(const std::vector<std::unique_ptr<TPerson>>& ParaPersons) const;
    // Copies ParaPersons itself. The field (null when there is none) only
    // guides the layout.
    void Copy(const std::vector<std::unique_ptr<TPerson>>& ParaPersons, const TField* ParaField);

    const TContactLayout& Layout() const { return mLayout; }
    // Persons the snapshot was taken of.
    std::size_t Count() const { return mCount; }
    const TPart& Part(std::size_t ParaPart) const { return mParts[ParaPart]; }
    // Copies the snapshot made itself, having no walk's to use.
    std::size_t Copies() const { return mCopies; }

private:
    // The lists and the layout's room for ParaCount persons: no fill after
    // the first of a population allocates.
    void Prepare(std::size_t ParaCount);
    // Room in each band for a walk's copy, from what the last fill held.
    void MakeRoom();

    TContactLayout mLayout;
    TPart mParts[kParts];
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
        void AddIf(const TContactEntry& ParaEntry, bool ParaKeep) {
            mSlots[mCount] = ParaEntry;
            mCount += ParaKeep;
        }
        std::size_t size() const { return mCount; }
        const TContactEntry* begin() const { return mSlots.data(); }
        const TContactEntry* end() const { return mSlots.data() + mCount; }

    private:
        std::vector<TContactEntry> mSlots;
        std::size_t mCount = 0;
    };
    // A part's copy of the persons in index order, before the bands are
    // chosen, and the bounds of its candidates.
    struct alignas(64) TCopied {
        TEntryList mSpreaders;
        TEntryList mCandidates;
        double mMinX;
        double mMaxX;
        double mMinY;
        double mMaxY;
    };
    void CopyPart(const std::vector<std::unique_ptr<TPerson>>& ParaPersons, std::size_t ParaBegin,
                  std::size_t ParaEnd, TPart& ParaPart, TCopied& ParaCopied);
    // The parts' copies in index order into their lists by band.
    // Stamps the snapshot as one of the persons as they are now.
    void Taken();
    void PlaceByBand(TPart& ParaPart, const TEntryList& ParaSpreaders,
                     const TEntryList& ParaCandidates);
    TCopied mCopied[kParts];

    std::size_t mCount = 0; // persons taken
    // Of PersonsGeneration when taken; none yet is a value no change makes.
    std::uint64_t mGeneration = std::numeric_limits<std::uint64_t>::max();
    // Whether the lists by band hold the last fill's counts on the present
    // layout, for the room of the next walk.
    bool mCounted = false;
    bool mFilled = false; // whether there was a fill
    // The cells were chosen for a walk on a field of this size, for about
    // this many candidates: the next walk keeps them while that holds.
    bool mCellsForWalk = false;
    std::int32_t mCellsWidth = 0;
    std::int32_t mCellsHeight = 0;
    std::size_t mCellsCandidates = 0;
    // What the last fill found, for the cells of the next walk.
    std::size_t mLastCandidates = 0;
    std::int32_t mLastLargestSize = 1;
    std::size_t mCopies = 0;
};
