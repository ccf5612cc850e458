// One member of the population: a small square that wanders the field on a
// slowly turning heading, can be infected and quarantined, dies a while after
// infection and is buried a while after death. Timers count cycles.
#pragma once

#include "simulation/Unit_SinCos.h"
#include "simulation/Unit_TRole.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

// The fields come in two cache lines of their own: the first holds what every
// pass reads (position, size, state, and the movement), the second the timers
// and what only thinking or drawing needs. Persons are kept in pooled slots of
// two lines each, in the order they are made, so that a pass over the list
// streams through memory (docs/performance.md, Memory layout).
// Advanced by every change to the persons but that of a walk which hands
// them over to the spreading pass as it goes (see TContactSnapshot): a
// snapshot taken at another value is stale. Changed on the simulation's
// thread only.
extern std::uint64_t PersonsGeneration;

class alignas(64) TPerson {
public:
    double mPositionX = 0.0;
    double mPositionY = 0.0;
    std::int32_t mSize = 0; // half the side of the square, and the contact radius
    bool mInfected = false;
    bool mQuarantined = false;
    bool mDead = false;
    bool mBuried = false;
    double mAngle = 0.0; // degrees, never normalised
    double mSpeed = 0.0;

private:
    // The heading's sine and cosine for the angle they were worked out for:
    // most moves keep the heading, and the trigonometry dominates a move.
    double mHeadingAngle = std::numeric_limits<double>::quiet_NaN();
    double mHeadingSin = 0.0;
    double mHeadingCos = 0.0;

public:
    std::int32_t mCycle = 0;
    std::int32_t mResetCycle = 0;
    std::int32_t mStartChangeAngleAfterCycle = 0;
    std::int32_t mStopChangeAngleAfterCycle = 0;
    std::int32_t mInfectionCycle = 0;
    std::int32_t mDeadAfterInfectionCycle = 0;
    std::int32_t mDeadCycle = 0;
    std::int32_t mBuriedAfterDeadCycle = 0;
    double mAngleChangeSpeed = 0.0;
    double mDirectionX = 0.0;
    double mDirectionY = 0.0;
    TRole mRole = r_citizen;

    // From the pool of person slots. Persons are made and freed on the one
    // thread the simulation runs on.
    static void* operator new(std::size_t ParaSize);
    static void operator delete(void* ParaMemory, std::size_t ParaSize) noexcept;

    // Slots of the pool in use, for tests.
    static std::size_t PooledSlots();

    // Resets the timers and draws the random traits, nine draws in a fixed order.
    void Initialize();
    void Think();
    void Move();
    // Clamps the position to 0 .. size - 1 and reverses the heading at each
    // crossed edge.
    void KeepInside(std::int32_t ParaWidth, std::int32_t ParaHeight);
    bool Select(std::int32_t ParaX, std::int32_t ParaY) const;
    void Infect() {
        mInfected = true;
        ++PersonsGeneration;
    }
    void Quarantine() {
        mQuarantined = true;
        ++PersonsGeneration;
    }
    // Whether the two circles of radius mSize touch or overlap.
    bool Near(const TPerson& ParaPerson) const {
        return Touching(mPositionX, mPositionY, mSize, ParaPerson.mPositionX, ParaPerson.mPositionY,
                        ParaPerson.mSize);
    }
    // Near's arithmetic on bare values: a person of size ParaSize at (ParaX,
    // ParaY) and another of size ParaOtherSize at (ParaOtherX, ParaOtherY).
    static bool Touching(double ParaX, double ParaY, std::int32_t ParaSize, double ParaOtherX,
                         double ParaOtherY, std::int32_t ParaOtherSize) {
        const double dx = ParaOtherX - ParaX;
        const double dy = ParaOtherY - ParaY;
        const double distance = std::sqrt(dx * dx + dy * dy);
        return distance - ParaOtherSize - ParaSize <= 0;
    }
    // A square while alive, a cross while a body lies unburied, a point for a grave.
    void Draw() const;

private:
    // The counters run on after death and burial; they wrap like the 32-bit
    // integers they are instead of overflowing.
    static std::int32_t Advance(std::int32_t ParaValue, std::int32_t ParaBy) {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(ParaValue) +
                                         static_cast<std::uint32_t>(ParaBy));
    }
};

// The steps of every cycle are here, where the walks over the population can
// inline them. Whether a person turns, is infected or dead varies from one
// person to the next without a pattern, so those steps select rather than
// branch (docs/performance.md, Selects instead of branches).
inline void TPerson::Think() {
    const std::int32_t cycle = Advance(mCycle, 1);
    const bool turning = mStartChangeAngleAfterCycle < cycle && cycle < mStopChangeAngleAfterCycle;
    const double turned = mAngle + mAngleChangeSpeed;
    mAngle = turning ? turned : mAngle;
    mCycle = cycle > mResetCycle ? 0 : cycle;

    const bool infected = mInfected;
    const std::int32_t infection = Advance(mInfectionCycle, infected);
    mInfectionCycle = infection;
    const bool dead = mDead || (infected && infection == mDeadAfterInfectionCycle);
    mDead = dead;
    const std::int32_t sinceDeath = Advance(mDeadCycle, dead);
    mDeadCycle = sinceDeath;
    mBuried = mBuried || (dead && sinceDeath == mBuriedAfterDeadCycle);
}

inline void TPerson::Move() {
    if (mQuarantined || mDead)
        return;
    // Same angle, same sine and cosine: only a changed heading is worked out
    // anew (a NaN angle never matches and is worked out every time).
    if (!(mAngle == mHeadingAngle)) {
        const double r = mAngle * 3.141592653589793 / 180.0;
        // Heading 0 walks down the screen, 90 to the right. Our own sine
        // and cosine, correctly rounded: the same bits on every platform.
        SinCos(r, mHeadingSin, mHeadingCos);
        mHeadingAngle = mAngle;
    }
    mDirectionX = mHeadingSin;
    mDirectionY = mHeadingCos;
    mPositionX = mPositionX + mDirectionX * mSpeed;
    mPositionY = mPositionY + mDirectionY * mSpeed;
}

inline void TPerson::KeepInside(std::int32_t ParaWidth, std::int32_t ParaHeight) {
    const std::int32_t right = Advance(ParaWidth, -1);
    const std::int32_t bottom = Advance(ParaHeight, -1);
    // Four independent tests: on a field 0 wide both x tests fire and x ends at -1.
    if (mPositionX < 0) {
        mPositionX = 0;
        mAngle = mAngle + 180;
    }
    if (mPositionY < 0) {
        mPositionY = 0;
        mAngle = mAngle + 180;
    }
    if (mPositionX > right) {
        mPositionX = right;
        mAngle = mAngle + 180;
    }
    if (mPositionY > bottom) {
        mPositionY = bottom;
        mAngle = mAngle + 180;
    }
}

// Exclusive upper bound of a speed draw, in tenths of a pixel per cycle.
extern std::int32_t SpeedRange;

// The population in creation order; every pass walks it by increasing index.
// Built, emptied and rebuilt by the humanity, which owns the persons.
extern std::vector<std::unique_ptr<TPerson>> Persons;
