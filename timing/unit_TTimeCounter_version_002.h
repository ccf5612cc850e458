// Tick source of the speed throttle: the performance counter, the millisecond
// tick count, or a tick and frequency set by hand to drive simulated time.
// Callers divide tick differences by the frequency; the counter never does.
#pragma once

#include <cstdint>

enum TTimeCounterMode : std::uint8_t { tcm_high_accuracy, tcm_low_cpu_usage, tcm_simulation };

class TTimeCounter {
public:
    TTimeCounter();

    TTimeCounterMode Mode() const;
    // tcm_high_accuracy is taken only if the performance counter can be read.
    void SetMode(TTimeCounterMode ParaValue);

    std::int64_t Tick() const;
    // Stored only in tcm_simulation; ignored in the other modes.
    void SetTick(std::int64_t ParaValue);

    // 0 in tcm_simulation until written: callers must not divide by it before.
    std::int64_t Frequency() const;
    // Stored only in tcm_simulation; ignored in the other modes.
    void SetFrequency(std::int64_t ParaValue);

protected:
    TTimeCounterMode mMode = tcm_high_accuracy;
    std::int64_t mSimulatedCounter = 0;
    std::int64_t mSimulatedFrequency = 0;
};
