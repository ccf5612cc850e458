// The universe runs one simulation cycle per call on the calling thread,
// paced by its own throttle at 60 cycles per second.
#pragma once

#include "timing/unit_TSpeedThrottle_version_021.h"

#include <memory>

class TUniverse {
public:
    TUniverse();
    ~TUniverse();
    TUniverse(const TUniverse&) = delete;
    TUniverse& operator=(const TUniverse&) = delete;

    // Empties the cycle stock, restarts its clock and begins the first level.
    void Startup();
    // Waits until a whole cycle is in stock, runs it and takes it out.
    // A larger stock is worked off one cycle per call, without waiting.
    void SingleLoop();

    // Lets headless tests disable or fill the pacing.
    TSpeedThrottle& CycleThrottleForTesting() { return *mCycleThrottle; }

private:
    std::unique_ptr<TSpeedThrottle> mCycleThrottle;
};

extern std::unique_ptr<TUniverse> Universe;
