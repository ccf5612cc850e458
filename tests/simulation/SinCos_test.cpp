// Sine and cosine to the bit on every target, without MPFR: a table of MPFR's
// values (the hardest arguments, a game's headings, arguments for the slow
// path, every binade) and the special values.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

#include "simulation/Unit_SinCos.h"

namespace {

struct TCase {
    std::uint64_t X, Sine, Cosine;
};

constexpr TCase kCases[] = {
#include "SinCosCases.inc"
};

std::uint64_t Bits(double ParaX) {
    std::uint64_t bits;
    std::memcpy(&bits, &ParaX, sizeof bits);
    return bits;
}

double FromBits(std::uint64_t ParaB) {
    double x;
    std::memcpy(&x, &ParaB, sizeof x);
    return x;
}

} // namespace

TEST(SinCos, MatchesTheCorrectlyRoundedTableToTheBit) {
    int mismatches = 0;
    for (const TCase& c : kCases) {
        double s, co;
        SinCos(FromBits(c.X), s, co);
        if (Bits(s) != c.Sine || Bits(co) != c.Cosine) {
            if (++mismatches <= 10)
                ADD_FAILURE() << std::hexfloat << "x = " << FromBits(c.X) << ": sin " << s
                              << " (exact " << FromBits(c.Sine) << "), cos " << co << " (exact "
                              << FromBits(c.Cosine) << ")";
        }
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(std::size(kCases), 2000u);
}

// The table is also there to run the slow path on every target.
TEST(SinCos, TableDrivesBothPaths) {
    int fast = 0, slow = 0;
    for (const TCase& c : kCases) {
        const TSinCosPath p = SinCosPath(FromBits(c.X));
        fast += p == scp_fast;
        slow += p == scp_slow;
    }
    EXPECT_GT(fast, 1000);
    EXPECT_GT(slow, 500);
}

TEST(SinCos, SineIsOddCosineIsEven) {
    for (const TCase& c : kCases) {
        const double x = FromBits(c.X);
        double s1, c1, s2, c2;
        SinCos(x, s1, c1);
        SinCos(-x, s2, c2);
        ASSERT_EQ(Bits(s2), Bits(-s1)) << std::hexfloat << x;
        ASSERT_EQ(Bits(c2), Bits(c1)) << std::hexfloat << x;
        ASSERT_EQ(Bits(Sin(x)), Bits(s1));
        ASSERT_EQ(Bits(Cos(x)), Bits(c1));
    }
}

TEST(SinCos, ZerosKeepTheirSign) {
    double s, c;
    SinCos(0.0, s, c);
    EXPECT_EQ(Bits(s), Bits(0.0));
    EXPECT_EQ(c, 1.0);
    SinCos(-0.0, s, c);
    EXPECT_EQ(Bits(s), Bits(-0.0));
    EXPECT_EQ(c, 1.0);
}

TEST(SinCos, InfinitiesAndNaNGiveNaN) {
    const double inf = std::numeric_limits<double>::infinity();
    for (double x : {inf, -inf, std::numeric_limits<double>::quiet_NaN(),
                     -std::numeric_limits<double>::quiet_NaN(), FromBits(0x7ff0000000000001u)}) {
        double s = 0, c = 0;
        SinCos(x, s, c);
        EXPECT_TRUE(std::isnan(s)) << x;
        EXPECT_TRUE(std::isnan(c)) << x;
    }
}

// sin x rounds to x and cos x to 1 for tiny x, subnormals included.
TEST(SinCos, TinyArgumentsAreTheirOwnSine) {
    for (std::uint64_t b : {std::uint64_t{1}, std::uint64_t{2}, std::uint64_t{0x000fffffffffffff},
                            std::uint64_t{0x0010000000000000}, std::uint64_t{0x3c00000000000000},
                            std::uint64_t{0x3e3fffffffffffff}, std::uint64_t{0x3e40000000000000}}) {
        for (double x : {FromBits(b), -FromBits(b)}) {
            double s, c;
            SinCos(x, s, c);
            EXPECT_EQ(Bits(s), Bits(x)) << std::hexfloat << x;
            EXPECT_EQ(c, 1.0) << std::hexfloat << x;
        }
    }
}

// The game's own landmarks: the four compass headings and a few whole degrees,
// with their known values.
TEST(SinCos, CompassHeadingsOfTheGame) {
    const auto radians = [](double ParaDegrees) { return ParaDegrees * 3.141592653589793 / 180.0; };
    double s, c;
    SinCos(radians(90), s, c);
    EXPECT_EQ(s, 1.0);
    EXPECT_EQ(c, 0x1.1a62633145c07p-54); // cos(fl(pi/2)) = pi/2 - fl(pi/2), rounded
    SinCos(radians(180), s, c);
    EXPECT_EQ(s, 0x1.1a62633145c07p-53);
    EXPECT_EQ(c, -1.0);
    SinCos(radians(30), s, c);
    EXPECT_EQ(s, 0x1.fffffffffffffp-2); // fl(pi/6) lies just below pi/6
    SinCos(radians(60), s, c);
    EXPECT_EQ(c, 0x1.0000000000001p-1);
}
