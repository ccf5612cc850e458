#include "simulation/Unit_TContactSnapshot.h"

#include "simulation/Unit_CpuHints.h"

#include <cfloat>

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
// Room in a walk's band beyond what it held at the last fill.
constexpr std::int32_t kRoomToSpare = 32;

} // namespace

void TContactLayout::Reserve(std::size_t ParaCount) {
    // Choose never takes more cells, or rows, than this.
    mBandOfRow.reserve(2 * ParaCount + 17);
    mBandRow.reserve(kMostBands + 1);
}

void TContactLayout::Choose(const TField* ParaField, double ParaMinX, double ParaMaxX,
                            double ParaMinY, double ParaMaxY, std::size_t ParaCount,
                            std::int32_t ParaLargestSize) {
    mColumns = 1;
    mRows = 1;
    mCellSize = 1;
    mInverseCellSize = 1;
    mOriginX = 0;
    mOriginY = 0;
    if (ParaCount > 0) {
        double minX = ParaMinX;
        double maxX = ParaMaxX;
        double minY = ParaMinY;
        double maxY = ParaMaxY;
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

void TContactSnapshot::TBandedList::Lay(const std::array<std::int32_t, kMostBands>& ParaRoom,
                                        std::size_t ParaBands) {
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

std::int32_t TContactSnapshot::TBandedList::Total() const {
    std::int32_t total = 0;
    for (std::size_t b = 0; b < mBands; ++b)
        total += mCount[b];
    return total;
}

bool TContactSnapshot::TBandedList::Full() const {
    for (std::size_t b = 0; b < mBands; ++b)
        if (mCount[b] == mLast[b])
            return true;
    return false;
}

void TContactSnapshot::Prepare(std::size_t ParaCount) {
    // Room for everybody on each list, so that no fill after the first of a
    // population allocates, however the outbreak goes: a walk's bands take
    // at most a quarter more than they held, and two slots more each.
    const std::size_t most = ParaCount + ParaCount / 4 + 1;
    for (TPart& part : mParts) {
        part.mLargestSize = std::numeric_limits<std::int32_t>::min();
        part.mLargestSpreaderSize = std::numeric_limits<std::int32_t>::min();
        for (TBandedList* list : {&part.mSpreaders, &part.mCandidates})
            list->Reserve(most + (kRoomToSpare + 2) * kMostBands);
        part.mBuried.clear();
        part.mBuried.reserve(ParaCount);
    }
    mLayout.Reserve(ParaCount);
    mCount = ParaCount;
}

void TContactSnapshot::BeginWalk(std::size_t ParaCount, const TField& ParaField) {
    Prepare(ParaCount);
    mGeneration = std::numeric_limits<std::uint64_t>::max();
    // The walk keeps everybody on the field, 0 .. size - 1 along each axis
    // (at size - 1 if that is below 0), or at a NaN: the cells can be chosen
    // now, for about as many candidates as the last fill had. They stay as
    // they are while the field does and the candidates are not far off, so
    // that the bands keep their persons from one walk to the next.
    const std::size_t expected =
        std::min(ParaCount, mLastCandidates > 0 ? mLastCandidates : ParaCount / 2 + 1);
    const bool keep = mCellsForWalk && mCellsWidth == ParaField.Width() &&
                      mCellsHeight == ParaField.Height() && 4 * expected <= 5 * mCellsCandidates &&
                      4 * mCellsCandidates <= 5 * expected;
    if (!keep) {
        const double right = static_cast<double>(ParaField.Width()) - 1;
        const double bottom = static_cast<double>(ParaField.Height()) - 1;
        mLayout.Choose(&ParaField, std::min(0.0, right), std::max(0.0, right),
                       std::min(0.0, bottom), std::max(0.0, bottom), expected, mLastLargestSize);
        mCellsForWalk = true;
        mCellsWidth = ParaField.Width();
        mCellsHeight = ParaField.Height();
        mCellsCandidates = expected;
        mCounted = false;
    }
    MakeRoom();
}

void TContactSnapshot::MakeRoom() {
    // Persons walk a few pixels a cycle and bands are many cells high: a
    // band holds about what it held at the last fill, give or take those
    // who caught the disease. On cells new since, by the band's share of
    // the rows of what the list held in all at the last fill (a walk that
    // is not shared hands everybody to part 0), or of half the persons
    // before any fill.
    const auto rows = static_cast<double>(mLayout.mRows);
    for (TPart& part : mParts) {
        for (TBandedList* list : {&part.mSpreaders, &part.mCandidates}) {
            std::array<std::int32_t, kMostBands> room{};
            const std::int32_t total =
                mFilled ? list->Total() : static_cast<std::int32_t>(mCount / 2 + 1);
            for (std::size_t b = 0; b < mLayout.mBands; ++b) {
                const double share = (mLayout.mBandRow[b + 1] - mLayout.mBandRow[b]) / rows;
                const std::int32_t last =
                    mCounted ? list->Count(b) : static_cast<std::int32_t>(std::ceil(total * share));
                // Spreaders only grow between fills, and faster than
                // candidates shrink.
                const std::int32_t growth = list == &part.mSpreaders ? last / 4 : last / 8;
                room[b] = last + growth + kRoomToSpare;
            }
            list->Lay(room, mLayout.mBands);
        }
    }
    // The counts will be this walk's, on these cells.
    mCounted = true;
    mFilled = true;
}

void TContactSnapshot::EndWalk() {
    Taken();
}

void TContactSnapshot::Taken() {
    std::size_t candidates = 0;
    std::int32_t largest = std::numeric_limits<std::int32_t>::min();
    for (const TPart& part : mParts) {
        candidates += static_cast<std::size_t>(part.mCandidates.Total());
        largest = std::max(largest, part.mLargestSize);
    }
    if (candidates > 0) {
        mLastCandidates = candidates;
        mLastLargestSize = largest;
    }
    mGeneration = PersonsGeneration;
}

bool TContactSnapshot::Current(const std::vector<std::unique_ptr<TPerson>>& ParaPersons) const {
    if (mGeneration != PersonsGeneration || mCount != ParaPersons.size())
        return false;
    for (const TPart& part : mParts)
        if (part.mSpreaders.Full() || part.mCandidates.Full())
            return false;
    return true;
}

void TContactSnapshot::CopyPart(const std::vector<std::unique_ptr<TPerson>>& ParaPersons,
                                std::size_t ParaBegin, std::size_t ParaEnd, TPart& ParaPart,
                                TCopied& ParaCopied) {
    double minX = INFINITY;
    double maxX = -INFINITY;
    double minY = INFINITY;
    double maxY = -INFINITY;
    std::int32_t largest = std::numeric_limits<std::int32_t>::min();
    std::int32_t largestSpreader = std::numeric_limits<std::int32_t>::min();
    for (std::size_t i = ParaBegin; i < ParaEnd; ++i) {
        // Only the first line of a person is read here; ask for it early.
        if (i + 16 < ParaEnd)
            PrefetchForRead(ParaPersons[i + 16].get());
        const TPerson& person = *ParaPersons[i];
        const double x = person.mPositionX;
        const double y = person.mPositionY;
        const bool finiteX = std::isfinite(x);
        const bool finiteY = std::isfinite(y);
        const bool finite = finiteX & finiteY;
        const bool infected = person.mInfected;
        const bool candidate = finite & !infected;
        const bool spreader = finite & infected & !person.mBuried;
        const TContactEntry entry{x, y, person.mSize, static_cast<std::uint32_t>(i)};
        ParaCopied.mSpreaders.AddIf(entry, spreader);
        ParaCopied.mCandidates.AddIf(entry, candidate);
        minX = std::min(minX, candidate ? x : INFINITY);
        maxX = std::max(maxX, candidate ? x : -INFINITY);
        minY = std::min(minY, candidate ? y : INFINITY);
        maxY = std::max(maxY, candidate ? y : -INFINITY);
        if (candidate && person.mBuried)
            ParaPart.mBuried.push_back(entry.mIndex);
        constexpr std::int32_t kNoSize = std::numeric_limits<std::int32_t>::min();
        largest = std::max(largest, candidate ? entry.mSize : kNoSize);
        largestSpreader = std::max(largestSpreader, spreader ? entry.mSize : kNoSize);
    }
    ParaCopied.mMinX = minX;
    ParaCopied.mMaxX = maxX;
    ParaCopied.mMinY = minY;
    ParaCopied.mMaxY = maxY;
    ParaPart.mLargestSize = largest;
    ParaPart.mLargestSpreaderSize = largestSpreader;
}

void TContactSnapshot::Copy(const std::vector<std::unique_ptr<TPerson>>& ParaPersons,
                            const TField* ParaField) {
    const std::size_t count = ParaPersons.size();
    ++mCopies;
    // A walk's cells still serve a copy of as many persons on a field of the
    // same size: everybody is on it, and the bands keep their counts for
    // the next walk. Anything else chooses cells of its own.
    const bool keepCells = mCellsForWalk && mCount == count && ParaField != nullptr &&
                           mCellsWidth == ParaField->Width() && mCellsHeight == ParaField->Height();
    Prepare(count);
    for (TCopied& copied : mCopied) {
        copied.mSpreaders.Reset(count);
        copied.mCandidates.Reset(count);
        copied.mMinX = copied.mMinY = INFINITY;
        copied.mMaxX = copied.mMaxY = -INFINITY;
    }
    TPassWorker& worker = TPassWorker::Shared();
    worker.Split(count, [&](std::size_t ParaPart, std::size_t ParaBegin, std::size_t ParaEnd) {
        CopyPart(ParaPersons, ParaBegin, ParaEnd, mParts[ParaPart], mCopied[ParaPart]);
    });
    if (!keepCells) {
        double minX = INFINITY;
        double maxX = -INFINITY;
        double minY = INFINITY;
        double maxY = -INFINITY;
        std::size_t candidates = 0;
        std::int32_t largest = std::numeric_limits<std::int32_t>::min();
        for (std::size_t p = 0; p < kParts; ++p) {
            minX = std::min(minX, mCopied[p].mMinX);
            maxX = std::max(maxX, mCopied[p].mMaxX);
            minY = std::min(minY, mCopied[p].mMinY);
            maxY = std::max(maxY, mCopied[p].mMaxY);
            candidates += mCopied[p].mCandidates.size();
            largest = std::max(largest, mParts[p].mLargestSize);
        }
        mLayout.Choose(ParaField, minX, maxX, minY, maxY, candidates, largest);
        mCellsForWalk = false;
    }
    static_assert(kParts == 2, "the parts are placed by band two at a time");
    worker.Both(
        count >= TPassWorker::kShareFrom,
        [&] { PlaceByBand(mParts[0], mCopied[0].mSpreaders, mCopied[0].mCandidates); },
        [&] { PlaceByBand(mParts[1], mCopied[1].mSpreaders, mCopied[1].mCandidates); });
    mCounted = keepCells;
    mFilled = true;
    Taken();
}

void TContactSnapshot::PlaceByBand(TPart& ParaPart, const TEntryList& ParaSpreaders,
                                   const TEntryList& ParaCandidates) {
    const auto place = [&](const TEntryList& ParaCopied, TBandedList& ParaList) {
        std::array<std::int32_t, kMostBands> room{};
        for (const TContactEntry& entry : ParaCopied)
            ++room[mLayout.BandOf(entry.mY)];
        ParaList.Lay(room, mLayout.mBands);
        for (const TContactEntry& entry : ParaCopied)
            ParaList.AddIf(mLayout.BandOf(entry.mY), entry, true);
    };
    place(ParaCandidates, ParaPart.mCandidates);
    place(ParaSpreaders, ParaPart.mSpreaders);
}
