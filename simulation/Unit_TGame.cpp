#include "simulation/Unit_TGame.h"

#include "simulation/Unit_TDisease.h"
#include "simulation/Unit_THumanity.h"

#include <cmath>

std::unique_ptr<TGame> Game;

void TGame::Think() {
    // Patient zero is infected when mCycle reaches the delay; decide from the
    // cycle after it on.
    if (Disease->mCycle <= Disease->mCycleTillPatientZero)
        return;
    if (Humanity->Infected() != 0)
        return;
    if (Humanity->Alive() > 0)
        NextLevel();
    else
        GameOver();
}

void TGame::NextLevel() {
    // Round half to even under the default rounding mode.
    PopulationSize = static_cast<std::int32_t>(std::nearbyint(PopulationSize * 1.2));
    Humanity->Reset();
    Disease->Reset();
}
