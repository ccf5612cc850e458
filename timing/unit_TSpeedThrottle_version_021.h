// Meters a quantity per second out of a capped bucket that fills with elapsed
// time. Consumers ask what is available or how long to wait for a quantity,
// sleep on an event that setting changes on other threads cut short, and then
// report what they used. Every operation is serialised by one re-entrant lock.
#pragma once

#include "EAssertionFailed.h"
#include "unit_TTimeCounter_version_002.h"

#include "platform/AutoResetEvent.h"

#include <cstdint>
#include <memory>
#include <mutex>

class TSpeedThrottle {
public:
    TSpeedThrottle();
    ~TSpeedThrottle();
    TSpeedThrottle(const TSpeedThrottle&) = delete;
    TSpeedThrottle& operator=(const TSpeedThrottle&) = delete;

    TTimeCounterMode TimeCounterMode();
    void SetTimeCounterMode(TTimeCounterMode ParaValue);

    double Speed();
    void SetSpeed(double ParaValue);

    double MaximumExtractionQuantity();
    void SetMaximumExtractionQuantity(double ParaValue);

    double MaximumWaitingTime();
    void SetMaximumWaitingTime(double ParaValue);

    bool Enabled();
    void SetEnabled(bool ParaValue);

    bool Paused();
    void SetPaused(bool ParaValue);

    double QuantityAvailable();

    // Reads the bucket as it stands, without a refill.
    double Quantity();
    void SetQuantity(double ParaValue);

    // Seconds until ParaQuantity would be available; takes nothing, waits not.
    // Throws EAssertionFailed when enabled, running and ParaQuantity is above
    // MaximumExtractionQuantity (or is NaN).
    double WaitingTimeAvailable(double ParaQuantity);
    // Waits that long, at most MaximumWaitingTime, without holding the lock;
    // returns the planned wait in milliseconds (0: no wait).
    std::int32_t SleepIfWaitingTimeAvailable(double ParaQuantity);
    void QuantityUsed(double ParaValue);
    // Empties the bucket and restarts the time reference.
    void Reset();

protected:
    // For tests: drives time through the counter's tcm_simulation mode. Touch
    // it only while no other thread uses the throttle.
    TTimeCounter& TimeCounter() { return *mTimeCounter; }

private:
    class THold;

    void Lock();
    void Unlock();
    void Recalculate();
    void Refill();

    std::unique_ptr<std::recursive_mutex> mCriticalSection;
    std::unique_ptr<TTimeCounter> mTimeCounter;
    std::int64_t mFrequency = 0;
    double mSpeed = 0;
    bool mEnabled = false;
    bool mPaused = false;
    std::unique_ptr<AutoResetEvent> mContinueSignal;
    std::int64_t mTick1 = 0;
    std::int64_t mTick2 = 0;
    double mMaximumExtractionQuantity = 0;
    double mQuantityPerTime = 0;
    double mTimePerQuantity = 0;
    double mMaximumWaitingTime = 0;
    double mBucket = 0;
    double mMaximumBucketSize = 0;
};
