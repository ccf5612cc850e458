// The worlds of the scale benchmarks: a field whose area grows with the
// population, at a multiple of the density of the first level (100 persons
// on 792 x 673), before patient zero or mid-outbreak.
#pragma once

#include "shell/Unit_TProgram.h"

#include "simulation/Unit_Random.h"
#include "simulation/Unit_TDisease.h"
#include "simulation/Unit_THumanity.h"
#include "simulation/Unit_TPerson.h"
#include "simulation/Unit_TUniverseThreadLess.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

inline constexpr std::int32_t kNever = std::numeric_limits<std::int32_t>::max();

inline void SetUpWorld(std::int32_t ParaPopulation, std::int32_t ParaDensity, bool ParaOutbreak) {
    SetRandomState(1);
    PopulationSize = ParaPopulation;
    const double scale = std::sqrt(ParaPopulation / 100.0 / ParaDensity);
    ProgramCreate();
    ProgramResize(static_cast<std::int32_t>(792 * scale), static_cast<std::int32_t>(673 * scale));
    ProgramStartup();
    Universe->CycleThrottleForTesting().SetEnabled(false);
    // Nobody dies while measured, so the state stays what it was set to.
    for (auto& person : Persons)
        person->mDeadAfterInfectionCycle = kNever;
    if (ParaOutbreak) {
        // Every other person infected: spread evenly over the field.
        for (std::size_t i = 0; i < Persons.size(); i += 2)
            Persons[i]->Infect();
        Disease->mCycle = 1000;
        Disease->mCycleTillPatientZero = 150;
        Disease->mPatientZeroExists = true;
        // One pass first, as in play: whoever touched an infected person
        // already caught it, and each cycle adds those who meet anew.
        Disease->Infect();
    } else {
        Disease->mCycleTillPatientZero = kNever;
    }
}

inline void TearDownWorld() {
    ProgramDestroy();
    PopulationSize = 100;
}

inline std::vector<bool> InfectedFlags() {
    std::vector<bool> flags(Persons.size());
    for (std::size_t i = 0; i < Persons.size(); ++i)
        flags[i] = Persons[i]->mInfected;
    return flags;
}

// The outbreak grows while measured; this puts it back to where it began.
inline void RestoreInfected(const std::vector<bool>& ParaFlags) {
    for (std::size_t i = 0; i < Persons.size(); ++i)
        Persons[i]->mInfected = ParaFlags[i];
}
