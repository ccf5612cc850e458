// Sine and cosine against MPFR's correctly rounded values: every result must
// match to the bit.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "SinCosReference.h"
#include "simulation/Unit_SinCos.h"

using namespace sincos_reference;

namespace {

// The sanitizer builds run ten times slower; they check a tenth.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr long kScale = 10;
#else
constexpr long kScale = 1;
#endif

// VELTRANE_SINCOS_COUNT overrides the number of random arguments.
long RandomCount() {
    if (const char* v = std::getenv("VELTRANE_SINCOS_COUNT"))
        return std::atol(v);
    return 1000000 / kScale;
}

std::string Hex(double ParaX) {
    char b[40];
    std::snprintf(b, sizeof b, "%a", ParaX);
    return b;
}

// Checks X against MPFR; counts and reports the first few mismatches.
class TChecker {
public:
    void Check(double ParaX) {
        double s, c, es, ec;
        SinCos(ParaX, s, c);
        mMpfr.SinCos(ParaX, es, ec);
        ++mChecked;
        if (Bits(s) == Bits(es) && Bits(c) == Bits(ec))
            return;
        if (++mMismatches <= 10)
            ADD_FAILURE() << "x = " << Hex(ParaX) << ": sin " << Hex(s) << " (exact " << Hex(es)
                          << "), cos " << Hex(c) << " (exact " << Hex(ec) << ")";
    }
    long Checked() const { return mChecked; }
    long Mismatches() const { return mMismatches; }

private:
    TMpfr mMpfr;
    long mChecked = 0;
    long mMismatches = 0;
};

} // namespace

TEST(SinCosMpfr, RandomArgumentsOverEveryBinadeAndBothSigns) {
    TChecker check;
    std::uint64_t state = 20261209;
    const long n = RandomCount();
    for (long i = 0; i < n; ++i)
        check.Check(RandomAcrossBinades(state, -1023, 1023));
    EXPECT_EQ(check.Mismatches(), 0) << "of " << check.Checked();
}

// Where most of the work is: arguments up to a few thousand radians, the
// range of the reduction by pi/256 that the fast path does in doubles.
TEST(SinCosMpfr, RandomArgumentsBelowTheLargeReduction) {
    TChecker check;
    std::uint64_t state = 77;
    const long n = RandomCount() / 4;
    for (long i = 0; i < n; ++i)
        check.Check(RandomAcrossBinades(state, -28, 16));
    EXPECT_EQ(check.Mismatches(), 0) << "of " << check.Checked();
}

TEST(SinCosMpfr, HeadingsAGameForms) {
    TChecker check;
    // Every start, every turn, to 400 degrees; every seventh start to 3,000.
    ForEachHeading(400, 1, [&](double ParaAngle) { check.Check(Radians(ParaAngle)); });
    ForEachHeading(3000 / kScale, 7, [&](double ParaAngle) { check.Check(Radians(ParaAngle)); });
    // Whole degrees and tenths far out, where a long game's headings go.
    for (int tenths = 0; tenths < 200000 / static_cast<int>(kScale); ++tenths)
        check.Check(Radians(1e5 + tenths / 10.0));
    EXPECT_EQ(check.Mismatches(), 0) << "of " << check.Checked();
    EXPECT_GT(check.Checked(), 200000 / kScale);
}

TEST(SinCosMpfr, HardestToRoundArgumentsAndTheirNeighbours) {
    TChecker check;
    for (const auto* list : {&HardestSineArguments(), &HardestCosineArguments()})
        for (double x : *list)
            for (int step = -64; step <= 64; ++step) {
                const double y = std::bit_cast<double>(Bits(x) + step);
                check.Check(y);
                check.Check(-y);
            }
    EXPECT_EQ(check.Mismatches(), 0) << "of " << check.Checked();
}

// Near the zeros of sine and cosine the result is tiny and every bit of the
// reduction counts.
TEST(SinCosMpfr, ArgumentsNearMultiplesOfHalfPi) {
    TChecker check;
    check.Check(kClosestToHalfPiMultiple);
    check.Check(-kClosestToHalfPiMultiple);
    // fl(k pi/2) and its neighbours, k up to 2^40, computed in long arithmetic
    // as MPFR would round them.
    mpfr_t t, pi;
    mpfr_inits2(300, t, pi, static_cast<mpfr_ptr>(nullptr));
    mpfr_const_pi(pi, MPFR_RNDN);
    for (std::uint64_t k = 1; k < (std::uint64_t{1} << 40); k = k * 3 + 1) {
        mpfr_mul_ui(t, pi, static_cast<unsigned long>(k), MPFR_RNDN);
        mpfr_div_2ui(t, t, 1, MPFR_RNDN);
        const double x = mpfr_get_d(t, MPFR_RNDN);
        for (int step = -8; step <= 8; ++step)
            check.Check(std::bit_cast<double>(Bits(x) + step));
    }
    mpfr_clears(t, pi, static_cast<mpfr_ptr>(nullptr));
    EXPECT_EQ(check.Mismatches(), 0) << "of " << check.Checked();
}

TEST(SinCosMpfr, EdgesOfEachPath) {
    TChecker check;
    // Where the tiny-argument answer ends, where the moderate reduction hands
    // over to the large one, the largest and smallest doubles.
    for (double edge : {0x1p-27, 0x1p-26, 0x1p16, 0x1p17, 0x1p52, 0x1p64, 0x1.fffffffffffffp+1023,
                        0x1p-1022, 0x1p-1074})
        for (int step = -300; step <= 300; ++step) {
            const std::uint64_t b = Bits(edge) + static_cast<std::uint64_t>(step);
            if (b >= Bits(INFINITY))
                continue;
            check.Check(std::bit_cast<double>(b));
            check.Check(-std::bit_cast<double>(b));
        }
    EXPECT_EQ(check.Mismatches(), 0) << "of " << check.Checked();
}

// The rounding test is only as good as the error bound it assumes: measure the
// fast path's real error against MPFR at 200 bits, and keep a margin.
TEST(SinCosMpfr, FastPathStaysWithinItsErrorBound) {
    mpfr_t x, s, c, hi, lo;
    mpfr_inits2(200, x, s, c, hi, lo, static_cast<mpfr_ptr>(nullptr));
    double worst = 0;
    double worstAt = 0;
    const auto measure = [&](double ParaX) {
        double fs[2], fc[2];
        SinCosFast(ParaX, fs, fc);
        mpfr_set_d(x, std::fabs(ParaX), MPFR_RNDN);
        mpfr_sin_cos(s, c, x, MPFR_RNDN);
        for (int f = 0; f < 2; ++f) {
            const double* v = f == 0 ? fs : fc;
            mpfr_set_d(hi, v[0], MPFR_RNDN);
            mpfr_add_d(hi, hi, v[1], MPFR_RNDN);
            mpfr_sub(lo, hi, f == 0 ? s : c, MPFR_RNDN);
            mpfr_div_d(lo, lo, v[0], MPFR_RNDN);
            const double rel = std::fabs(mpfr_get_d(lo, MPFR_RNDN));
            if (rel > worst) {
                worst = rel;
                worstAt = ParaX;
            }
        }
    };
    std::uint64_t state = 5;
    const long n = RandomCount() / 4;
    for (long i = 0; i < n; ++i)
        measure(RandomAcrossBinades(state, -27, 1023));
    for (long i = 0; i < n; ++i)
        measure(RandomAcrossBinades(state, -27, 16));
    ForEachHeading(400, 3, [&](double ParaAngle) { measure(Radians(ParaAngle)); });
    mpfr_clears(x, s, c, hi, lo, static_cast<mpfr_ptr>(nullptr));
    // The analysis gives 2^-67.2; the rounding test assumes 2^-66.
    EXPECT_LT(worst, SinCosFastErrorBound() / 2)
        << "worst relative error " << worst << " at " << Hex(worstAt);
    std::printf("fast path: worst relative error 2^%.2f\n", std::log2(worst));
}

// The slow path must really be taken, and for about the share the bound
// predicts: a few in ten thousand.
TEST(SinCosMpfr, SlowPathIsRareButTaken) {
    std::uint64_t state = 11;
    const long n = RandomCount() / 4;
    long slow = 0;
    for (long i = 0; i < n; ++i)
        slow += SinCosPath(RandomAcrossBinades(state, -27, 1023)) == scp_slow;
    EXPECT_GT(slow, 0);
    EXPECT_LT(slow, n / 1000) << "of " << n;
    std::printf("slow path: %ld of %ld random arguments\n", slow, n);
}

// Each precision of the slow path on its own, on the arguments that matter
// most to it: the hardest ones, those near multiples of pi/2, huge ones.
TEST(SinCosMpfr, EverySlowPathPrecisionIsCorrectWhenItDecides) {
    TMpfr mpfr;
    std::vector<double> args = {kClosestToHalfPiMultiple, 0x1.fffffffffffffp+1023, 0x1p-27};
    for (const auto* list : {&HardestSineArguments(), &HardestCosineArguments()})
        args.insert(args.end(), list->begin(), list->end());
    std::uint64_t state = 99;
    for (int i = 0; i < 300; ++i)
        args.push_back(RandomAcrossBinades(state, -27, 1023));
    for (int level = 0; level < 3; ++level) {
        int undecided = 0;
        for (double x : args) {
            double s, c, es, ec;
            mpfr.SinCos(x, es, ec);
            if (!SinCosSlow(x, level, s, c)) {
                // Only results below 2^-44 may need more than the first precision.
                EXPECT_TRUE(level == 0 && std::fmin(std::fabs(es), std::fabs(ec)) < 0x1p-44)
                    << "level " << level << " x = " << Hex(x);
                ++undecided;
                continue;
            }
            EXPECT_EQ(Bits(s), Bits(es)) << "level " << level << " x = " << Hex(x);
            EXPECT_EQ(Bits(c), Bits(ec)) << "level " << level << " x = " << Hex(x);
        }
        EXPECT_LE(undecided, 2) << "level " << level;
    }
}
