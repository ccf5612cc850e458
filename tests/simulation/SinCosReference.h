#pragma once

// What the sine and cosine tests, the sweep and the case table share: MPFR's
// correctly rounded values, the arguments the game forms, and the published
// hardest arguments.

#include <mpfr.h>

#include <bit>
#include <cstdint>
#include <vector>

namespace sincos_reference {

// sin X and cos X rounded to nearest by MPFR, subnormals included.
class TMpfr {
public:
    TMpfr() {
        mpfr_set_emin(-1073);
        mpfr_set_emax(1024);
        mpfr_inits2(53, mX, mSine, mCosine, static_cast<mpfr_ptr>(nullptr));
    }
    ~TMpfr() { mpfr_clears(mX, mSine, mCosine, static_cast<mpfr_ptr>(nullptr)); }
    TMpfr(const TMpfr&) = delete;
    TMpfr& operator=(const TMpfr&) = delete;

    void SinCos(double ParaX, double& ParaSine, double& ParaCosine) {
        mpfr_set_d(mX, ParaX, MPFR_RNDN);
        const int t = mpfr_sin_cos(mSine, mCosine, mX, MPFR_RNDN);
        // The ternary value packs both functions' directions.
        const int ts = t & 3 ? ((t & 3) == 2 ? -1 : 1) : 0;
        const int tc = t >> 2 ? ((t >> 2) == 2 ? -1 : 1) : 0;
        mpfr_subnormalize(mSine, ts, MPFR_RNDN);
        mpfr_subnormalize(mCosine, tc, MPFR_RNDN);
        ParaSine = mpfr_get_d(mSine, MPFR_RNDN);
        ParaCosine = mpfr_get_d(mCosine, MPFR_RNDN);
    }

private:
    mpfr_t mX, mSine, mCosine;
};

inline std::uint64_t Bits(double ParaX) {
    return std::bit_cast<std::uint64_t>(ParaX);
}

// The heading in radians, as a person's move forms it from its angle in degrees.
inline double Radians(double ParaDegrees) {
    return ParaDegrees * 3.141592653589793 / 180.0;
}

// Angles as persons form them: a whole start, then a tenth-of-degree turn
// added cycle after cycle in double, and now and then a half turn from a
// bounce, which changes how every later sum rounds. Calls Visit(angle) for
// each angle up to MaxDegrees, for starts 0..359 stepping StartStep and turns
// of 1..9 tenths.
template <typename TVisit>
void ForEachHeading(double ParaMaxDegrees, int ParaStartStep, TVisit&& ParaVisit) {
    std::uint64_t state = 0x9e3779b97f4a7c15u;
    for (int start = 0; start < 360; start += ParaStartStep)
        for (int tenths = 1; tenths <= 9; ++tenths) {
            const double turn = tenths / 10.0;
            double angle = start;
            while (angle <= ParaMaxDegrees) {
                ParaVisit(angle);
                angle += turn;
                // A bounce about once in 300 cycles.
                state = state * 6364136223846793005u + 1442695040888963407u;
                if ((state >> 33) % 300 == 0)
                    angle += 180;
            }
        }
}

// Lefevre and Muller's worst cases for correct rounding in double precision:
// the arguments whose sine, or cosine, lies closest to a midpoint.
inline const std::vector<double>& HardestSineArguments() {
    static const std::vector<double> v = {
        0x1.E0000000001C2p-20, 0x1.598BAE9E632F6p-7, 0x1.9283586503FEp-5,  0x1.D7BDCD778049Fp-5,
        0x1.A202B3FB84788p-4,  0x1.D037CB27EE6DFp-3, 0x1.D5064E6FE82C5p-3, 0x1.FE767739D0F6Dp-2,
        0x1.D98C4C612718Dp-1,  0x1.921FB54442D18p+0, 0x1.6756745770A51p+1,
    };
    return v;
}

inline const std::vector<double>& HardestCosineArguments() {
    static const std::vector<double> v = {
        0x1.8000000000009p-23, 0x1.8000000000024p-22, 0x1.2000000000F30p-18, 0x1.06B505550E6B2p-9,
        0x1.97CCD3D2C438Fp-6,  0x1.549EC0C0C5AFAp-5,  0x1.16E534EE36580p-4,  0x1.EFEEF61D39AC2p-3,
        0x1.FEB1F7920E248p-2,  0x1.7CB7648526F99p-1,  0x1.C65A170474549p-1,  0x1.6B8A6273D7C21p+0,
    };
    return v;
}

// The double closest to a multiple of pi/2 (its cosine is 4.7e-19), after
// Muller: the hardest case for argument reduction.
inline constexpr double kClosestToHalfPiMultiple = 0x1.6ac5b262ca1ffp+849;

// A random double with a uniformly drawn exponent from MinExp to MaxExp
// (unbiased, -1022..1023 for normal numbers; -1023 draws subnormals) and sign.
inline double RandomAcrossBinades(std::uint64_t& ParaState, int ParaMinExp, int ParaMaxExp) {
    const auto next = [&] {
        ParaState += 0x9e3779b97f4a7c15u;
        std::uint64_t z = ParaState;
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
        return z ^ (z >> 31);
    };
    const std::uint64_t r = next();
    const int e =
        ParaMinExp + static_cast<int>(r % static_cast<std::uint64_t>(ParaMaxExp - ParaMinExp + 1));
    const std::uint64_t m = next() >> 12;
    const std::uint64_t sign = (r >> 63) << 63;
    return std::bit_cast<double>(sign | (static_cast<std::uint64_t>(e + 1023) << 52) | m);
}

} // namespace sincos_reference
