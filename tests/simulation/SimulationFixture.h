// Shared setup: the simulation lives in process-wide globals, so each test
// starts from a known seed and leaves nothing behind for the next one.
#pragma once

#include "simulation/Unit_Random.h"
#include "simulation/Unit_TDisease.h"
#include "simulation/Unit_TField.h"
#include "simulation/Unit_TGame.h"
#include "simulation/Unit_THumanity.h"
#include "simulation/Unit_TPerson.h"

#include <gtest/gtest.h>

class SimulationTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetRandomState(12345);
        PopulationSize = 100;
        Field = std::make_unique<TField>();
    }

    void TearDown() override {
        Game.reset();
        Disease.reset();
        Humanity.reset();
        Field.reset();
        Persons.clear();
        PopulationSize = 100;
    }

    void SetField(std::int32_t ParaWidth, std::int32_t ParaHeight) {
        Field->SetWidth(ParaWidth);
        Field->SetHeight(ParaHeight);
    }

    // A still person of the given size; timers far away unless a test sets them.
    static TPerson& AddPerson(double ParaX, double ParaY, std::int32_t ParaSize,
                              bool ParaInfected = false) {
        auto person = std::make_unique<TPerson>();
        person->mPositionX = ParaX;
        person->mPositionY = ParaY;
        person->mSize = ParaSize;
        person->mInfected = ParaInfected;
        person->mResetCycle = 1000;
        person->mDeadAfterInfectionCycle = 1000000;
        person->mBuriedAfterDeadCycle = 1000000;
        Persons.push_back(std::move(person));
        return *Persons.back();
    }
};
