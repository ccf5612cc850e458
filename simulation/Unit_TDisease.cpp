#include "simulation/Unit_TDisease.h"

#include "simulation/Unit_Random.h"
#include "simulation/Unit_TField.h"
#include "simulation/Unit_TPerson.h"

std::unique_ptr<TDisease> Disease;

void TDisease::Initialize() {
    mCycle = 0;
    mPatientZeroExists = false;
    mCycleTillPatientZero = 100 + Random(100);
}

void TDisease::Think() {
    // Counts on for the whole level; wraps rather than overflows.
    mCycle = static_cast<std::int32_t>(static_cast<std::uint32_t>(mCycle) + 1u);
    if (mCycle >= mCycleTillPatientZero && !mPatientZeroExists)
        InfectPatientZero();
}

void TDisease::InfectPatientZero() {
    // Nobody to infect: the outbreak waits until there is a population.
    if (Persons.empty())
        return;
    const std::int32_t k = Random(static_cast<std::int32_t>(Persons.size()));
    TPerson& patientZero = *Persons[static_cast<std::size_t>(k)];
    patientZero.Infect();
    mPatientZeroExists = true;
}

void TDisease::Infect() {
    if (!mPatientZeroExists)
        return;
    const std::size_t n = Persons.size();
    std::size_t first = 0;
    while (first < n && (!Persons[first]->mInfected || Persons[first]->mBuried))
        ++first;
    if (first == n)
        return;

    mContacts.Build(Persons, Field.get());
    mContacts.Spread([](std::size_t ParaOther) { Persons[ParaOther]->Infect(); });
}

void TDisease::InfectAllPairs() {
    if (!mPatientZeroExists)
        return;
    const std::size_t n = Persons.size();
    for (std::size_t i = 0; i < n; ++i) {
        const TPerson& spreader = *Persons[i];
        if (!spreader.mInfected || spreader.mBuried)
            continue;
        for (std::size_t j = 0; j < n; ++j) {
            if (j == i)
                continue;
            TPerson& other = *Persons[j];
            if (!other.mInfected && spreader.Near(other))
                other.Infect();
        }
    }
}
