// The population: builds the persons of a level, scatters them over the
// field, runs their cycle, forwards clicks and counts them for the game.
// It keeps no state of its own; the persons live in Persons.
#pragma once

#include "simulation/Unit_TContactGrid.h"

#include <cstdint>
#include <memory>

class THumanity {
public:
    // Builds PopulationSize persons, all at (0, 0) until the first ReDistribute.
    THumanity();
    ~THumanity();
    THumanity(const THumanity&) = delete;
    THumanity& operator=(const THumanity&) = delete;

    // Replaces every person with a new, healthy population scattered over the field.
    void Reset();
    // A new random position for every person on the field's current size.
    void ReDistribute();
    void Think();
    void Move();
    // Think and then Move of each person before the next: as Think followed
    // by Move, since a person's steps touch nobody else. Leaves the persons
    // as they end up in ParaSnapshot, when given, for the spreading pass.
    void ThinkAndMove(TContactSnapshot* ParaSnapshot = nullptr);
    // The same, into the snapshot of ParaContacts when given.
    void ThinkAndMove(TContactGrid* ParaContacts) {
        ThinkAndMove(ParaContacts != nullptr ? &ParaContacts->Snapshot() : nullptr);
    }
    // Every person in index order, so a higher index is drawn on top.
    void Draw() const;
    // Click actions: every person whose square contains the point, whatever its state.
    void Infect(std::int32_t ParaX, std::int32_t ParaY);
    void Quarantine(std::int32_t ParaX, std::int32_t ParaY);
    // Living infected persons.
    std::int32_t Infected() const;
    // Living healthy persons, quarantined ones included.
    std::int32_t Alive() const;
    // Whether Infected, respectively Alive, is above 0; they stop at the first.
    bool AnyInfected() const;
    bool AnyAlive() const;

private:
    void CreatePersons();
    void DestroyPersons();
};

// Number of persons the next build creates; grows by a fifth per level.
extern std::int32_t PopulationSize;

extern std::unique_ptr<THumanity> Humanity;
