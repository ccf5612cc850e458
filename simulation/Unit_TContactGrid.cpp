#include "simulation/Unit_TContactGrid.h"

#include <algorithm>
#include <limits>

void TContactGrid::Build(const std::vector<std::unique_ptr<TPerson>>& ParaPersons,
                         const TField* ParaField) {
    if (!mSnapshot.Current(ParaPersons))
        mSnapshot.Copy(ParaPersons, ParaField);
    Build(mSnapshot);
}

void TContactGrid::Build(const TContactSnapshot& ParaSnapshot) {
    mIndexed = &ParaSnapshot;
    const TContactLayout& layout = ParaSnapshot.Layout();
    mOriginX = layout.mOriginX;
    mOriginY = layout.mOriginY;
    mCellSize = layout.mCellSize;
    mInverseCellSize = layout.mInverseCellSize;
    mColumns = layout.mColumns;
    mRows = layout.mRows;
    mBands = layout.mBands;
    mBandRow = layout.mBandRow.data();
    const std::size_t count = ParaSnapshot.Count();

    // The sorted lists are only resized below, never cleared: a resize
    // within the last size writes nothing.
    mEntries.reserve(count);
    mMade.clear();
    mMade.reserve(count);
    mCellOf.reserve(count);
    for (auto& found : mFound) {
        found.clear();
        found.reserve(count);
    }
    for (auto& near : mNear)
        near.reserve(count + 1);
    for (auto& cursor : mCursor)
        cursor.reserve(2 * count + 16);
    mStart.reserve(2 * count + 17);
    mCandidateStart.reserve(TContactLayout::kMostBands + 1);

    mLargestSize = std::numeric_limits<std::int32_t>::min();
    std::int32_t largestSpreader = std::numeric_limits<std::int32_t>::min();
    mRemaining = 0;
    mSpreaderCount = 0;
    for (std::size_t p = 0; p < TContactSnapshot::kParts; ++p) {
        mLargestSize = std::max(mLargestSize, ParaSnapshot.Part(p).mLargestSize);
        largestSpreader = std::max(largestSpreader, ParaSnapshot.Part(p).mLargestSpreaderSize);
    }
    // Where each band's candidates begin (a prefix sum), part 0's first.
    mCandidateStart.resize(mBands + 1);
    for (std::size_t b = 0; b < mBands; ++b) {
        mCandidateStart[b] = static_cast<std::int32_t>(mRemaining);
        for (std::size_t p = 0; p < TContactSnapshot::kParts; ++p) {
            mRemaining += static_cast<std::size_t>(ParaSnapshot.Part(p).mCandidates.Count(b));
            mSpreaderCount += static_cast<std::size_t>(ParaSnapshot.Part(p).mSpreaders.Count(b));
        }
    }
    mCandidateStart[mBands] = static_cast<std::int32_t>(mRemaining);
    mMarks.assign(count, 0);
    for (std::size_t p = 0; p < TContactSnapshot::kParts; ++p)
        for (std::uint32_t index : ParaSnapshot.Part(p).mBuried)
            mMarks[index] |= kCannotSpread;
    if (mRemaining > 0)
        mTiles.Choose(mOriginX, mOriginY, mInverseCellSize, mColumns, mRows,
                      ReachOf(std::max(mLargestSize, largestSpreader)));
    else
        mTiles.Off();

    // The two sides take about as many entries each, sort their bands by
    // cell and later search them.
    const std::size_t total = mRemaining + mSpreaderCount;
    std::size_t before = 0;
    for (mSide = 0; mSide < mBands && 2 * before < total; ++mSide)
        for (std::size_t p = 0; p < TContactSnapshot::kParts; ++p)
            before += static_cast<std::size_t>(ParaSnapshot.Part(p).mCandidates.Count(mSide) +
                                               ParaSnapshot.Part(p).mSpreaders.Count(mSide));
    mSide = std::clamp<std::size_t>(mSide, 1, mBands);
    mStart.resize(static_cast<std::size_t>(mColumns) * static_cast<std::size_t>(mRows) + 1);
    mEntries.resize(mRemaining);
    mCellOf.resize(mRemaining);
    TPassWorker::Shared().Both(
        count >= TPassWorker::kShareFrom, [&] { SortBands(mCursor[0], 0, mSide); },
        [&] { SortBands(mCursor[1], mSide, mBands); });
    mStart.back() = static_cast<std::int32_t>(mRemaining);
    // The marks that the two sides kept off each other's rows: those of the
    // persons near where the sides meet, now on every row.
    if (mTiles.Tiled() && mSide < mBands) {
        const auto meet = static_cast<std::size_t>(mBandRow[mSide]);
        const std::size_t reach = mTiles.ReachInRows();
        const std::size_t first = meet - std::min(meet, reach);
        const std::size_t last = std::min(meet + reach, static_cast<std::size_t>(mRows));
        const auto columns = static_cast<std::size_t>(mColumns);
        for (auto k = static_cast<std::size_t>(mStart[first * columns]);
             k < static_cast<std::size_t>(mStart[last * columns]); ++k)
            mTiles.Occupy(mEntries[k].mX, mEntries[k].mY, 0, static_cast<std::size_t>(mRows));
    }
}

void TContactGrid::SortBands(std::vector<std::int32_t>& ParaCursor, std::size_t ParaFirst,
                             std::size_t ParaLast) {
    // Band by band, while its entries are in the cache: a counting sort by
    // cell (counts, a prefix sum, placing), then the occupancy bitmap.
    const auto columns = static_cast<std::size_t>(mColumns);
    // Copies of the layout that no store to a count or an entry can alias.
    const double originX = mOriginX;
    const double originY = mOriginY;
    const double inverse = mInverseCellSize;
    const std::int32_t columnCount = mColumns;
    const std::int32_t rowCount = mRows;
    std::vector<std::int32_t>& cursor = ParaCursor;
    // A person marks tiles in the rows of the next band too: the rows of
    // all these bands are cleared first, and the marks kept within them.
    const auto sideFirstRow = static_cast<std::size_t>(mBandRow[ParaFirst]);
    const auto sideLastRow = static_cast<std::size_t>(mBandRow[ParaLast]);
    if (mTiles.Tiled())
        mTiles.ClearRows(sideFirstRow, sideLastRow);
    for (std::size_t b = ParaFirst; b < ParaLast; ++b) {
        const auto firstRow = static_cast<std::size_t>(mBandRow[b]);
        const auto lastRow = static_cast<std::size_t>(mBandRow[b + 1]);
        const auto begin = static_cast<std::size_t>(mCandidateStart[b]);
        cursor.assign((lastRow - firstRow) * columns, 0);
        std::size_t k = begin;
        for (std::size_t p = 0; p < TContactSnapshot::kParts; ++p) {
            const TContactSnapshot::TBandedList& candidates = mIndexed->Part(p).mCandidates;
            const TEntry* const end = candidates.end(b);
            for (const TEntry* entry = candidates.begin(b); entry != end; ++entry, ++k) {
                const auto row = static_cast<std::size_t>(
                    TContactLayout::CellOf(entry->mY, originY, inverse, rowCount));
                const auto column = static_cast<std::size_t>(
                    TContactLayout::CellOf(entry->mX, originX, inverse, columnCount));
                const auto cell = static_cast<std::int32_t>((row - firstRow) * columns + column);
                mCellOf[k] = cell;
                ++cursor[static_cast<std::size_t>(cell)];
            }
        }
        std::int32_t* start = mStart.data() + firstRow * columns;
        auto sum = static_cast<std::int32_t>(begin);
        for (std::size_t c = 0; c < cursor.size(); ++c) {
            const std::int32_t size = cursor[c];
            start[c] = sum;
            cursor[c] = sum;
            sum += size;
        }
        k = begin;
        for (std::size_t p = 0; p < TContactSnapshot::kParts; ++p) {
            const TContactSnapshot::TBandedList& candidates = mIndexed->Part(p).mCandidates;
            const TEntry* const end = candidates.end(b);
            for (const TEntry* entry = candidates.begin(b); entry != end; ++entry, ++k)
                mEntries[static_cast<std::size_t>(cursor[static_cast<std::size_t>(mCellOf[k])]++)] =
                    *entry;
        }
        if (!mTiles.Tiled())
            continue;
        for (k = begin; k < static_cast<std::size_t>(mCandidateStart[b + 1]); ++k)
            mTiles.Occupy(mEntries[k].mX, mEntries[k].mY, sideFirstRow, sideLastRow);
    }
}

void TContactGrid::Search(std::size_t ParaFirst, std::size_t ParaLast,
                          std::vector<const TEntry*>& ParaNear,
                          std::vector<TContact>& ParaFound) const {
    ParaFound.clear();
    for (std::size_t b = ParaFirst; b < ParaLast; ++b) {
        for (std::size_t p = 0; p < TContactSnapshot::kParts; ++p) {
            const TContactSnapshot::TBandedList& spreaders = mIndexed->Part(p).mSpreaders;
            // First the spreaders that the occupancy bitmap lets through,
            // gathered without a branch, then their search.
            const TEntry* const begin = spreaders.begin(b);
            const TEntry* const end = spreaders.end(b);
            ParaNear.resize(static_cast<std::size_t>(end - begin) + 1);
            std::size_t near = 0;
            for (const TEntry* s = begin; s != end; ++s) {
                ParaNear[near] = s;
                near += mTiles.AnyNear(s->mX, s->mY);
            }
            for (std::size_t k = 0; k < near; ++k) {
                const TEntry* s = ParaNear[k];
                const_cast<TContactGrid*>(this)->ForEachCandidate(
                    s->mX, s->mY, s->mSize, [&](const TEntry& ParaOther) {
                        if (TPerson::Touching(s->mX, s->mY, s->mSize, ParaOther.mX, ParaOther.mY,
                                              ParaOther.mSize))
                            ParaFound.push_back(
                                {static_cast<std::uint32_t>(&ParaOther - mEntries.data()),
                                 Makes(s->mIndex, ParaOther.mIndex)});
                        return false;
                    });
            }
        }
    }
}
