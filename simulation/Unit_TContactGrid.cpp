#include "simulation/Unit_TContactGrid.h"

#include <algorithm>
#include <cfloat>
#include <limits>

namespace {

// Narrows [ParaLow, ParaHigh] to [ParaFrom, ParaTo] unless that leaves nothing.
void ClipAxis(double& ParaLow, double& ParaHigh, double ParaFrom, double ParaTo) {
    const double low = std::max(ParaLow, ParaFrom);
    const double high = std::min(ParaHigh, ParaTo);
    if (low <= high) {
        ParaLow = low;
        ParaHigh = high;
    }
}

// Candidates of a band: its entries, starts and bits then fit a core's cache.
constexpr double kBandCandidates = 4096;
constexpr double kFewestBands = 4;
// Room in a walk's band beyond what it held at the last pass, and a part of that.
constexpr std::int32_t kRoomToSpare = 32;

} // namespace

void TContactGrid::Prepare(std::size_t ParaCount) {
    // Room for everybody on each list, so that no pass after the first of a
    // population allocates, however the outbreak goes: a walk's bands take
    // at most a quarter more than they hold, and two slots more each.
    const std::size_t most = ParaCount + ParaCount / 4 + 1;
    for (TPart& part : mParts) {
        part.mBounds = TBounds{};
        part.mLargestSize = std::numeric_limits<std::int32_t>::min();
        part.mLargestSpreaderSize = std::numeric_limits<std::int32_t>::min();
        for (TBandedList* list : {&part.mSpreaders, &part.mCandidates})
            list->Reserve(most + (kRoomToSpare + 2) * kMostBands);
        part.mBuried.clear();
        part.mBuried.reserve(ParaCount);
        part.mCellCursor.reserve(2 * ParaCount + 16);
    }
    // The layout never takes more cells, or rows, than this.
    mBandOfRow.reserve(2 * ParaCount + 17);
    mBandRow.reserve(kMostBands + 1);
    mCandidateStart.reserve(kMostBands + 1);
    mStart.reserve(2 * ParaCount + 17);
}

void TContactGrid::BeginCollect(std::size_t ParaCount, const TField& ParaField) {
    Prepare(ParaCount);
    mCollected = false;
    mWalked = true;
    mCollectedCount = ParaCount;
    // The walk keeps everybody on the field, 0 .. size - 1 along each axis
    // (at size - 1 if that is below 0), or at a NaN: the cells can be chosen
    // now, for about as many candidates as the last pass had. They stay as
    // they are while the field does and the candidates are not far off, so
    // that the bands keep their persons from one pass to the next.
    const std::size_t expected =
        std::min(ParaCount, mLastCandidates > 0 ? mLastCandidates : ParaCount / 2 + 1);
    const bool keep = mCellsForWalk && mCellsWidth == ParaField.Width() &&
                      mCellsHeight == ParaField.Height() && 4 * expected <= 5 * mCellsCandidates &&
                      4 * mCellsCandidates <= 5 * expected;
    if (!keep) {
        const double right = static_cast<double>(ParaField.Width()) - 1;
        const double bottom = static_cast<double>(ParaField.Height()) - 1;
        TBounds onField;
        onField.mMinX = std::min(0.0, right);
        onField.mMaxX = std::max(0.0, right);
        onField.mMinY = std::min(0.0, bottom);
        onField.mMaxY = std::max(0.0, bottom);
        ChooseCells(&ParaField, onField, expected, mLastLargestSize);
        mCellsForWalk = true;
        mCellsWidth = ParaField.Width();
        mCellsHeight = ParaField.Height();
        mCellsCandidates = expected;
        mLastBands = false;
    }
    MakeRoom();
}

void TContactGrid::MakeRoom() {
    // Persons walk a few pixels a cycle and bands are many cells high: a
    // band holds about what it held at the last pass, give or take those
    // who caught the disease. On cells new since, by the band's share of
    // the rows of what the list held in all at the last pass (a walk that
    // is not shared hands everybody to the lower part), or of half the
    // persons before any pass.
    const auto rows = static_cast<double>(mRows);
    for (TPart& part : mParts) {
        for (TBandedList* list : {&part.mSpreaders, &part.mCandidates}) {
            std::array<std::int32_t, kMostBands> room{};
            const std::int32_t total =
                mBuilt ? list->Total() : static_cast<std::int32_t>(mCollectedCount / 2 + 1);
            for (std::size_t b = 0; b < mBands; ++b) {
                const double share = (mBandRow[b + 1] - mBandRow[b]) / rows;
                const std::int32_t last = mLastBands
                                              ? list->Count(b)
                                              : static_cast<std::int32_t>(std::ceil(total * share));
                // Spreaders only grow between passes, and faster than
                // candidates shrink.
                const std::int32_t growth = list == &part.mSpreaders ? last / 4 : last / 8;
                room[b] = last + growth + kRoomToSpare;
            }
            list->Lay(room, mBands);
        }
    }
}

void TContactGrid::Build(const std::vector<std::unique_ptr<TPerson>>& ParaPersons,
                         const TField* ParaField) {
    const std::size_t count = ParaPersons.size();
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

    TPassWorker& worker = TPassWorker::Shared();
    const bool share = count >= TPassWorker::kShareFrom;
    const bool walked = mWalked && mCollectedCount == count;
    mWalked = false;
    bool collected = walked && mCollected;
    for (const TPart& part : mParts)
        collected = collected && !part.mSpreaders.Full() && !part.mCandidates.Full();
    mCollected = false;
    if (!collected) {
        ++mCopies;
        // The persons' own copy: in index order first, for the bounds and
        // the count that choose the cells, then by band.
        Prepare(count);
        for (TPart& part : mParts) {
            part.mCopiedSpreaders.Reset(count);
            part.mCopiedCandidates.Reset(count);
        }
        worker.Split(count, [&](std::size_t ParaBegin, std::size_t ParaEnd) {
            Copy(ParaPersons, ParaBegin, ParaEnd, mParts[ParaBegin == 0 ? 0 : 1]);
        });
        TBounds bounds;
        std::size_t candidates = 0;
        std::int32_t largest = std::numeric_limits<std::int32_t>::min();
        for (const TPart& part : mParts) {
            bounds.mMinX = std::min(bounds.mMinX, part.mBounds.mMinX);
            bounds.mMaxX = std::max(bounds.mMaxX, part.mBounds.mMaxX);
            bounds.mMinY = std::min(bounds.mMinY, part.mBounds.mMinY);
            bounds.mMaxY = std::max(bounds.mMaxY, part.mBounds.mMaxY);
            candidates += part.mCopiedCandidates.size();
            largest = std::max(largest, part.mLargestSize);
        }
        // After a walk whose copy could not be used, its cells still serve:
        // it left everybody on the field, and the bands keep their counts
        // for the next walk. Anything else chooses cells of its own.
        if (!walked) {
            ChooseCells(ParaField, bounds, candidates, largest);
            mCellsForWalk = false;
        }
        worker.Both(
            share, [&] { PlaceByBand(mParts[0]); }, [&] { PlaceByBand(mParts[1]); });
    }
    mLargestSize = std::numeric_limits<std::int32_t>::min();
    std::int32_t largestSpreader = std::numeric_limits<std::int32_t>::min();
    mRemaining = 0;
    mSpreaderCount = 0;
    for (const TPart& part : mParts) {
        mLargestSize = std::max(mLargestSize, part.mLargestSize);
        largestSpreader = std::max(largestSpreader, part.mLargestSpreaderSize);
    }
    // Where each band's candidates begin, the lower part's first.
    mCandidateStart.resize(mBands + 1);
    for (std::size_t b = 0; b < mBands; ++b) {
        mCandidateStart[b] = static_cast<std::int32_t>(mRemaining);
        for (const TPart& part : mParts) {
            mRemaining += static_cast<std::size_t>(part.mCandidates.Count(b));
            mSpreaderCount += static_cast<std::size_t>(part.mSpreaders.Count(b));
        }
    }
    mCandidateStart[mBands] = static_cast<std::int32_t>(mRemaining);
    if (mRemaining > 0) {
        mLastCandidates = mRemaining;
        mLastLargestSize = mLargestSize;
    }
    mLastBands = walked;
    mBuilt = true;
    mMarks.assign(count, 0);
    for (const TPart& part : mParts)
        for (std::uint32_t index : part.mBuried)
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
        for (const TPart& part : mParts)
            before += static_cast<std::size_t>(part.mCandidates.Count(mSide) +
                                               part.mSpreaders.Count(mSide));
    mSide = std::clamp<std::size_t>(mSide, 1, mBands);
    mStart.resize(static_cast<std::size_t>(mColumns) * static_cast<std::size_t>(mRows) + 1);
    mEntries.resize(mRemaining);
    mCellOf.resize(mRemaining);
    worker.Both(
        share, [&] { SortBands(mParts[0], 0, mSide); },
        [&] { SortBands(mParts[1], mSide, mBands); });
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

void TContactGrid::Copy(const std::vector<std::unique_ptr<TPerson>>& ParaPersons,
                        std::size_t ParaBegin, std::size_t ParaEnd, TPart& ParaPart) {
    for (std::size_t i = ParaBegin; i < ParaEnd; ++i) {
        // Only the first line of a person is read here; ask for it early.
        if (i + 16 < ParaEnd)
            __builtin_prefetch(ParaPersons[i + 16].get());
        Add<false>(ParaPart, TNoBands{}, i, *ParaPersons[i]);
    }
}

void TContactGrid::PlaceByBand(TPart& ParaPart) {
    const auto place = [&](const TEntryList& ParaCopied, TBandedList& ParaList) {
        std::array<std::int32_t, kMostBands> room{};
        for (const TEntry& entry : ParaCopied)
            ++room[BandOf(entry.mY)];
        ParaList.Lay(room, mBands);
        for (const TEntry& entry : ParaCopied)
            ParaList.Add(BandOf(entry.mY), entry);
    };
    place(ParaPart.mCopiedCandidates, ParaPart.mCandidates);
    place(ParaPart.mCopiedSpreaders, ParaPart.mSpreaders);
}

void TContactGrid::SortBands(TPart& ParaScratch, std::size_t ParaFirst, std::size_t ParaLast) {
    // Band by band, a counting sort by cell of the band's entries, which stay
    // in the cache meanwhile; then their bits.
    const auto columns = static_cast<std::size_t>(mColumns);
    // Copies of the layout: a store to a count or an entry cannot change
    // them, so they stay in registers.
    const double originX = mOriginX;
    const double originY = mOriginY;
    const double inverse = mInverseCellSize;
    const std::int32_t columnCount = mColumns;
    const std::int32_t rowCount = mRows;
    std::vector<std::int32_t>& cursor = ParaScratch.mCellCursor;
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
        for (const TPart& part : mParts) {
            const TEntry* const end = part.mCandidates.end(b);
            for (const TEntry* entry = part.mCandidates.begin(b); entry != end; ++entry, ++k) {
                const auto row =
                    static_cast<std::size_t>(CellOf(entry->mY, originY, inverse, rowCount));
                const auto column =
                    static_cast<std::size_t>(CellOf(entry->mX, originX, inverse, columnCount));
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
        for (const TPart& part : mParts) {
            const TEntry* const end = part.mCandidates.end(b);
            for (const TEntry* entry = part.mCandidates.begin(b); entry != end; ++entry, ++k)
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
        for (const TPart& part : mParts) {
            // First the spreaders that the tiles let through, without a jump
            // on each (they pass without a pattern), then their search.
            const TEntry* const begin = part.mSpreaders.begin(b);
            const TEntry* const end = part.mSpreaders.end(b);
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

void TContactGrid::ChooseCells(const TField* ParaField, const TBounds& ParaBounds,
                               std::size_t ParaCount, std::int32_t ParaLargestSize) {
    mColumns = 1;
    mRows = 1;
    mCellSize = 1;
    mInverseCellSize = 1;
    mOriginX = 0;
    mOriginY = 0;
    if (ParaCount > 0) {
        double minX = ParaBounds.mMinX;
        double maxX = ParaBounds.mMaxX;
        double minY = ParaBounds.mMinY;
        double maxY = ParaBounds.mMaxY;
        if (ParaField != nullptr) {
            // Stragglers off the field must not stretch the cells: they share
            // the border cells instead. In play everybody is kept inside.
            const double right = static_cast<double>(ParaField->Width()) - 1;
            const double bottom = static_cast<double>(ParaField->Height()) - 1;
            const double pad = 64;
            ClipAxis(minX, maxX, std::min(0.0, right) - pad, std::max(0.0, right) + pad);
            ClipAxis(minY, maxY, std::min(0.0, bottom) - pad, std::max(0.0, bottom) + pad);
        }
        const double width = std::min(maxX - minX, DBL_MAX);
        const double height = std::min(maxY - minY, DBL_MAX);

        // About one candidate per cell, and cells no smaller than the largest
        // contact distance, so that a spreader of ordinary size searches
        // three by three cells at most.
        const double count = static_cast<double>(ParaCount);
        const double maxCells = 2 * count + 16;
        double cell = std::max(2.0 * ParaLargestSize, 1.0);
        cell = std::max(cell, std::sqrt(width) * std::sqrt(height / count));
        cell = std::min(cell, DBL_MAX / 4);
        double columns = std::floor(width / cell) + 1;
        double rows = std::floor(height / cell) + 1;
        while (columns * rows > maxCells) {
            cell *= 1.5;
            columns = std::floor(width / cell) + 1;
            rows = std::floor(height / cell) + 1;
        }
        mCellSize = cell;
        mInverseCellSize = 1 / cell;
        mColumns = static_cast<std::int32_t>(columns);
        mRows = static_cast<std::int32_t>(rows);
        mOriginX = minX;
        mOriginY = minY;
    }

    // Bands of about kBandCandidates candidates, rows in order, and a few at
    // least, so that the two sides of the work can be about as large.
    const auto rows = static_cast<std::size_t>(mRows);
    mBands = static_cast<std::size_t>(
        std::clamp(std::ceil(static_cast<double>(ParaCount) / kBandCandidates), kFewestBands,
                   static_cast<double>(kMostBands)));
    mBands = std::min(mBands, rows);
    mBandOfRow.resize(rows);
    mBandRow.assign(mBands + 1, static_cast<std::int32_t>(rows));
    for (std::size_t r = rows; r-- > 0;) {
        const std::size_t band = r * mBands / rows;
        mBandOfRow[r] = static_cast<std::uint8_t>(band);
        mBandRow[band] = static_cast<std::int32_t>(r);
    }
}
