// Runs the real universe cycle with its real throttle on the default field at
// the first level, as the window does minus the drawing, and reports how even
// the pacing is and how much processor time it takes.
// Usage: veltrane_pacing [seconds]   (default 10)
#include "shell/Unit_TProgram.h"

#include "simulation/Unit_THumanity.h"

#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

double ProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

long VoluntarySwitches() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_nvcsw;
}

double Percentile(std::vector<double> ParaValues, double ParaFraction) {
    if (ParaValues.empty())
        return 0;
    std::sort(ParaValues.begin(), ParaValues.end());
    const auto at =
        static_cast<std::size_t>(ParaFraction * static_cast<double>(ParaValues.size() - 1));
    return ParaValues[at];
}

} // namespace

int main(int argc, char** argv) {
    double seconds = 10;
    if (argc == 2) {
        char* end = nullptr;
        seconds = std::strtod(argv[1], &end);
        if (end == argv[1] || *end != '\0' || !(seconds > 0) || seconds > 3600) {
            std::fprintf(stderr, "usage: %s [seconds]   (a positive number, default 10)\n",
                         argv[0]);
            return 2;
        }
    } else if (argc > 2) {
        std::fprintf(stderr, "usage: %s [seconds]\n", argv[0]);
        return 2;
    }

    ProgramCreate();
    ProgramResize(792, 673);
    ProgramStartup();

    using Clock = std::chrono::steady_clock;
    std::vector<Clock::time_point> ends;
    ends.reserve(static_cast<std::size_t>(seconds * 70) + 16);
    const double cpuStart = ProcessCpuSeconds();
    const long switchesStart = VoluntarySwitches();
    const auto start = Clock::now();
    const auto deadline = start + std::chrono::duration<double>(seconds);
    while (Clock::now() < deadline) {
        ProgramSingleLoop();
        ends.push_back(Clock::now());
    }
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    const double cpu = ProcessCpuSeconds() - cpuStart;
    const long switches = VoluntarySwitches() - switchesStart;

    std::vector<double> intervals;
    for (std::size_t k = 1; k < ends.size(); ++k)
        intervals.push_back(std::chrono::duration<double>(ends[k] - ends[k - 1]).count() * 1e3);
    const double cycles = static_cast<double>(ends.size());
    std::printf("pacing over %.2f s, first level on 792 x 673 (%d persons)\n", wall,
                PopulationSize);
    std::printf("  cycles per second      %.2f\n", cycles / wall);
    std::printf("  interval median        %.3f ms\n", Percentile(intervals, 0.5));
    std::printf("  interval 99th pct      %.3f ms\n", Percentile(intervals, 0.99));
    std::printf("  interval max           %.3f ms\n", Percentile(intervals, 1.0));
    std::printf("  cpu per wall second    %.2f %% of one core\n", 100 * cpu / wall);
    std::printf("  cpu per cycle          %.1f us\n", cycles > 0 ? cpu / cycles * 1e6 : 0.0);
    std::printf("  sleeps per cycle       %.2f (voluntary context switches)\n",
                cycles > 0 ? static_cast<double>(switches) / cycles : 0.0);
    ProgramDestroy();
    return 0;
}
