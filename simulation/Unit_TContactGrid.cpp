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
    mX.resize(count);
    mY.resize(count);
    mSize.resize(count);
    mState.resize(count);
    mHome.resize(count);
    mEverywhere.clear();
    mGridRemaining = 0;
    mLargestSize = std::numeric_limits<std::int32_t>::min();
    TBounds bounds;
    for (std::size_t i = 0; i < count; ++i) {
        // The persons lie far apart in memory: ask for the next ones early.
        if (i + 8 < count) {
            const char* ahead = reinterpret_cast<const char*>(ParaPersons[i + 8].get());
            __builtin_prefetch(ahead);
            __builtin_prefetch(ahead + 64);
        }
        const TPerson& person = *ParaPersons[i];
        const double x = person.mPositionX;
        const double y = person.mPositionY;
        mX[i] = x;
        mY[i] = y;
        mSize[i] = person.mSize;
        mState[i] = static_cast<std::uint8_t>((person.mInfected ? kInfected : 0) |
                                              (person.mBuried ? kBuried : 0));
        if (person.mInfected)
            continue;
        mLargestSize = std::max(mLargestSize, person.mSize);
        if (std::isfinite(x) && std::isfinite(y)) {
            ++mGridRemaining;
            bounds.mMinX = std::min(bounds.mMinX, x);
            bounds.mMaxX = std::max(bounds.mMaxX, x);
            bounds.mMinY = std::min(bounds.mMinY, y);
            bounds.mMaxY = std::max(bounds.mMaxY, y);
        } else {
            mEverywhere.push_back(static_cast<std::uint32_t>(i));
        }
    }

    ChooseLayout(ParaField, bounds);

    // Counting sort of the candidates by cell; within a cell they keep index
    // order. Spreaders note their cell too, for the fetching ahead.
    const std::size_t cells = static_cast<std::size_t>(mColumns) * mRows;
    mCells.assign(cells, TCell{0, 0});
    for (std::size_t i = 0; i < count; ++i) {
        const bool finite = std::isfinite(mX[i]) && std::isfinite(mY[i]);
        const bool candidate = (mState[i] & kInfected) == 0;
        if (!finite || (!candidate && !IsSpreader(i))) {
            mHome[i] = -1;
            continue;
        }
        mHome[i] = CellOf(mY[i], mOriginY, mRows) * mColumns + CellOf(mX[i], mOriginX, mColumns);
        if (candidate)
            ++mCells[static_cast<std::size_t>(mHome[i])].mEnd;
    }
    std::int32_t begin = 0;
    for (TCell& cell : mCells) {
        const std::int32_t size = cell.mEnd;
        cell.mBegin = begin;
        cell.mEnd = begin;
        begin += size;
    }
    mEntries.resize(mGridRemaining);
    for (std::size_t i = 0; i < count; ++i) {
        if ((mState[i] & kInfected) != 0 || mHome[i] < 0)
            continue;
        TCell& cell = mCells[static_cast<std::size_t>(mHome[i])];
        mEntries[static_cast<std::size_t>(cell.mEnd++)] = {mX[i], mY[i],
                                                           static_cast<std::uint32_t>(i)};
    }
}

void TContactGrid::ChooseLayout(const TField* ParaField, const TBounds& ParaBounds) {
    mColumns = 1;
    mRows = 1;
    mCellSize = 1;
    mInverseCellSize = 1;
    mOriginX = 0;
    mOriginY = 0;
    if (mGridRemaining == 0)
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
    const double count = static_cast<double>(mGridRemaining);
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
