// The cost of one whole unpaced cycle, mid-outbreak at the first level's
// density, as the scale benchmark sets it up, with nothing but the standard
// library: it builds natively and for WebAssembly alike, so that
// bench/web-vs-native can run the same cycle both ways and compare.
//
// Each case runs WARMUP cycles, then CYCLES timed ones, putting the outbreak
// back to where it began every eight cycles, between cycles. It prints one
// line a case of key=value words: the median and the 90th percentile in ms,
// and the world's checksum after the last cycle, which must be the same on
// every platform and with or without the helper thread.
//
// Usage: veltrane_cycle_cost [--cycles N] [--warmup N] [--one-thread] [PERSONS...]
//   PERSONS defaults to 1000 10000. --one-thread (native Linux only) keeps
//   the helper thread from starting, as in a browser without threads.
#include "HelperSwitch.h"
#include "ScaleWorld.h"

#include "tests/support/WorldChecksum.h"

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using TClock = std::chrono::steady_clock;

constexpr std::int32_t kDensity = 1;

double Percentile(std::vector<double> ParaValues, int ParaPercent) {
    std::sort(ParaValues.begin(), ParaValues.end());
    return ParaValues[ParaValues.size() * static_cast<std::size_t>(ParaPercent) / 100];
}

void RunCase(std::int32_t ParaPopulation, int ParaWarmUp, int ParaCycles) {
    SetUpWorld(ParaPopulation, kDensity, true);
    const std::vector<bool> start = InfectedFlags();
    std::vector<double> cycles;
    cycles.reserve(static_cast<std::size_t>(ParaCycles));
    for (int cycle = 0; cycle < ParaWarmUp + ParaCycles; ++cycle) {
        if (cycle % 8 == 0)
            RestoreInfected(start);
        const auto begin = TClock::now();
        ProgramSingleLoop();
        const auto end = TClock::now();
        if (cycle >= ParaWarmUp)
            cycles.push_back(std::chrono::duration<double, std::milli>(end - begin).count());
    }
    std::printf("cycle persons=%" PRId32 " density=%" PRId32
                " phase=mid-outbreak threads=%s cycles=%d median_ms=%.4f p90_ms=%.4f"
                " infected_pct=%.1f checksum=%016" PRIx64 "\n",
                ParaPopulation, kDensity, CycleThreads(), ParaCycles, Percentile(cycles, 50),
                Percentile(cycles, 90), 100.0 * Humanity->Infected() / ParaPopulation,
                WorldChecksum());
    std::fflush(stdout);
    TearDownWorld();
}

int Count(const char* ParaText, const char* ParaName) {
    char* end = nullptr;
    const long value = std::strtol(ParaText, &end, 10);
    if (end == ParaText || *end != '\0' || value < 1 || value > 1000000) {
        std::fprintf(stderr, "veltrane_cycle_cost: bad %s '%s'\n", ParaName, ParaText);
        std::exit(2);
    }
    return static_cast<int>(value);
}

} // namespace

int main(int argc, char** argv) {
    int cycles = 2000;
    int warmUp = 200;
    std::vector<std::int32_t> populations;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--cycles") == 0 && i + 1 < argc) {
            cycles = Count(argv[++i], "cycle count");
        } else if (std::strcmp(arg, "--warmup") == 0 && i + 1 < argc) {
            warmUp = Count(argv[++i], "warm-up count");
        } else if (std::strcmp(arg, "--one-thread") == 0) {
            if (!CanRefuseThreads()) {
                std::fprintf(stderr, "veltrane_cycle_cost: --one-thread is for native Linux\n");
                return 2;
            }
            RefuseThreads();
        } else if (arg[0] != '-') {
            populations.push_back(Count(arg, "population"));
        } else {
            std::fprintf(stderr, "usage: veltrane_cycle_cost [--cycles N] [--warmup N] "
                                 "[--one-thread] [PERSONS...]\n");
            return 2;
        }
    }
    if (populations.empty())
        populations = {1000, 10000};
    for (const std::int32_t population : populations)
        RunCase(population, warmUp, cycles);
    return 0;
}
