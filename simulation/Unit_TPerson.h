// One member of the population: a small square that wanders the field on a
// slowly turning heading, can be infected and quarantined, dies a while after
// infection and is buried a while after death. Timers count cycles.
#pragma once

#include "simulation/Unit_TRole.h"

#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

class TPerson {
public:
    std::int32_t mCycle = 0;
    std::int32_t mResetCycle = 0;
    double mPositionX = 0.0;
    double mPositionY = 0.0;
    double mAngle = 0.0; // degrees, never normalised
    double mAngleChangeSpeed = 0.0;
    std::int32_t mStartChangeAngleAfterCycle = 0;
    std::int32_t mStopChangeAngleAfterCycle = 0;
    std::int32_t mInfectionCycle = 0;
    std::int32_t mDeadAfterInfectionCycle = 0;
    bool mDead = false;
    std::int32_t mDeadCycle = 0;
    std::int32_t mBuriedAfterDeadCycle = 0;
    bool mBuried = false;
    double mDirectionX = 0.0;
    double mDirectionY = 0.0;
    double mSpeed = 0.0;
    bool mInfected = false;
    bool mQuarantined = false;
    TRole mRole = r_citizen;
    std::int32_t mSize = 0; // half the side of the square, and the contact radius

    // Resets the timers and draws the random traits, nine draws in a fixed order.
    void Initialize();
    void Think();
    void Move();
    // Clamps the position to 0 .. size - 1 and reverses the heading at each
    // crossed edge.
    void KeepInside(std::int32_t ParaWidth, std::int32_t ParaHeight);
    bool Select(std::int32_t ParaX, std::int32_t ParaY) const;
    void Infect() { mInfected = true; }
    void Quarantine() { mQuarantined = true; }
    // Whether the two circles of radius mSize touch or overlap.
    bool Near(const TPerson& ParaPerson) const;
    // A square while alive, a cross while a body lies unburied, a point for a grave.
    void Draw() const;

private:
    // The heading's sine and cosine for the angle they were worked out for:
    // most moves keep the heading, and the trigonometry dominates a move.
    double mHeadingAngle = std::numeric_limits<double>::quiet_NaN();
    double mHeadingSin = 0.0;
    double mHeadingCos = 0.0;
};

// Exclusive upper bound of a speed draw, in tenths of a pixel per cycle.
extern std::int32_t SpeedRange;

// The population in creation order; every pass walks it by increasing index.
// Built, emptied and rebuilt by the humanity, which owns the persons.
extern std::vector<std::unique_ptr<TPerson>> Persons;
