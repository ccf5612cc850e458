// Plays the game without a window, paced by the real throttle, clicking at
// random now and then, and reports the cycle rate and how far it got.
// Usage: veltrane_headless [seconds]   (default 10)
#include "shell/Unit_TProgram.h"

#include "simulation/Unit_TDisease.h"
#include "simulation/Unit_TGame.h"
#include "simulation/Unit_THumanity.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace {

constexpr std::int32_t kWidth = 792;
constexpr std::int32_t kHeight = 673;

bool ParseSeconds(const char* ParaText, double& ParaSeconds) {
    char* end = nullptr;
    const double value = std::strtod(ParaText, &end);
    if (end == ParaText || *end != '\0' || !(value > 0) || value > 86400)
        return false;
    ParaSeconds = value;
    return true;
}

} // namespace

int main(int argc, char** argv) {
    double seconds = 10;
    if (argc > 2 || (argc == 2 && !ParseSeconds(argv[1], seconds))) {
        std::fprintf(stderr, "usage: %s [seconds]   (a positive number, default 10)\n", argv[0]);
        return 2;
    }

    std::mt19937 clicks(
        static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    ProgramCreate();
    ProgramResize(kWidth, kHeight);
    ProgramStartup();

    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const auto deadline = start + std::chrono::duration<double>(seconds);
    std::int64_t cycles = 0;
    int level = 1;
    while (Clock::now() < deadline) {
        // Roughly a left click every half second and a right click every second.
        if (clicks() % 30 == 0)
            ProgramQuarantine(static_cast<std::int32_t>(clicks() % kWidth),
                              static_cast<std::int32_t>(clicks() % kHeight));
        if (clicks() % 60 == 0)
            ProgramInfect(static_cast<std::int32_t>(clicks() % kWidth),
                          static_cast<std::int32_t>(clicks() % kHeight));
        const std::int32_t sizeBefore = PopulationSize;
        ProgramSingleLoop();
        ++cycles;
        if (PopulationSize != sizeBefore)
            ++level;
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();

    std::printf("played %.2f s: %lld cycles, %.2f cycles per second\n", elapsed,
                static_cast<long long>(cycles), static_cast<double>(cycles) / elapsed);
    std::printf("level %d, population %d (alive %d, infected %d)%s\n", level, PopulationSize,
                Humanity->Alive(), Humanity->Infected(), Game->mOver ? ", game over" : "");
    ProgramDestroy();
    return 0;
}
