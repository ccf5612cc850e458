// The outbreak of a level: after a random delay one person, patient zero, is
// infected; from then on every contagious person infects whoever touches it.
#pragma once

#include <cstdint>
#include <memory>

class TDisease {
public:
    std::int32_t mCycle = 0; // cycles since the level began
    std::int32_t mCycleTillPatientZero = 0;
    bool mPatientZeroExists = false;

    // Begins a level: cycle 0, no patient zero, a new delay of 100 to 199 cycles.
    void Initialize();
    void Reset() { Initialize(); }
    void Think();
    void InfectPatientZero();
    // One spreading pass in index order; an infection counts at once, so a
    // person infected further up the list spreads in the same pass.
    void Infect();
};

extern std::unique_ptr<TDisease> Disease;
