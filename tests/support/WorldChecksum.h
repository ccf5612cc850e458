// 64-bit checksums of the simulation. WorldChecksum takes in everything:
// every field of every person (doubles by their bits: position, heading,
// direction, ...), the disease, the game, the field, the population size and
// the generator. StateChecksum takes in only the events and states, the
// integers and flags, without any double. The recorded games' data hold
// these values, so the order of what goes in must never change.
#pragma once

#include "simulation/Unit_Random.h"
#include "simulation/Unit_TDisease.h"
#include "simulation/Unit_TField.h"
#include "simulation/Unit_TGame.h"
#include "simulation/Unit_THumanity.h"
#include "simulation/Unit_TPerson.h"

#include <cstdint>
#include <cstring>

// FNV-1a, one value at a time widened to a 64-bit word.
class TChecksum {
public:
    template <class T> void Add(const T& ParaValue) {
        static_assert(sizeof(T) <= sizeof(std::uint64_t));
        std::uint64_t word = 0;
        std::memcpy(&word, &ParaValue, sizeof(T));
        mValue = (mValue ^ word) * 1099511628211ull;
    }
    std::uint64_t Value() const { return mValue; }

private:
    std::uint64_t mValue = 14695981039346656037ull;
};

// One walk for both, so that the two cannot list the fields differently.
inline std::uint64_t SimulationChecksum(bool ParaWithDoubles) {
    TChecksum sum;
    sum.Add(Persons.size());
    for (const auto& person : Persons) {
        const TPerson& p = *person;
        sum.Add(p.mCycle);
        sum.Add(p.mResetCycle);
        if (ParaWithDoubles) {
            sum.Add(p.mPositionX);
            sum.Add(p.mPositionY);
            sum.Add(p.mAngle);
            sum.Add(p.mAngleChangeSpeed);
        }
        sum.Add(p.mStartChangeAngleAfterCycle);
        sum.Add(p.mStopChangeAngleAfterCycle);
        sum.Add(p.mInfectionCycle);
        sum.Add(p.mDeadAfterInfectionCycle);
        sum.Add(p.mDead);
        sum.Add(p.mDeadCycle);
        sum.Add(p.mBuriedAfterDeadCycle);
        sum.Add(p.mBuried);
        if (ParaWithDoubles) {
            sum.Add(p.mDirectionX);
            sum.Add(p.mDirectionY);
            sum.Add(p.mSpeed);
        }
        sum.Add(p.mInfected);
        sum.Add(p.mQuarantined);
        sum.Add(p.mRole);
        sum.Add(p.mSize);
    }
    sum.Add(Disease->mCycle);
    sum.Add(Disease->mCycleTillPatientZero);
    sum.Add(Disease->mPatientZeroExists);
    sum.Add(Game->mOver);
    sum.Add(Field->Width());
    sum.Add(Field->Height());
    sum.Add(PopulationSize);
    sum.Add(RandomState());
    return sum.Value();
}

inline std::uint64_t WorldChecksum() {
    return SimulationChecksum(true);
}

inline std::uint64_t StateChecksum() {
    return SimulationChecksum(false);
}
