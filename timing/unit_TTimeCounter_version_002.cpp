#include "unit_TTimeCounter_version_002.h"

#include "platform/Platform.h"

TTimeCounter::TTimeCounter() {
    SetMode(tcm_high_accuracy);
}

TTimeCounterMode TTimeCounter::Mode() const {
    return mMode;
}

void TTimeCounter::SetMode(TTimeCounterMode ParaValue) {
    if (ParaValue == tcm_high_accuracy) {
        // Keep the previous source rather than switch to one that cannot be read.
        LARGE_INTEGER probe{};
        if (QueryPerformanceCounter(&probe) != 0)
            mMode = tcm_high_accuracy;
        return;
    }
    mMode = ParaValue;
}

std::int64_t TTimeCounter::Tick() const {
    switch (mMode) {
    case tcm_high_accuracy: {
        LARGE_INTEGER counter{};
        QueryPerformanceCounter(&counter);
        return counter.QuadPart;
    }
    case tcm_low_cpu_usage:
        // Zero-extended: the tick lies in 0 .. 4294967295 and wraps uncompensated.
        return static_cast<std::int64_t>(static_cast<std::uint32_t>(GetTickCount()));
    case tcm_simulation:
        return mSimulatedCounter;
    }
    return 0;
}

void TTimeCounter::SetTick(std::int64_t ParaValue) {
    if (mMode == tcm_simulation)
        mSimulatedCounter = ParaValue;
}

std::int64_t TTimeCounter::Frequency() const {
    switch (mMode) {
    case tcm_high_accuracy: {
        LARGE_INTEGER frequency{};
        QueryPerformanceFrequency(&frequency);
        return frequency.QuadPart;
    }
    case tcm_low_cpu_usage:
        return 1000;
    case tcm_simulation:
        return mSimulatedFrequency;
    }
    return 0;
}

void TTimeCounter::SetFrequency(std::int64_t ParaValue) {
    if (mMode == tcm_simulation)
        mSimulatedFrequency = ParaValue;
}
