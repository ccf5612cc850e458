// The heading's sine and cosine: our correctly rounded SinCos against the C
// library's sin and cos (and sincos where the library has one), side by side
// in one run, rounds interleaved so that a noisy machine slows all alike.
// Medians of nanoseconds per argument, and the ratios.
//
// Usage: veltrane_sincos [ROUNDS]   (default 15)
#include "simulation/Unit_SinCos.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using TClock = std::chrono::steady_clock;

double Sink = 0;

// Angles as persons form them: whole starts, turns of tenths added cycle by
// cycle, a bounce's half turn now and then; in radians as a move takes them.
std::vector<double> Headings(std::size_t ParaCount) {
    std::vector<double> v;
    v.reserve(ParaCount);
    std::uint64_t state = 42;
    while (v.size() < ParaCount) {
        state = state * 6364136223846793005u + 1442695040888963407u;
        double angle = static_cast<double>((state >> 33) % 360);
        const double turn = static_cast<double>((state >> 20) % 9 + 1) / 10.0;
        for (int cycle = 0; cycle < 2000 && v.size() < ParaCount; ++cycle) {
            angle += turn;
            state = state * 6364136223846793005u + 1442695040888963407u;
            if ((state >> 33) % 300 == 0)
                angle += 180;
            v.push_back(angle * 3.141592653589793 / 180.0);
        }
    }
    return v;
}

std::vector<double> Random(std::size_t ParaCount, int ParaMinExp, int ParaMaxExp) {
    std::vector<double> v(ParaCount);
    std::uint64_t state = 7;
    for (double& x : v) {
        state = state * 6364136223846793005u + 1442695040888963407u;
        const int e = ParaMinExp + static_cast<int>((state >> 33) % (ParaMaxExp - ParaMinExp + 1));
        state = state * 6364136223846793005u + 1442695040888963407u;
        x = std::bit_cast<double>((static_cast<std::uint64_t>(e + 1023) << 52) | (state >> 12));
    }
    return v;
}

template <typename TFunction>
double NanosecondsPerCall(const std::vector<double>& ParaArgs, TFunction ParaF) {
    double sum = 0;
    const auto begin = TClock::now();
    for (double x : ParaArgs) {
        double s, c;
        ParaF(x, s, c);
        sum += s + c;
    }
    const auto end = TClock::now();
    Sink += sum;
    return std::chrono::duration<double, std::nano>(end - begin).count() /
           static_cast<double>(ParaArgs.size());
}

double Median(std::vector<double> ParaValues) {
    std::sort(ParaValues.begin(), ParaValues.end());
    return ParaValues[ParaValues.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    struct TSet {
        const char* Name;
        std::vector<double> Args;
    };
    const TSet sets[] = {
        {"headings of a game", Headings(1000000)},
        {"random, 2^-27 to 2^12", Random(1000000, -27, 12)},
        {"random, 2^12 to 2^1023", Random(200000, 12, 1023)},
    };
    std::printf("%-24s %9s %9s %9s %8s %8s %8s\n", "arguments", "SinCos", "sin+cos", "sincos",
                "ratio", "ratio", "slow");
    std::printf("%-24s %9s %9s %9s %8s %8s %8s\n", "", "ns", "ns", "ns", "sin+cos", "sincos",
                "path %");
    for (const TSet& set : sets) {
        std::vector<double> ours, libc, libcPair;
        for (int round = 0; round < rounds; ++round) {
            ours.push_back(NanosecondsPerCall(
                set.Args, [](double x, double& s, double& c) { SinCos(x, s, c); }));
            libc.push_back(NanosecondsPerCall(set.Args, [](double x, double& s, double& c) {
                s = std::sin(x);
                c = std::cos(x);
            }));
#if defined(__GLIBC__)
            libcPair.push_back(NanosecondsPerCall(
                set.Args, [](double x, double& s, double& c) { ::sincos(x, &s, &c); }));
#endif
        }
        std::size_t slow = 0;
        for (double x : set.Args)
            slow += SinCosPath(x) == scp_slow;
        const double o = Median(ours), l = Median(libc);
        if (libcPair.empty())
            std::printf("%-24s %9.1f %9.1f %9s %8.2f %8s %8.3f\n", set.Name, o, l, "-", o / l, "-",
                        100.0 * static_cast<double>(slow) / static_cast<double>(set.Args.size()));
        else {
            const double p = Median(libcPair);
            std::printf("%-24s %9.1f %9.1f %9.1f %8.2f %8.2f %8.3f\n", set.Name, o, l, p, o / l,
                        o / p,
                        100.0 * static_cast<double>(slow) / static_cast<double>(set.Args.size()));
        }
    }
    return Sink == 12345.678 ? 1 : 0;
}
