// Cost of one unpaced cycle as the population grows level by level; the
// spreading pass is all-pairs, so a large outbreak dominates.
#include "shell/Unit_TProgram.h"

#include "simulation/Unit_Random.h"
#include "simulation/Unit_THumanity.h"
#include "simulation/Unit_TPerson.h"
#include "simulation/Unit_TUniverseThreadLess.h"

#include <benchmark/benchmark.h>

namespace {

void SetUpGame(std::int32_t ParaPopulation, bool ParaOutbreak) {
    SetRandomState(1);
    PopulationSize = ParaPopulation;
    ProgramCreate();
    ProgramResize(792, 673);
    ProgramStartup();
    Universe->CycleThrottleForTesting().SetEnabled(false);
    if (ParaOutbreak) {
        // Half infected, with deaths far away: the outbreak never ends here.
        for (std::size_t i = 0; i < Persons.size(); i += 2) {
            Persons[i]->Infect();
            Persons[i]->mDeadAfterInfectionCycle = 1 << 30;
        }
    }
}

void TearDownGame() {
    ProgramDestroy();
    PopulationSize = 100;
}

void BM_Cycle(benchmark::State& ParaState) {
    SetUpGame(static_cast<std::int32_t>(ParaState.range(0)), ParaState.range(1) != 0);
    for (auto _ : ParaState)
        ProgramSingleLoop();
    ParaState.SetItemsProcessed(ParaState.iterations());
    TearDownGame();
}

} // namespace

BENCHMARK(BM_Cycle)
    ->ArgsProduct({{100, 300, 895, 2000}, {0, 1}})
    ->ArgNames({"persons", "outbreak"});

BENCHMARK_MAIN();
