#include "simulation/Unit_THumanity.h"

#include "simulation/Unit_CpuHints.h"
#include "simulation/Unit_Random.h"
#include "simulation/Unit_TField.h"
#include "simulation/Unit_TPerson.h"

std::int32_t PopulationSize = 100;
std::unique_ptr<THumanity> Humanity;

THumanity::THumanity() {
    CreatePersons();
}

THumanity::~THumanity() {
    DestroyPersons();
}

void THumanity::CreatePersons() {
    ++PersonsGeneration;
    // A negative size builds nobody rather than failing.
    const std::size_t count = PopulationSize > 0 ? static_cast<std::size_t>(PopulationSize) : 0;
    Persons.resize(count);
    // One person after the other, so the random traits come in index order.
    for (std::size_t i = 0; i < count; ++i) {
        Persons[i] = std::make_unique<TPerson>();
        Persons[i]->Initialize();
    }
}

void THumanity::DestroyPersons() {
    ++PersonsGeneration;
    for (auto& person : Persons)
        person.reset();
    Persons.clear();
}

void THumanity::Reset() {
    DestroyPersons();
    CreatePersons();
    ReDistribute();
}

void THumanity::ReDistribute() {
    ++PersonsGeneration;
    for (auto& person : Persons) {
        person->mPositionX = Random(Field->Width());
        person->mPositionY = Random(Field->Height());
    }
}

namespace {

// The walks reach the persons through pointers, which the hardware
// prefetcher cannot follow: ask for both lines a few persons ahead
// (docs/performance.md, Memory layout).
constexpr std::size_t kAhead = 12;

// The list's start and size are the caller's copies, which no store to a
// person can alias.
void FetchAhead(const std::unique_ptr<TPerson>* ParaPersons, std::size_t ParaCount,
                std::size_t ParaIndex) {
    if (ParaIndex + kAhead < ParaCount) {
        const char* slot = reinterpret_cast<const char*>(ParaPersons[ParaIndex + kAhead].get());
        PrefetchForWrite(slot);
        PrefetchForWrite(slot + 64);
    }
}

} // namespace

void THumanity::Think() {
    ++PersonsGeneration;
    for (std::size_t i = 0; i < Persons.size(); ++i) {
        FetchAhead(Persons.data(), Persons.size(), i);
        Persons[i]->Think();
    }
}

void THumanity::Move() {
    ++PersonsGeneration;
    // Each person is moved and held inside before the next one moves.
    const std::int32_t width = Field->Width();
    const std::int32_t height = Field->Height();
    for (std::size_t i = 0; i < Persons.size(); ++i) {
        FetchAhead(Persons.data(), Persons.size(), i);
        TPerson& person = *Persons[i];
        person.Move();
        person.KeepInside(width, height);
    }
}

void THumanity::ThinkAndMove(TContactSnapshot* ParaSnapshot) {
    ++PersonsGeneration;
    const std::int32_t width = Field->Width();
    const std::int32_t height = Field->Height();
    if (ParaSnapshot != nullptr)
        ParaSnapshot->BeginWalk(Persons.size(), *Field);
    // Each person's steps touch that person only, so the parts of the list
    // can take theirs at the same time.
    TPassWorker::Shared().Split(
        Persons.size(), [&](std::size_t ParaPart, std::size_t ParaBegin, std::size_t ParaEnd) {
            // Copies that no store to a person can alias, kept in registers.
            const std::int32_t w = width;
            const std::int32_t h = height;
            const std::unique_ptr<TPerson>* const persons = Persons.data();
            const std::size_t count = Persons.size();
            const auto walk = [&](auto&& ParaHandOver) {
                for (std::size_t i = ParaBegin; i < ParaEnd; ++i) {
                    FetchAhead(persons, count, i);
                    TPerson& person = *persons[i];
                    person.Think();
                    person.Move();
                    person.KeepInside(w, h);
                    ParaHandOver(i, person);
                }
            };
            if (ParaSnapshot == nullptr) {
                walk([](std::size_t, const TPerson&) {});
                return;
            }
            TContactSnapshot::TCollector collector = ParaSnapshot->CollectorOf(ParaPart);
            walk([&](std::size_t ParaIndex, const TPerson& ParaPerson) {
                collector.Add(ParaIndex, ParaPerson);
            });
        });
    if (ParaSnapshot != nullptr)
        ParaSnapshot->EndWalk();
}

void THumanity::Draw() const {
    for (const auto& person : Persons)
        person->Draw();
}

void THumanity::Infect(std::int32_t ParaX, std::int32_t ParaY) {
    for (auto& person : Persons)
        if (person->Select(ParaX, ParaY))
            person->Infect();
}

void THumanity::Quarantine(std::int32_t ParaX, std::int32_t ParaY) {
    for (auto& person : Persons)
        if (person->Select(ParaX, ParaY))
            person->Quarantine();
}

std::int32_t THumanity::Infected() const {
    std::int32_t count = 0;
    for (const auto& person : Persons)
        if (person->mInfected && !person->mDead)
            ++count;
    return count;
}

bool THumanity::AnyInfected() const {
    for (const auto& person : Persons)
        if (person->mInfected && !person->mDead)
            return true;
    return false;
}

bool THumanity::AnyAlive() const {
    for (const auto& person : Persons)
        if (!person->mDead && !person->mInfected)
            return true;
    return false;
}

std::int32_t THumanity::Alive() const {
    std::int32_t count = 0;
    for (const auto& person : Persons)
        if (!person->mDead && !person->mInfected)
            ++count;
    return count;
}
