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
        part.mCandidatesInBand.fill(0);
        part.mSpreadersInBand.fill(0);
        part.mCellCursor.reserve(2 * ParaCount + 16);
    }
    // The layout never takes more cells, or rows, than this.
    mBandOfRow.reserve(2 * ParaCount + 17);
    mBandRow.reserve(kMostBands + 1);
    mCandidateStart.reserve(kMostBands + 1);
    mSpreaderStart.reserve(kMostBands + 1);
    mStart.reserve(2 * ParaCount + 17);
}

void TContactGrid::BeginCollect(std::size_t ParaCount, const TField& ParaField) {
    Prepare(ParaCount);
    mCollected = false;
    mCollectedCount = ParaCount;
    // The walk keeps everybody on the field, 0 .. size - 1 along each axis
    // (at size - 1 if that is below 0), or at a NaN: the cells can be chosen
    // now, for about as many candidates as the last pass had.
    const double right = static_cast<double>(ParaField.Width()) - 1;
    const double bottom = static_cast<double>(ParaField.Height()) - 1;
    TBounds onField;
    onField.mMinX = std::min(0.0, right);
    onField.mMaxX = std::max(0.0, right);
    onField.mMinY = std::min(0.0, bottom);
    onField.mMaxY = std::max(0.0, bottom);
    const std::size_t expected =
        std::min(ParaCount, mLastCandidates > 0 ? mLastCandidates : ParaCount / 2 + 1);
    ChooseCells(&ParaField, onField, expected, mLastLargestSize);
}

void TContactGrid::Changed(std::size_t ParaIndex, const TPerson& ParaPerson) {
    if (!mCollected)
        return;
    // Out of whichever list holds it, then back in by its new state, each
    // list kept in index order across its two parts, and its band counted.
    // The largest sizes may stay larger than they are: they only widen the
    // search.
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
    const auto countOf = [](TEntryList TPart::*ParaList) {
        return ParaList == &TPart::mCandidates ? &TPart::mCandidatesInBand
                                               : &TPart::mSpreadersInBand;
    };
    for (TEntryList TPart::*list : {&TPart::mSpreaders, &TPart::mCandidates}) {
        for (TPart& part : mParts) {
            TEntryList& entries = part.*list;
            TEntry* at = std::lower_bound(entries.begin(), entries.end(), index, byIndex);
            if (at != entries.end() && at->mIndex == index) {
                --(part.*countOf(list))[BandOf(at->mY)];
                entries.Erase(at);
            }
        }
        if (list != into)
            continue;
        TPart& part = !(mParts[1].*list).empty() && (mParts[1].*list).front().mIndex < index
                          ? mParts[1]
                          : mParts[0];
        TEntryList& entries = part.*list;
        entries.Insert(std::lower_bound(entries.begin(), entries.end(), index, byIndex), entry);
        ++(part.*countOf(list))[BandOf(y)];
        if (list == &TPart::mCandidates) {
            if (ParaPerson.mBuried)
                part.mBuried.push_back(index);
            part.mLargestSize = std::max(part.mLargestSize, ParaPerson.mSize);
        } else {
            part.mLargestSpreaderSize = std::max(part.mLargestSpreaderSize, ParaPerson.mSize);
        }
    }
}

void TContactGrid::Build(const std::vector<std::unique_ptr<TPerson>>& ParaPersons,
                         const TField* ParaField) {
    const std::size_t count = ParaPersons.size();
    // The sorted lists are only resized below, never cleared: a resize
    // within the last size writes nothing.
    for (auto* list : {&mByBand, &mEntries, &mSpreaders})
        list->reserve(count);
    mMade.clear();
    mMade.reserve(count);
    mCellOf.reserve(count);
    mOccupied.reserve(static_cast<std::size_t>(kMostWords));
    for (auto& found : mFound) {
        found.clear();
        found.reserve(count);
    }

    TPassWorker& worker = TPassWorker::Shared();
    const bool share = count >= TPassWorker::kShareFrom;
    const bool collected = mCollected && mCollectedCount == count;
    mCollected = false;
    if (!collected) {
        Prepare(count);
        worker.Split(count, [&](std::size_t ParaBegin, std::size_t ParaEnd) {
            Copy(ParaPersons, ParaBegin, ParaEnd, mParts[ParaBegin == 0 ? 0 : 1]);
        });
    }
    TBounds bounds;
    mLargestSize = std::numeric_limits<std::int32_t>::min();
    std::int32_t largestSpreader = std::numeric_limits<std::int32_t>::min();
    mRemaining = 0;
    std::size_t spreaders = 0;
    for (const TPart& part : mParts) {
        bounds.mMinX = std::min(bounds.mMinX, part.mBounds.mMinX);
        bounds.mMaxX = std::max(bounds.mMaxX, part.mBounds.mMaxX);
        bounds.mMinY = std::min(bounds.mMinY, part.mBounds.mMinY);
        bounds.mMaxY = std::max(bounds.mMaxY, part.mBounds.mMaxY);
        mLargestSize = std::max(mLargestSize, part.mLargestSize);
        largestSpreader = std::max(largestSpreader, part.mLargestSpreaderSize);
        mRemaining += part.mCandidates.size();
        spreaders += part.mSpreaders.size();
    }
    if (!collected) {
        ChooseCells(ParaField, bounds, mRemaining, mLargestSize);
        worker.Both(
            share, [&] { CountBands(mParts[0]); }, [&] { CountBands(mParts[1]); });
    }
    if (mRemaining > 0) {
        mLastCandidates = mRemaining;
        mLastLargestSize = mLargestSize;
    }
    mMarks.assign(count, 0);
    for (const TPart& part : mParts)
        for (std::uint32_t index : part.mBuried)
            mMarks[index] |= kCannotSpread;
    ChooseTiles(std::max(mLargestSize, largestSpreader));

    // Where each band begins in the lists by band, and each part's entries
    // in it, the lower part's first; then each part places its own.
    mCandidateStart.resize(mBands + 1);
    mSpreaderStart.resize(mBands + 1);
    std::int32_t candidatesBefore = 0;
    std::int32_t spreadersBefore = 0;
    for (std::size_t b = 0; b < mBands; ++b) {
        mCandidateStart[b] = candidatesBefore;
        mSpreaderStart[b] = spreadersBefore;
        for (TPart& part : mParts) {
            part.mCandidatesFrom[b] = candidatesBefore;
            part.mSpreadersFrom[b] = spreadersBefore;
            candidatesBefore += part.mCandidatesInBand[b];
            spreadersBefore += part.mSpreadersInBand[b];
        }
    }
    mCandidateStart[mBands] = candidatesBefore;
    mSpreaderStart[mBands] = spreadersBefore;
    mByBand.resize(mRemaining);
    mSpreaders.resize(spreaders);
    worker.Both(
        share, [&] { PlaceByBand(mParts[0]); }, [&] { PlaceByBand(mParts[1]); });

    // The two sides take about as many entries each, sort their bands by
    // cell and later search them.
    const std::size_t total = mRemaining + spreaders;
    mSide = 1;
    while (mSide < mBands &&
           2 * static_cast<std::size_t>(mCandidateStart[mSide] + mSpreaderStart[mSide]) < total)
        ++mSide;
    mStart.resize(static_cast<std::size_t>(mColumns) * static_cast<std::size_t>(mRows) + 1);
    mEntries.resize(mRemaining);
    mCellOf.resize(mRemaining);
    mOccupied.resize(mTileStride * static_cast<std::size_t>(mTileRows));
    worker.Both(
        share, [&] { SortBands(mParts[0], 0, mSide); },
        [&] { SortBands(mParts[1], mSide, mBands); });
    mStart.back() = static_cast<std::int32_t>(mRemaining);
}

void TContactGrid::Copy(const std::vector<std::unique_ptr<TPerson>>& ParaPersons,
                        std::size_t ParaBegin, std::size_t ParaEnd, TPart& ParaPart) {
    for (std::size_t i = ParaBegin; i < ParaEnd; ++i) {
        // Only the first line of a person is read here; ask for it early.
        if (i + 16 < ParaEnd)
            __builtin_prefetch(ParaPersons[i + 16].get());
        Add<false>(ParaPart, i, *ParaPersons[i]);
    }
}

void TContactGrid::CountBands(TPart& ParaPart) {
    ParaPart.mCandidatesInBand.fill(0);
    ParaPart.mSpreadersInBand.fill(0);
    for (const TEntry& entry : ParaPart.mCandidates)
        ++ParaPart.mCandidatesInBand[BandOf(entry.mY)];
    for (const TEntry& entry : ParaPart.mSpreaders)
        ++ParaPart.mSpreadersInBand[BandOf(entry.mY)];
}

void TContactGrid::PlaceByBand(TPart& ParaPart) {
    // A few bands, so a few places written at a time: each stays in the cache.
    std::array<std::int32_t, kMostBands> cursor = ParaPart.mCandidatesFrom;
    for (const TEntry& entry : ParaPart.mCandidates)
        mByBand[static_cast<std::size_t>(cursor[BandOf(entry.mY)]++)] = entry;
    cursor = ParaPart.mSpreadersFrom;
    for (const TEntry& entry : ParaPart.mSpreaders)
        mSpreaders[static_cast<std::size_t>(cursor[BandOf(entry.mY)]++)] = entry;
}

void TContactGrid::SortBands(TPart& ParaScratch, std::size_t ParaFirst, std::size_t ParaLast) {
    // Band by band, a counting sort by cell of the band's entries, which stay
    // in the cache meanwhile; then their bits, in the tile rows of the band
    // alone.
    const auto columns = static_cast<std::size_t>(mColumns);
    const auto tiles = static_cast<std::size_t>(mTilesPerCell);
    std::vector<std::int32_t>& cursor = ParaScratch.mCellCursor;
    for (std::size_t b = ParaFirst; b < ParaLast; ++b) {
        const auto firstRow = static_cast<std::size_t>(mBandRow[b]);
        const auto lastRow = static_cast<std::size_t>(mBandRow[b + 1]);
        const auto begin = static_cast<std::size_t>(mCandidateStart[b]);
        const auto end = static_cast<std::size_t>(mCandidateStart[b + 1]);
        cursor.assign((lastRow - firstRow) * columns, 0);
        for (std::size_t k = begin; k < end; ++k) {
            const TEntry& entry = mByBand[k];
            const auto row = static_cast<std::size_t>(CellOf(entry.mY, mOriginY, mRows));
            const auto column = static_cast<std::size_t>(CellOf(entry.mX, mOriginX, mColumns));
            const auto cell = static_cast<std::int32_t>((row - firstRow) * columns + column);
            mCellOf[k] = cell;
            ++cursor[static_cast<std::size_t>(cell)];
        }
        std::int32_t* start = mStart.data() + firstRow * columns;
        auto sum = static_cast<std::int32_t>(begin);
        for (std::size_t c = 0; c < cursor.size(); ++c) {
            const std::int32_t size = cursor[c];
            start[c] = sum;
            cursor[c] = sum;
            sum += size;
        }
        for (std::size_t k = begin; k < end; ++k)
            mEntries[static_cast<std::size_t>(cursor[static_cast<std::size_t>(mCellOf[k])]++)] =
                mByBand[k];
        if (!mTiled)
            continue;
        std::uint64_t* bits = mOccupied.data() + firstRow * tiles * mTileStride;
        std::fill(bits, bits + (lastRow - firstRow) * tiles * mTileStride, 0);
        for (std::size_t k = begin; k < end; ++k)
            Occupy(mEntries[k].mX, mEntries[k].mY);
    }
}

void TContactGrid::Search(std::size_t ParaFirst, std::size_t ParaLast,
                          std::vector<TContact>& ParaFound) const {
    ParaFound.clear();
    const auto begin = static_cast<std::size_t>(mSpreaderStart[ParaFirst]);
    const auto end = static_cast<std::size_t>(mSpreaderStart[ParaLast]);
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

    // Bands of about kBandCandidates candidates, rows in order.
    const auto rows = static_cast<std::size_t>(mRows);
    mBands = static_cast<std::size_t>(
        std::clamp(std::ceil(static_cast<double>(ParaCount) / kBandCandidates), 1.0,
                   static_cast<double>(std::min(rows, kMostBands))));
    mBandOfRow.resize(rows);
    mBandRow.assign(mBands + 1, static_cast<std::int32_t>(rows));
    for (std::size_t r = rows; r-- > 0;) {
        const std::size_t band = r * mBands / rows;
        mBandOfRow[r] = static_cast<std::uint8_t>(band);
        mBandRow[band] = static_cast<std::int32_t>(r);
    }
}

void TContactGrid::ChooseTiles(std::int32_t ParaLargestSize) {
    mTilesPerCell = 1;
    mTileColumns = 1;
    mTileRows = 1;
    mTileStride = 1;
    mReachTiles = 0;
    mTiled = false;
    if (mRemaining == 0)
        return;
    // Tiles as small as the largest reach, but no more words of bits than
    // kMostWords. A spreader then finds whom it may touch at most one tile
    // away, unless sizes far beyond those of play leave no room for tiles.
    const double reach = ReachOf(ParaLargestSize);
    const double columns = mColumns;
    const double rows = mRows;
    const auto words = [&](double ParaTiles) {
        return std::ceil(columns * ParaTiles / 64) * rows * ParaTiles;
    };
    double tiles = 1;
    while (tiles < 64 && mCellSize / (2 * tiles) >= reach && words(2 * tiles) <= kMostWords)
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
