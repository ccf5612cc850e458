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

} // namespace

void TContactGrid::Prepare(std::size_t ParaCount) {
    // Room for everybody on each list, so that no pass after the first of a
    // population allocates, however the outbreak goes.
    for (TPart& part : mParts) {
        part.mBounds = TBounds{};
        part.mLargestSize = std::numeric_limits<std::int32_t>::min();
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
        part.mBounds.mMinX = std::min(part.mBounds.mMinX, x);
        part.mBounds.mMaxX = std::max(part.mBounds.mMaxX, x);
        part.mBounds.mMinY = std::min(part.mBounds.mMinY, y);
        part.mBounds.mMaxY = std::max(part.mBounds.mMaxY, y);
    }
}

void TContactGrid::Build(const std::vector<std::unique_ptr<TPerson>>& ParaPersons,
                         const TField* ParaField) {
    const std::size_t count = ParaPersons.size();
    for (auto* list : {&mByRow, &mEntries, &mSpreaders, &mMade}) {
        list->clear();
        list->reserve(count);
    }
    for (auto* list : {&mRowOf, &mSpreaderRowOf})
        list->reserve(count);
    mCursor.reserve(2 * count + 16);
    for (auto& found : mFound) {
        found.clear();
        found.reserve(count);
    }
    // The layout never takes more cells, or rows, than this.
    for (auto* list : {&mStart, &mSpreaderStart, &mRowStart})
        list->reserve(2 * count + 17);

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
    for (const TPart& part : mParts) {
        bounds.mMinX = std::min(bounds.mMinX, part.mBounds.mMinX);
        bounds.mMaxX = std::max(bounds.mMaxX, part.mBounds.mMaxX);
        bounds.mMinY = std::min(bounds.mMinY, part.mBounds.mMinY);
        bounds.mMaxY = std::max(bounds.mMaxY, part.mBounds.mMaxY);
        mLargestSize = std::max(mLargestSize, part.mLargestSize);
        mRemaining += part.mCandidates.size();
    }
    ChooseLayout(ParaField, bounds);

    TPassWorker::Shared().Both(
        count >= TPassWorker::kShareFrom,
        [&] {
            SortByRow(&TPart::mCandidates, mRowOf, mRowStart, mByRow);
            SortCandidates();
        },
        [&] { SortByRow(&TPart::mSpreaders, mSpreaderRowOf, mSpreaderStart, mSpreaders); });
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

void TContactGrid::SortByRow(TEntryList TPart::*ParaList, std::vector<std::int32_t>& ParaRowOf,
                             std::vector<std::int32_t>& ParaStart,
                             std::vector<TEntry>& ParaSorted) {
    // Counting sort: counts, then where each row begins, then the entries,
    // the lower half's before the upper half's.
    const auto rows = static_cast<std::size_t>(mRows);
    ParaStart.assign(rows + 1, 0);
    ParaRowOf.clear();
    for (const TPart& part : mParts) {
        for (const TEntry& entry : part.*ParaList) {
            const std::int32_t row = CellOf(entry.mY, mOriginY, mRows);
            ParaRowOf.push_back(row);
            ++ParaStart[static_cast<std::size_t>(row) + 1];
        }
    }
    for (std::size_t r = 0; r < rows; ++r)
        ParaStart[r + 1] += ParaStart[r];
    ParaSorted.resize(ParaRowOf.size());
    // The starts serve as cursors and end as the next rows' starts: one shift
    // puts them back.
    std::size_t k = 0;
    for (const TPart& part : mParts)
        for (const TEntry& entry : part.*ParaList)
            ParaSorted[static_cast<std::size_t>(
                ParaStart[static_cast<std::size_t>(ParaRowOf[k++])]++)] = entry;
    for (std::size_t r = rows; r > 0; --r)
        ParaStart[r] = ParaStart[r - 1];
    ParaStart[0] = 0;
}

void TContactGrid::SortCandidates() {
    // Row by row, a counting sort by column of the row's few entries, which
    // stay in the cache meanwhile.
    const auto columns = static_cast<std::size_t>(mColumns);
    mStart.resize(columns * static_cast<std::size_t>(mRows) + 1);
    mCursor.resize(columns);
    mEntries.resize(mByRow.size());
    std::vector<std::int32_t>& columnOf = mRowOf; // its rows are no longer needed
    for (std::size_t row = 0; row < static_cast<std::size_t>(mRows); ++row) {
        const auto begin = static_cast<std::size_t>(mRowStart[row]);
        const auto end = static_cast<std::size_t>(mRowStart[row + 1]);
        std::int32_t* start = mStart.data() + row * columns;
        std::fill(start, start + columns, 0);
        for (std::size_t k = begin; k < end; ++k) {
            columnOf[k] = CellOf(mByRow[k].mX, mOriginX, mColumns);
            ++start[columnOf[k]];
        }
        auto sum = static_cast<std::int32_t>(begin);
        for (std::size_t c = 0; c < columns; ++c) {
            const std::int32_t size = start[c];
            start[c] = sum;
            mCursor[c] = sum;
            sum += size;
        }
        for (std::size_t k = begin; k < end; ++k)
            mEntries[static_cast<std::size_t>(mCursor[static_cast<std::size_t>(columnOf[k])]++)] =
                mByRow[k];
    }
    mStart.back() = static_cast<std::int32_t>(mByRow.size());
}

void TContactGrid::Search(std::int32_t ParaFirst, std::int32_t ParaLast,
                          std::vector<TContact>& ParaFound) {
    ParaFound.clear();
    const auto begin =
        static_cast<std::size_t>(mSpreaderStart[static_cast<std::size_t>(ParaFirst)]);
    const auto end = static_cast<std::size_t>(mSpreaderStart[static_cast<std::size_t>(ParaLast)]);
    for (std::size_t k = begin; k < end; ++k) {
        const TEntry& s = mSpreaders[k];
        ForEachCandidate(s.mX, s.mY, s.mSize, [&](const TEntry& ParaOther) {
            if (TPerson::Touching(s.mX, s.mY, s.mSize, ParaOther.mX, ParaOther.mY, ParaOther.mSize))
                ParaFound.push_back({static_cast<std::uint32_t>(&ParaOther - mEntries.data()),
                                     Makes(s.mIndex, ParaOther.mIndex)});
            return false;
        });
    }
}

void TContactGrid::ChooseLayout(const TField* ParaField, const TBounds& ParaBounds) {
    mColumns = 1;
    mRows = 1;
    mCellSize = 1;
    mInverseCellSize = 1;
    mOriginX = 0;
    mOriginY = 0;
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
}
