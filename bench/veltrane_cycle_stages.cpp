// Where a mid-outbreak cycle spends its time, stage by stage, as the
// universe runs it: the walk that thinks, moves and hands its copy over, the
// disease clock and the build of the contact grid, the spreading itself, and
// the level logic. Medians over many cycles at 1,000 to 100,000 persons, at
// the first level's density and ten times that.
//
// Usage: veltrane_cycle_stages [--one-thread] [CYCLES]   (default 200 a case)
//   --one-thread (native Linux only): every walk in one piece, as in the
//   browser, which has no helper thread.
#include "HelperSwitch.h"
#include "ScaleWorld.h"

#include "simulation/Unit_TField.h"
#include "simulation/Unit_TGame.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using TClock = std::chrono::steady_clock;

double Milliseconds(TClock::time_point ParaFrom, TClock::time_point ParaTo) {
    return std::chrono::duration<double, std::milli>(ParaTo - ParaFrom).count();
}

double Median(std::vector<double> ParaValues) {
    std::sort(ParaValues.begin(), ParaValues.end());
    return ParaValues[ParaValues.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    int cycles = 200;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--one-thread") == 0) {
            if (!CanRefuseThreads()) {
                std::fprintf(stderr, "veltrane_cycle_stages: --one-thread is for native Linux\n");
                return 2;
            }
            RefuseThreads();
        } else {
            cycles = std::max(1, std::atoi(argv[i]));
        }
    }
    std::printf("%8s %8s %8s %8s %8s %8s %8s %6s %6s %7s\n", "persons", "density", "walk", "build",
                "spread", "game", "cycle", "bands", "copies", "threads");
    for (std::int32_t density : {1, 10}) {
        for (std::int32_t population : {1000, 10000, 100000}) {
            SetUpWorld(population, density, true);
            const std::vector<bool> start = InfectedFlags();
            TContactGrid& contacts = Disease->Contacts();
            const std::size_t copiesBefore = contacts.Copies();
            std::array<std::vector<double>, 5> stages;
            for (int cycle = 0; cycle < cycles; ++cycle) {
                // As the scale benchmark does: the outbreak back to where it
                // began every eight cycles, between cycles.
                if (cycle % 8 == 0)
                    RestoreInfected(start);
                const auto begin = TClock::now();
                Humanity->ThinkAndMove(Disease->MaySpreadNext() ? &contacts : nullptr);
                const auto walked = TClock::now();
                Disease->Think();
                contacts.Build(Persons, Field.get());
                const auto built = TClock::now();
                contacts.Spread([](std::size_t ParaOther) { Persons[ParaOther]->Infect(); });
                const auto spread = TClock::now();
                Game->Think();
                const auto end = TClock::now();
                stages[0].push_back(Milliseconds(begin, walked));
                stages[1].push_back(Milliseconds(walked, built));
                stages[2].push_back(Milliseconds(built, spread));
                stages[3].push_back(Milliseconds(spread, end));
                stages[4].push_back(Milliseconds(begin, end));
            }
            std::printf("%8d %7dx %8.3f %8.3f %8.3f %8.3f %8.3f %6zu %6zu %7s\n", population,
                        density, Median(stages[0]), Median(stages[1]), Median(stages[2]),
                        Median(stages[3]), Median(stages[4]), contacts.Bands(),
                        contacts.Copies() - copiesBefore, CycleThreads());
            TearDownWorld();
        }
    }
    return 0;
}
