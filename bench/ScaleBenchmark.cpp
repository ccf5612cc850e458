// Whole cycles and the spreading pass alone at populations far beyond the
// first levels, on fields that grow with the population: at the density of
// the first level (100 persons on 792 x 673) and ten times denser, as late
// levels get. Prints the all-pairs against the grid pass side by side at the
// end.
#include "ScaleWorld.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <tuple>
#include <vector>

namespace {

// One whole unpaced cycle: think, move, disease clock, spreading, level logic.
void BM_Cycle(benchmark::State& ParaState) {
    const auto population = static_cast<std::int32_t>(ParaState.range(0));
    const bool outbreak = ParaState.range(2) != 0;
    SetUpWorld(population, static_cast<std::int32_t>(ParaState.range(1)), outbreak);
    const std::vector<bool> start = InfectedFlags();
    std::vector<double> cycles;
    std::int64_t sinceRestore = 0;
    for (auto _ : ParaState) {
        const auto begin = std::chrono::steady_clock::now();
        ProgramSingleLoop();
        cycles.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
        if (outbreak && ++sinceRestore == 8) {
            ParaState.PauseTiming();
            RestoreInfected(start);
            sinceRestore = 0;
            ParaState.ResumeTiming();
        }
    }
    std::sort(cycles.begin(), cycles.end());
    ParaState.counters["median_ms"] = cycles[cycles.size() / 2] * 1e3;
    ParaState.counters["p99_ms"] = cycles[cycles.size() * 99 / 100] * 1e3;
    ParaState.counters["infected%"] = 100.0 * Humanity->Infected() / population;
    TearDownWorld();
}

// Mean seconds per pass of the last run, by population, density and pass.
std::map<std::tuple<std::int64_t, std::int64_t, bool>, double> gPassSeconds;

// The spreading pass alone, all pairs (ParaState.range(2) == 0) or grid.
void BM_Spreading(benchmark::State& ParaState) {
    const auto population = static_cast<std::int32_t>(ParaState.range(0));
    const bool indexed = ParaState.range(2) != 0;
    SetUpWorld(population, static_cast<std::int32_t>(ParaState.range(1)), true);
    Humanity->Move();
    const std::vector<bool> start = InfectedFlags();
    double seconds = 0;
    for (auto _ : ParaState) {
        const auto begin = std::chrono::steady_clock::now();
        if (indexed)
            Disease->Infect();
        else
            Disease->InfectAllPairs();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        ParaState.PauseTiming();
        RestoreInfected(start);
        ParaState.ResumeTiming();
    }
    gPassSeconds[{ParaState.range(0), ParaState.range(1), indexed}] =
        seconds / static_cast<double>(ParaState.iterations());
    TearDownWorld();
}

void PrintRatios() {
    std::printf("\nSpreading pass, mid-outbreak (half infected): all pairs against the grid\n");
    std::printf("%10s %8s %14s %14s %10s\n", "persons", "density", "all pairs ms", "grid ms",
                "ratio");
    for (const auto& [key, allPairs] : gPassSeconds) {
        const auto& [population, density, indexed] = key;
        if (indexed)
            continue;
        const auto grid = gPassSeconds.find({population, density, true});
        if (grid == gPassSeconds.end())
            continue;
        std::printf("%10lld %7lldx %14.3f %14.3f %10.1f\n", static_cast<long long>(population),
                    static_cast<long long>(density), allPairs * 1e3, grid->second * 1e3,
                    allPairs / grid->second);
    }
}

} // namespace

BENCHMARK(BM_Cycle)
    ->ArgsProduct({{1000, 10000, 100000}, {1, 10}, {0, 1}})
    ->ArgNames({"persons", "density", "outbreak"})
    ->Unit(benchmark::kMillisecond);

// All pairs only where it finishes in reasonable time.
BENCHMARK(BM_Spreading)
    ->ArgsProduct({{1000, 10000}, {1, 10}, {0, 1}})
    ->Args({100000, 1, 1})
    ->Args({100000, 10, 1})
    ->ArgNames({"persons", "density", "grid"})
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    PrintRatios();
    return 0;
}
