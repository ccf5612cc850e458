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

// Words of tile bits no more than that many, and a spreader's reach no more
// tiles than that.
constexpr double kMostReachTiles = 3;
constexpr double kMostWords = 1 << 16;

} // namespace

void TContactGrid::Prepare(std::size_t ParaCount) {
    // Room for everybody on each list, so that no pass after the first of a
    // population allocates, however the outbreak goes.
    for (TPart& part : mParts) {
        part.mBounds = TBounds{};
        part.mLargestSize = std::numeric_limits<std::int32_t>::min();
        part.mLargestSpreaderSize = std::numeric_limits<std::int32_t>::min();
        part.mSpreaders.Reset(ParaCount);
        part.mCandidates.Reset(ParaCount);
        part.mBuried.clear();
        part.mBuried.reserve(ParaCount);
    }
}

void TContactGrid::BeginCollect(std::size_t ParaCount) {
    Prepare(ParaCount);
    mCollected = false;
    mCollectedCount = ParaCount;
}

void TContactGrid::Changed(std::size_t ParaIndex, const TPerson& ParaPerson) {
    if (!mCollected)
        return;
    // Out of whichever list holds it, then back in by its new state, each
    // list kept in index order across its two parts. The bounds and the
    // largest size may stay wider than they are: they only guide the layout
    // and widen the search.
    const auto index = static_cast<std::uint32_t>(ParaIndex);
    const auto byIndex = [](const TEntry& ParaEntry, std::uint32_t ParaValue) {
        return ParaEntry.mIndex < ParaValue;
    };
    const double x = ParaPerson.mPositionX;
    const double y = ParaPerson.mPositionY;
    const bool finite = std::isfinite(x) && std::isfinite(y);
    const TEntry entry{x, y, ParaPerson.mSize, index};
    TEntryList TPart::*into = nullptr;
    if (finite && !ParaPerson.mInfected)
        into = &TPart::mCandidates;
    else if (finite && !ParaPerson.mBuried)
        into = &TPart::mSpreaders;
    for (TEntryList TPart::*list : {&TPart::mSpreaders, &TPart::mCandidates}) {
        for (TPart& part : mParts) {
            TEntryList& entries = part.*list;
            TEntry* at = std::lower_bound(entries.begin(), entries.end(), index, byIndex);
            if (at != entries.end() && at->mIndex == index)
                entries.Erase(at);
        }
        if (list != into)
            continue;
        TEntryList& upper = mParts[1].*list;
        TEntryList& entries =
            !upper.empty() && upper.front().mIndex < index ? upper : mParts[0].*list;
        entries.Insert(std::lower_bound(entries.begin(), entries.end(), index, byIndex), entry);
    }
    if (into == &TPart::mCandidates) {
        TPart& part = mParts[0];
        if (ParaPerson.mBuried)
            part.mBuried.push_back(index);
        part.mLargestSize = std::max(part.mLargestSize, ParaPerson.mSize);
    } else if (into == &TPart::mSpreaders) {
        TPart& part = mParts[0];
        part.mLargestSpreaderSize = std::max(part.mLargestSpreaderSize, ParaPerson.mSize);
        part.mBounds.mMinX = std::min(part.mBounds.mMinX, x);
        part.mBounds.mMaxX = std::max(part.mBounds.mMaxX, x);
        part.mBounds.mMinY = std::min(part.mBounds.mMinY, y);
        part.mBounds.mMaxY = std::max(part.mBounds.mMaxY, y);
    }
}

void TContactGrid::Build(const std::vector<std::unique_ptr<TPerson>>& ParaPersons,
                         const TField* ParaField) {
    const std::size_t count = ParaPersons.size();
    // The sorted lists are only resized below, never cleared: a resize
    // within the last size writes nothing.
    for (auto* list : {&mByRow, &mEntries, &mSpreaders})
        list->reserve(count);
    mMade.clear();
    mMade.reserve(count);
    mColumnOf.reserve(count);
    mOccupied.reserve(static_cast<std::size_t>(kMostWords));
    for (auto& found : mFound) {
        found.clear();
        found.reserve(count);
    }
    // The layout never takes more cells, or rows, than this.
    for (auto* list : {&mStart, &mRowStart, &mSpreaderStart})
        list->reserve(2 * count + 17);
    for (TPart& part : mParts) {
        for (TRowSort* sort : {&part.mCandidateRows, &part.mSpreaderRows}) {
            sort->mRowOf.reserve(count);
            sort->mCount.reserve(2 * count + 16);
            sort->mFirst.reserve(2 * count + 16);
        }
        part.mRowCursor.reserve(2 * count + 16);
        part.mColumnCursor.reserve(2 * count + 16);
    }

    if (!mCollected || mCollectedCount != count) {
        Prepare(count);
        TPassWorker::Shared().Split(count, [&](std::size_t ParaBegin, std::size_t ParaEnd) {
            Copy(ParaPersons, ParaBegin, ParaEnd, mParts[ParaBegin == 0 ? 0 : 1]);
        });
    }
    mCollected = false;
    mMarks.assign(count, 0);
    for (const TPart& part : mParts)
        for (std::uint32_t index : part.mBuried)
            mMarks[index] |= kCannotSpread;
    TBounds bounds;
    mLargestSize = std::numeric_limits<std::int32_t>::min();
    mRemaining = 0;
    std::int32_t largest = std::numeric_limits<std::int32_t>::min();
    for (const TPart& part : mParts) {
        largest = std::max({largest, part.mLargestSize, part.mLargestSpreaderSize});
        bounds.mMinX = std::min(bounds.mMinX, part.mBounds.mMinX);
        bounds.mMaxX = std::max(bounds.mMaxX, part.mBounds.mMaxX);
        bounds.mMinY = std::min(bounds.mMinY, part.mBounds.mMinY);
        bounds.mMaxY = std::max(bounds.mMaxY, part.mBounds.mMaxY);
        mLargestSize = std::max(mLargestSize, part.mLargestSize);
        mRemaining += part.mCandidates.size();
    }
    ChooseLayout(ParaField, bounds, largest);

    // Each half of the persons counts its candidates and spreaders by row; a
    // row then takes the lower half's before the upper half's, so that it
    // keeps index order, and each half places its own.
    TPassWorker& worker = TPassWorker::Shared();
    const bool share = count >= TPassWorker::kShareFrom;
    worker.Both(
        share, [&] { CountRows(mParts[0]); }, [&] { CountRows(mParts[1]); });
    RowStarts(&TPart::mCandidateRows, mRowStart);
    RowStarts(&TPart::mSpreaderRows, mSpreaderStart);
    const std::int32_t sum = mRowStart.back();
    const auto middleOf = [](const std::vector<std::int32_t>& ParaStart) {
        return static_cast<std::int32_t>(
            std::lower_bound(ParaStart.begin(), ParaStart.end() - 1, ParaStart.back() / 2) -
            ParaStart.begin());
    };
    mCandidateMiddle = middleOf(mRowStart);
    mSpreaderMiddle = middleOf(mSpreaderStart);
    mByRow.resize(mRemaining);
    mSpreaders.resize(static_cast<std::size_t>(mSpreaderStart.back()));
    worker.Both(
        share, [&] { PlaceByRow(mParts[0]); }, [&] { PlaceByRow(mParts[1]); });
    const auto rows = static_cast<std::size_t>(mRows);

    // Then each half of the rows, by the candidates in them, by column.
    mStart.resize(static_cast<std::size_t>(mColumns) * rows + 1);
    mEntries.resize(mRemaining);
    mColumnOf.resize(mRemaining);
    mOccupied.resize(mTileStride * static_cast<std::size_t>(mTileRows));
    worker.Both(
        share, [&] { SortColumns(mParts[0], 0, mCandidateMiddle); },
        [&] { SortColumns(mParts[1], mCandidateMiddle, mRows); });
    mStart.back() = sum;
}

void TContactGrid::Copy(const std::vector<std::unique_ptr<TPerson>>& ParaPersons,
                        std::size_t ParaBegin, std::size_t ParaEnd, TPart& ParaPart) {
    for (std::size_t i = ParaBegin; i < ParaEnd; ++i) {
        // Only the first line of a person is read here; ask for it early.
        if (i + 16 < ParaEnd)
            __builtin_prefetch(ParaPersons[i + 16].get());
        Add(ParaPart, i, *ParaPersons[i]);
    }
}

void TContactGrid::CountRows(TPart& ParaPart) {
    const auto count = [&](const TEntryList& ParaList, TRowSort& ParaSort) {
        ParaSort.mCount.assign(static_cast<std::size_t>(mRows), 0);
        ParaSort.mFirst.resize(static_cast<std::size_t>(mRows));
        ParaSort.mRowOf.clear();
        for (const TEntry& entry : ParaList) {
            const std::int32_t row = CellOf(entry.mY, mOriginY, mRows);
            ParaSort.mRowOf.push_back(row);
            ++ParaSort.mCount[static_cast<std::size_t>(row)];
        }
    };
    count(ParaPart.mCandidates, ParaPart.mCandidateRows);
    count(ParaPart.mSpreaders, ParaPart.mSpreaderRows);
}

void TContactGrid::RowStarts(TRowSort TPart::*ParaSort, std::vector<std::int32_t>& ParaStart) {
    const auto rows = static_cast<std::size_t>(mRows);
    ParaStart.resize(rows + 1);
    std::int32_t sum = 0;
    for (std::size_t r = 0; r < rows; ++r) {
        ParaStart[r] = sum;
        for (TPart& part : mParts) {
            (part.*ParaSort).mFirst[r] = sum;
            sum += (part.*ParaSort).mCount[r];
        }
    }
    ParaStart[rows] = sum;
}

void TContactGrid::PlaceByRow(TPart& ParaPart) {
    const auto place = [&](const TEntryList& ParaList, const TRowSort& ParaSort,
                           std::vector<TEntry>& ParaSorted) {
        std::vector<std::int32_t>& cursor = ParaPart.mRowCursor;
        cursor.assign(ParaSort.mFirst.begin(), ParaSort.mFirst.end());
        std::size_t k = 0;
        for (const TEntry& entry : ParaList)
            ParaSorted[static_cast<std::size_t>(
                cursor[static_cast<std::size_t>(ParaSort.mRowOf[k++])]++)] = entry;
    };
    place(ParaPart.mCandidates, ParaPart.mCandidateRows, mByRow);
    place(ParaPart.mSpreaders, ParaPart.mSpreaderRows, mSpreaders);
}

void TContactGrid::SortColumns(TPart& ParaScratch, std::int32_t ParaFirst, std::int32_t ParaLast) {
    // Row by row, a counting sort by column of the row's few entries, which
    // stay in the cache meanwhile; then their bits, in the tile rows of that
    // row of cells alone.
    const auto columns = static_cast<std::size_t>(mColumns);
    const auto tiles = static_cast<std::size_t>(mTilesPerCell);
    std::vector<std::int32_t>& cursor = ParaScratch.mColumnCursor;
    cursor.resize(columns);
    for (auto row = static_cast<std::size_t>(ParaFirst); row < static_cast<std::size_t>(ParaLast);
         ++row) {
        const auto begin = static_cast<std::size_t>(mRowStart[row]);
        const auto end = static_cast<std::size_t>(mRowStart[row + 1]);
        std::int32_t* start = mStart.data() + row * columns;
        std::fill(start, start + columns, 0);
        for (std::size_t k = begin; k < end; ++k) {
            mColumnOf[k] = CellOf(mByRow[k].mX, mOriginX, mColumns);
            ++start[mColumnOf[k]];
        }
        auto sum = static_cast<std::int32_t>(begin);
        for (std::size_t c = 0; c < columns; ++c) {
            const std::int32_t size = start[c];
            start[c] = sum;
            cursor[c] = sum;
            sum += size;
        }
        for (std::size_t k = begin; k < end; ++k)
            mEntries[static_cast<std::size_t>(cursor[static_cast<std::size_t>(mColumnOf[k])]++)] =
                mByRow[k];
        if (!mTiled)
            continue;
        std::uint64_t* bits = mOccupied.data() + row * tiles * mTileStride;
        std::fill(bits, bits + tiles * mTileStride, 0);
        for (std::size_t k = begin; k < end; ++k)
            Occupy(mEntries[k].mX, mEntries[k].mY);
    }
}

void TContactGrid::Search(std::int32_t ParaFirst, std::int32_t ParaLast,
                          std::vector<TContact>& ParaFound) const {
    ParaFound.clear();
    const auto begin =
        static_cast<std::size_t>(mSpreaderStart[static_cast<std::size_t>(ParaFirst)]);
    const auto end = static_cast<std::size_t>(mSpreaderStart[static_cast<std::size_t>(ParaLast)]);
    for (std::size_t k = begin; k < end; ++k) {
        const TEntry& s = mSpreaders[k];
        if (!AnyNear(s.mX, s.mY))
            continue;
        const_cast<TContactGrid*>(this)->ForEachCandidate(
            s.mX, s.mY, s.mSize, [&](const TEntry& ParaOther) {
                if (TPerson::Touching(s.mX, s.mY, s.mSize, ParaOther.mX, ParaOther.mY,
                                      ParaOther.mSize))
                    ParaFound.push_back({static_cast<std::uint32_t>(&ParaOther - mEntries.data()),
                                         Makes(s.mIndex, ParaOther.mIndex)});
                return false;
            });
    }
}

void TContactGrid::ChooseLayout(const TField* ParaField, const TBounds& ParaBounds,
                                std::int32_t ParaLargestSize) {
    mColumns = 1;
    mRows = 1;
    mCellSize = 1;
    mInverseCellSize = 1;
    mOriginX = 0;
    mOriginY = 0;
    mTilesPerCell = 1;
    mTileColumns = 1;
    mTileRows = 1;
    mTileStride = 1;
    mReachTiles = 0;
    mTiled = false;
    if (mRemaining == 0)
        return;

    double minX = ParaBounds.mMinX;
    double maxX = ParaBounds.mMaxX;
    double minY = ParaBounds.mMinY;
    double maxY = ParaBounds.mMaxY;
    if (ParaField != nullptr) {
        // Stragglers off the field must not stretch the cells: they share the
        // border cells instead. In play everybody is kept inside.
        const double right = static_cast<double>(ParaField->Width()) - 1;
        const double bottom = static_cast<double>(ParaField->Height()) - 1;
        const double pad = 64;
        ClipAxis(minX, maxX, std::min(0.0, right) - pad, std::max(0.0, right) + pad);
        ClipAxis(minY, maxY, std::min(0.0, bottom) - pad, std::max(0.0, bottom) + pad);
    }
    const double width = std::min(maxX - minX, DBL_MAX);
    const double height = std::min(maxY - minY, DBL_MAX);

    // About one candidate per cell, and cells no smaller than the largest
    // contact distance, so that a spreader of ordinary size searches three by
    // three cells at most.
    const double count = static_cast<double>(mRemaining);
    const double maxCells = 2 * count + 16;
    double cell = std::max(2.0 * mLargestSize, 1.0);
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

    // Tiles as small as the largest reach, but no more words of bits than
    // kMostWords. A spreader then finds whom it may touch at most one tile
    // away, unless sizes far beyond those of play leave no room for tiles.
    const double reach = ReachOf(ParaLargestSize);
    const auto words = [&](double ParaTiles) {
        return std::ceil(columns * ParaTiles / 64) * rows * ParaTiles;
    };
    double tiles = 1;
    while (tiles < 64 && cell / (2 * tiles) >= reach && words(2 * tiles) <= kMostWords)
        tiles *= 2;
    // The rounding of TileOf moves a tile by far less than this margin.
    const double apart = std::ceil(reach * mInverseCellSize * tiles * (1 + 1e-9) + 1e-6);
    mTiled = apart <= kMostReachTiles && words(tiles) <= kMostWords;
    if (!mTiled)
        return;
    mReachTiles = static_cast<std::int32_t>(std::max(apart, 0.0));
    mTilesPerCell = tiles;
    mTileColumns = static_cast<std::int32_t>(columns * tiles);
    mTileRows = static_cast<std::int32_t>(rows * tiles);
    mTileStride = (static_cast<std::size_t>(mTileColumns) + 63) / 64;
}
