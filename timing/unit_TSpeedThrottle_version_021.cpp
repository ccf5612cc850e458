#include "unit_TSpeedThrottle_version_021.h"

#include "NumberText.h"

#include "platform/DecimalSeparator.h"

#include <cmath>
#include <limits>
#include <string>

namespace {

const char* const UnitName = "unit_TSpeedThrottle_version_021";

// General format, 15 significant digits: whole numbers print without a point.
// The text ignores the C library's locale; the separator is the user's own.
std::string FormatNumber(double ParaValue, const std::string& ParaDecimalSeparator) {
    std::string formatted = GeneralNumberText(ParaValue, 15);
    if (const auto point = formatted.find('.'); point != std::string::npos)
        formatted.replace(point, 1, ParaDecimalSeparator);
    return formatted;
}

// The planned wait in whole milliseconds, rounded up so that it never ends
// before the quantity is due; clamped so that no value overflows the result.
std::int32_t CeilMilliseconds(double ParaSeconds) {
    const double milliseconds = std::ceil(ParaSeconds * 1000.0);
    if (std::isnan(milliseconds))
        return 0;
    if (milliseconds >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    if (milliseconds <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(milliseconds);
}

} // namespace

// Holds the lock for a scope, so that an exception cannot leave it taken.
class TSpeedThrottle::THold {
public:
    explicit THold(TSpeedThrottle& ParaOwner) : mOwner(ParaOwner) { mOwner.Lock(); }
    ~THold() { mOwner.Unlock(); }
    THold(const THold&) = delete;
    THold& operator=(const THold&) = delete;

private:
    TSpeedThrottle& mOwner;
};

TSpeedThrottle::TSpeedThrottle() {
    mCriticalSection = std::make_unique<std::recursive_mutex>();
    mContinueSignal = std::make_unique<AutoResetEvent>();
    mTimeCounter = std::make_unique<TTimeCounter>();
    mFrequency = mTimeCounter->Frequency();
    mTick1 = mTimeCounter->Tick();
    mTick2 = mTick1;
}

TSpeedThrottle::~TSpeedThrottle() {
    mTimeCounter.reset();
    mContinueSignal.reset();
    mCriticalSection.reset();
}

void TSpeedThrottle::Lock() {
    mCriticalSection->lock();
}

void TSpeedThrottle::Unlock() {
    mCriticalSection->unlock();
}

void TSpeedThrottle::Recalculate() {
    mBucket = 0;
    mQuantityPerTime = mSpeed;
    if (mSpeed > 0)
        mTimePerQuantity = 1 / mSpeed;
    mMaximumBucketSize = mSpeed > mMaximumExtractionQuantity ? mSpeed : mMaximumExtractionQuantity;
    mTick1 = mTimeCounter->Tick();
    mTick2 = mTick1;
}

void TSpeedThrottle::Refill() {
    mTick2 = mTimeCounter->Tick();
    // A simulated counter reports frequency 0 until it is set: credit nothing
    // then, but still move the reference so that the ticks are not credited
    // later at another rate.
    if (mFrequency > 0) {
        const double elapsed =
            static_cast<double>(mTick2 - mTick1) / static_cast<double>(mFrequency);
        mBucket = mBucket + elapsed * mQuantityPerTime;
    }
    mTick1 = mTick2;
    if (mBucket > mMaximumBucketSize)
        mBucket = mMaximumBucketSize;
}

TTimeCounterMode TSpeedThrottle::TimeCounterMode() {
    THold hold(*this);
    return mTimeCounter->Mode();
}

void TSpeedThrottle::SetTimeCounterMode(TTimeCounterMode ParaValue) {
    THold hold(*this);
    mTimeCounter->SetMode(ParaValue);
    mFrequency = mTimeCounter->Frequency();
    if (mEnabled)
        Recalculate();
}

double TSpeedThrottle::Speed() {
    THold hold(*this);
    return mSpeed;
}

void TSpeedThrottle::SetSpeed(double ParaValue) {
    THold hold(*this);
    if (ParaValue == mSpeed)
        return;
    mSpeed = ParaValue;
    if (mEnabled)
        Recalculate();
    mContinueSignal->Signal();
}

double TSpeedThrottle::MaximumExtractionQuantity() {
    THold hold(*this);
    return mMaximumExtractionQuantity;
}

void TSpeedThrottle::SetMaximumExtractionQuantity(double ParaValue) {
    THold hold(*this);
    mMaximumExtractionQuantity = ParaValue;
    if (mEnabled)
        Recalculate();
}

double TSpeedThrottle::MaximumWaitingTime() {
    THold hold(*this);
    return mMaximumWaitingTime;
}

void TSpeedThrottle::SetMaximumWaitingTime(double ParaValue) {
    THold hold(*this);
    mMaximumWaitingTime = ParaValue;
    mContinueSignal->Signal();
}

bool TSpeedThrottle::Enabled() {
    THold hold(*this);
    return mEnabled;
}

void TSpeedThrottle::SetEnabled(bool ParaValue) {
    THold hold(*this);
    if (ParaValue && !mEnabled)
        Recalculate();
    mEnabled = ParaValue;
}

bool TSpeedThrottle::Paused() {
    THold hold(*this);
    return mPaused;
}

void TSpeedThrottle::SetPaused(bool ParaValue) {
    THold hold(*this);
    if (mPaused && !ParaValue) {
        // The paused time is not credited.
        mTick2 = mTimeCounter->Tick();
        mTick1 = mTick2;
        mPaused = false;
        mContinueSignal->Signal();
    } else if (!mPaused && ParaValue) {
        mBucket = 0;
        mPaused = true;
    }
}

double TSpeedThrottle::QuantityAvailable() {
    THold hold(*this);
    if (!mEnabled)
        return mMaximumExtractionQuantity;
    if (mPaused)
        return 0;
    Refill();
    return mBucket;
}

double TSpeedThrottle::Quantity() {
    THold hold(*this);
    return mBucket;
}

void TSpeedThrottle::SetQuantity(double ParaValue) {
    THold hold(*this);
    if (!mEnabled || mPaused)
        return;
    mBucket = ParaValue;
    if (mBucket > mMaximumBucketSize)
        mBucket = mMaximumBucketSize;
    mContinueSignal->Signal();
}

double TSpeedThrottle::WaitingTimeAvailable(double ParaQuantity) {
    THold hold(*this);
    if (!mEnabled)
        return 0;
    if (mPaused)
        return mMaximumWaitingTime;
    // Written so that a NaN request fails the check too.
    if (!(ParaQuantity <= mMaximumExtractionQuantity)) {
        const std::string separator = UserDecimalSeparator();
        throw EAssertionFailed("ParaQuantity(" + FormatNumber(ParaQuantity, separator) +
                                   ") <= mMaximumExtractionQuantity(" +
                                   FormatNumber(mMaximumExtractionQuantity, separator) + ")",
                               UnitName, __LINE__);
    }
    Refill();
    const double deficit = ParaQuantity - mBucket;
    if (deficit <= 0)
        return 0;
    if (mSpeed > 0) {
        const double seconds = deficit * mTimePerQuantity;
        return seconds > mMaximumWaitingTime ? mMaximumWaitingTime : seconds;
    }
    return mMaximumWaitingTime;
}

std::int32_t TSpeedThrottle::SleepIfWaitingTimeAvailable(double ParaQuantity) {
    const std::int32_t milliseconds = CeilMilliseconds(WaitingTimeAvailable(ParaQuantity));
    // Without the lock, so that other threads can change the settings and so
    // wake us. Whether the wait timed out or was signalled does not matter:
    // the caller asks again.
    if (milliseconds > 0)
        mContinueSignal->Wait(static_cast<std::uint32_t>(milliseconds));
    return milliseconds;
}

void TSpeedThrottle::QuantityUsed(double ParaValue) {
    THold hold(*this);
    if (!mEnabled)
        return;
    mBucket = mBucket - ParaValue;
    if (mBucket < 0)
        mBucket = 0;
}

void TSpeedThrottle::Reset() {
    THold hold(*this);
    mBucket = 0;
    mTick2 = mTimeCounter->Tick();
    mTick1 = mTick2;
}
