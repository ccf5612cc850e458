#include "simulation/Unit_TUniverseThreadLess.h"

#include "simulation/Unit_TDisease.h"
#include "simulation/Unit_TGame.h"
#include "simulation/Unit_THumanity.h"

#include <cmath>

std::unique_ptr<TUniverse> Universe;

TUniverse::TUniverse() : mCycleThrottle(std::make_unique<TSpeedThrottle>()) {
    // One unit of quantity is one cycle. The large stock lets slow frames
    // catch up later at one cycle per frame.
    mCycleThrottle->SetSpeed(60.0);
    mCycleThrottle->SetMaximumExtractionQuantity(80000);
    mCycleThrottle->SetMaximumWaitingTime(1.0);
    mCycleThrottle->SetEnabled(true);
}

TUniverse::~TUniverse() = default;

void TUniverse::Startup() {
    mCycleThrottle->Reset();
    Disease->Initialize();
}

void TUniverse::SingleLoop() {
    while (std::trunc(mCycleThrottle->QuantityAvailable()) == 0.0)
        mCycleThrottle->SleepIfWaitingTimeAvailable(1.0);

    // Think and Move in one walk over the persons: the same as one whole
    // pass after the other, and half the memory traffic. The walk hands the
    // persons as they end up to the spreading pass, which then need not read
    // them all again; patient zero, infected in between, is passed on too.
    Humanity->ThinkAndMove(Disease->MaySpreadNext() ? &Disease->Contacts() : nullptr);
    Disease->Think();
    Disease->Infect();
    Game->Think();

    mCycleThrottle->QuantityUsed(1.0);
}
