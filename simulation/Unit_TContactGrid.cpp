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

void TContactGrid::Build(const std::vector<std::unique_ptr<TPerson>>& ParaPersons,
                         const TField* ParaField) {
    const std::size_t count = ParaPersons.size();
    // Room for everybody on each list, so that no pass after the first of a
    // population allocates, however the outbreak goes.
    mCandidates.clear();
    mCandidates.reserve(count);
    mFirst.clear();
    mFirst.reserve(count);
    mMade.clear();
    mMade.reserve(count);
    mCellOf.reserve(count);
    mEntries.reserve(count);
    mSpreaders.reserve(count);
    // The layout never takes more cells than this.
    mStart.reserve(2 * count + 17);
    mSpreaderStart.reserve(2 * count + 17);
    mCaught.assign(count, 0);
    mLargestSize = std::numeric_limits<std::int32_t>::min();
    TBounds bounds;
    for (std::size_t i = 0; i < count; ++i) {
        // Only the first line of a person is read here; ask for it early.
        if (i + 16 < count)
            __builtin_prefetch(ParaPersons[i + 16].get());
        const TPerson& person = *ParaPersons[i];
        const double x = person.mPositionX;
        const double y = person.mPositionY;
        if (!std::isfinite(x) || !std::isfinite(y))
            continue;
        const TEntry entry{x, y, person.mSize, static_cast<std::uint32_t>(i)};
        if (person.mInfected) {
            if (!person.mBuried)
                mFirst.push_back(entry);
            continue;
        }
        mCandidates.push_back(entry);
        mLargestSize = std::max(mLargestSize, person.mSize);
        bounds.mMinX = std::min(bounds.mMinX, x);
        bounds.mMaxX = std::max(bounds.mMaxX, x);
        bounds.mMinY = std::min(bounds.mMinY, y);
        bounds.mMaxY = std::max(bounds.mMaxY, y);
    }
    mRemaining = mCandidates.size();

    ChooseLayout(ParaField, bounds);

    SortByCell(mCandidates, mStart, mEntries);
    SortByCell(mFirst, mSpreaderStart, mSpreaders);
}

void TContactGrid::SortByCell(const std::vector<TEntry>& ParaList,
                              std::vector<std::int32_t>& ParaStart,
                              std::vector<TEntry>& ParaSorted) {
    // Counting sort: counts, then where each cell begins, then the entries.
    const std::size_t cells = static_cast<std::size_t>(mColumns) * mRows;
    ParaStart.assign(cells + 1, 0);
    mCellOf.resize(ParaList.size());
    for (std::size_t k = 0; k < ParaList.size(); ++k) {
        const std::int32_t cell = CellIndexOf(ParaList[k]);
        mCellOf[k] = cell;
        ++ParaStart[static_cast<std::size_t>(cell) + 1];
    }
    for (std::size_t c = 0; c < cells; ++c)
        ParaStart[c + 1] += ParaStart[c];
    ParaSorted.resize(ParaList.size());
    // The starts serve as cursors and end as the next cells' starts: one shift
    // puts them back.
    for (std::size_t k = 0; k < ParaList.size(); ++k)
        ParaSorted[static_cast<std::size_t>(ParaStart[static_cast<std::size_t>(mCellOf[k])]++)] =
            ParaList[k];
    for (std::size_t c = cells; c > 0; --c)
        ParaStart[c] = ParaStart[c - 1];
    ParaStart[0] = 0;
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
