// The outbreak of a level: after a random delay one person, patient zero, is
// infected; from then on every contagious person infects whoever touches it.
#pragma once

#include "simulation/Unit_TContactGrid.h"

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
    // person infected further up the list spreads in the same pass. Only the
    // persons around each spreader are tested.
    void Infect();
    // The same pass testing every pair: the reference Infect must match.
    void InfectAllPairs();

    // Where a walk over the persons right before Think and Infect may leave
    // its snapshot of them (TContactGrid::Snapshot).
    TContactGrid& Contacts() { return mContacts; }
    // Whether the next Think and Infect may spread at all: only then is a
    // copy worth handing over.
    bool MaySpreadNext() const {
        const auto next = static_cast<std::int32_t>(static_cast<std::uint32_t>(mCycle) + 1u);
        return mPatientZeroExists || next >= mCycleTillPatientZero;
    }

private:
    TContactGrid mContacts; // kept between passes for its buffers
};

extern std::unique_ptr<TDisease> Disease;
