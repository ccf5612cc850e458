#include "simulation/Unit_SinCos.h"

#include <bit>
#include <cfloat>
#include <cstdint>
#include <cstring>

#include "simulation/Unit_SinCos_Tables.h"

// Every result below depends on each double operation being rounded once, to
// nearest, in double: no x87 extended precision, no fused multiply-add, no
// reassociation. The build compiles this file with -ffp-contract=off; clang
// also honours the pragma.
#if defined(FLT_EVAL_METHOD) && FLT_EVAL_METHOD != 0 && FLT_EVAL_METHOD != -1
#error "Unit_SinCos needs double arithmetic evaluated in double"
#endif
#if defined(__clang__)
#pragma STDC FP_CONTRACT OFF
#endif

// How it works
//
// Fast path. With k the nearest integer to |x| 128/pi, j = k mod 256 and
// r = |x| - k pi/128 (|r| <= pi/256 + 2^-40), sin x and cos x are
//   sin(a + r) = A + B (r + s) + A c   with A = sin a, B = cos a,
//   cos(a + r) = A + B (r + s) + A c   with A = cos a, B = -sin a,
// for a = j pi/128, c = cos r - 1 and s = sin r - r by their Taylor series.
// A and B come from a table of double-doubles (error 2^-107). The big terms
// A, B rh and A (-rh^2/2) are added exactly (Dekker's product with Veltkamp's
// split, Knuth's two-sum); everything else is summed in one double.
//
// Reduction. Below 2^17, r = ((|x| - k P1) - k P2) - k P3 - k P4 with
// pi/128 = P1 + P2 + P3 + P4 + d, |d| < 2^-171: k < 2^23, so k P1, k P2 and
// k P3 (stored as 26 + 27 bits) are exact products, |x| - k P1 is exact
// (Sterbenz), the other subtractions are two-sums; the error is the rounding
// of the small sum, under 2^-104 |r|, plus k d < 2^-148. Above 2^17, the
// fraction of |x|/(2 pi) is taken in fixed point from enough words of
// 1/(2 pi) (Payne and Hanek; 192 bits, error < 2^-190), and r becomes a
// double-double with relative error under 2^-103.
//
// Error of the fast path, with rho = pi/256 (1 + 2^-20) and q = rh^2 <= rho^2:
//   s evaluated in double (rh q times a degree-3 polynomial in q):
//     at most 6 roundings of 2^-53 on |s| <= rho^3/6        2^-72.0
//   B s rounded, and added to the small sum                  2 x 2^-74.6
//   A c4 (c without its first term; |c4| <= 2^-30)           2^-80.7
//   Taylor truncation of c and s                             2^-85
//   the table, the rest of the small sum, the reduction     < 2^-100
// so the absolute error is below 1.34 x 2^-72 = 2^-71.58. For j != 0 and
// j != 128 (sine) or j != 64, 192 (cosine) the result is at least
// sin(pi/256 - 2^-40) > 2^-6.35, a relative error below 2^-65.2. Otherwise
// the result is B (r + s) + A c with A = 0 and |B| = 1: about |r|, and every
// error above scales with r^3, so the relative error is below 2^-53 r^2 x 1.34
// <= 2^-65.2 again. Rounding test: with err = 2^-64 |hi| + 2^-128 (margin over
// 2^-65.2 for the rounding of err itself, the 2^-128 for results that are tiny
// after reduction; no double has a sine or cosine below 2^-62 other than for
// |x| < 2^-27, handled apart), hi is the correctly rounded value when hi + lo
// +- err both round to hi. That fails for about one argument in 2,000.
//
// Slow path: the same reduction in fixed point to 288 bits, quadrant by
// quadrant (|y| <= pi/4), then the Taylor series of sin y and cos y together in
// fixed point, every step truncated: the reduced argument is off by under 8
// units of the last place, each term by under 2, so with 60 terms the result
// is within 256 units, 2^-280. The known hardest doubles for sine and cosine
// need about 2^-120 relative; the rounding test is done again anyway, and at
// 736 bits if 288 cannot decide. Sine and cosine of a double other than 0 are
// transcendental (Lindemann), so they never fall on a midpoint.

namespace {

using std::uint32_t;
using std::uint64_t;
using namespace sincos_tables;

constexpr uint64_t kAbsMask = 0x7fffffffffffffffu;
constexpr uint64_t kInfBits = 0x7ff0000000000000u;
constexpr uint64_t kTinyBits = 0x3e40000000000000u; // 2^-27
constexpr double kRelErr = 0x1p-64;
constexpr double kAbsErr = 0x1p-128;

// The bits of a double and back; memcpy, as not every standard library
// has bit_cast yet.
uint64_t BitsOf(double ParaX) {
    uint64_t bits;
    std::memcpy(&bits, &ParaX, sizeof bits);
    return bits;
}

double DoubleOf(uint64_t ParaBits) {
    double x;
    std::memcpy(&x, &ParaBits, sizeof x);
    return x;
}

double Pow2(int ParaE) {
    return DoubleOf(static_cast<uint64_t>(ParaE + 1023) << 52);
}

// S + E = A + B exactly.
inline void TwoSum(double ParaA, double ParaB, double& ParaS, double& ParaE) {
    ParaS = ParaA + ParaB;
    const double b = ParaS - ParaA;
    ParaE = (ParaA - (ParaS - b)) + (ParaB - b);
}

// H + L = A, each half with at most 26 significant bits.
inline void Split(double ParaA, double& ParaH, double& ParaL) {
    const double c = 134217729.0 * ParaA; // 2^27 + 1
    ParaH = c - (c - ParaA);
    ParaL = ParaA - ParaH;
}

// P + E = A B exactly, given the halves of A and B.
inline void TwoProd(double ParaA, double ParaAh, double ParaAl, double ParaB, double ParaBh,
                    double ParaBl, double& ParaP, double& ParaE) {
    ParaP = ParaA * ParaB;
    ParaE = ((ParaAh * ParaBh - ParaP) + ParaAh * ParaBl + ParaAl * ParaBh) + ParaAl * ParaBl;
}

// ---- reduction ----------------------------------------------------------

// k and r = Ax - k pi/128 for 2^-27 <= Ax < 2^17.
inline int ReduceModerate(double ParaAx, double& ParaRh, double& ParaRl) {
    const double k = (ParaAx * kInvPi128 + 0x1.8p52) - 0x1.8p52;
    const double t = ParaAx - k * kP1;
    double a, e1, b, e2;
    TwoSum(t, -(k * kP2), a, e1);
    TwoSum(a, -(k * kP3Hi), b, e2);
    const double rest = ((e1 + e2) - k * kP3Lo) - k * kP4;
    TwoSum(b, rest, ParaRh, ParaRl);
    return static_cast<int>(k);
}

// 64 bits of the big-endian bit string W (bit 0 is the top bit of W[0]) from
// position Pos on; bits past the end read as 0.
template <int N> uint64_t Bits64(const uint32_t (&ParaW)[N], int ParaPos) {
    const int w = ParaPos / 32;
    const int s = ParaPos % 32;
    const auto at = [&](int ParaI) -> uint64_t { return ParaI < N ? ParaW[ParaI] : 0; };
    const uint64_t hi = (at(w) << 32) | at(w + 1);
    return s == 0 ? hi : (hi << s) | (at(w + 2) >> (32 - s));
}

// The fraction of Ax / (2 pi), truncated to N words (big-endian, word 0 holding
// the bits of weight 2^-1 to 2^-32); the error is below 2^-32N (1 + 2^-11).
// Ax = m 2^e; the words of 1/(2 pi) whose products with m are whole numbers of
// turns are skipped, and the next N + 3 words leave a truncation below
// m 2^(e - 32(a + N + 3)) < 2^(53 - 32 N - 64).
template <int N> void Turns(double ParaAx, uint32_t (&ParaF)[N]) {
    constexpr int L = N + 3;
    static_assert(30 + L <= kInvTwoPiWords, "the table of 1/(2 pi) is too short");
    const uint64_t bits = BitsOf(ParaAx);
    const int e = static_cast<int>(bits >> 52) - 1075;
    const uint64_t m = (bits & 0x000fffffffffffffu) | 0x0010000000000000u;
    const int a = e > 0 ? e / 32 : 0;
    const uint64_t m0 = m & 0xffffffffu;
    const uint64_t m1 = m >> 32;
    // P = m times words a .. a + L - 1, little-endian.
    uint32_t p[L + 2] = {};
    for (int t = 0; t < L; ++t) {
        const uint64_t w = kInvTwoPi[a + L - 1 - t];
        uint64_t cur = w * m0 + p[t];
        p[t] = static_cast<uint32_t>(cur);
        cur = w * m1 + p[t + 1] + (cur >> 32);
        p[t + 1] = static_cast<uint32_t>(cur);
        p[t + 2] = static_cast<uint32_t>(cur >> 32);
    }
    // P carries sh fraction bits; sh >= 32 N + 65, so every word below is inside.
    const int sh = 32 * (a + L) - e;
    for (int k = 0; k < N; ++k) {
        const int lo = sh - 32 * (k + 1);
        const int w = lo / 32;
        const int s = lo % 32;
        const uint64_t low = w < L + 2 ? p[w] : 0;
        const uint64_t high = w + 1 < L + 2 ? p[w + 1] : 0;
        ParaF[k] = static_cast<uint32_t>(((high << 32) | low) >> s);
    }
}

// j and r for Ax >= 2^17: the nearest 1/256 of a turn, and the rest in radians.
int ReduceLarge(double ParaAx, double& ParaRh, double& ParaRl) {
    uint32_t f[6];
    Turns(ParaAx, f);
    // Adding half a step turns truncation into rounding: j is then the top 8
    // bits, and D = U - 1/2 with U the bits after them.
    f[0] += 0x00800000u;
    const int j = static_cast<int>(f[0] >> 24);
    f[0] &= 0x00ffffffu;
    const bool negative = f[0] < 0x00800000u;
    if (negative) {
        // |D| = 1/2 - U, in two's complement over all six words.
        uint64_t borrow = 0;
        for (int i = 5; i >= 0; --i) {
            const uint64_t half = i == 0 ? 0x00800000u : 0u;
            const uint64_t d = half - f[i] - borrow;
            f[i] = static_cast<uint32_t>(d);
            borrow = (d >> 32) & 1;
        }
    } else {
        f[0] -= 0x00800000u;
    }
    // |D|/256 turns to a double-double, truncating after 106 bits.
    int pos = 0;
    while (pos < 192 && f[pos / 32] == 0)
        pos += 32;
    if (pos == 192) {
        ParaRh = ParaRl = 0.0;
        return j;
    }
    pos += std::countl_zero(f[pos / 32]);
    const double vh = static_cast<double>(Bits64(f, pos) >> 11) * Pow2(-pos - 53 + 8);
    const double vl = static_cast<double>(Bits64(f, pos + 53) >> 11) * Pow2(-pos - 106 + 8);
    // r = |D| pi/128, with D a number of 1/256 turns.
    double vhh, vhl, ph, pl, p, e;
    Split(vh, vhh, vhl);
    Split(kPi128Hi, ph, pl);
    TwoProd(vh, vhh, vhl, kPi128Hi, ph, pl, p, e);
    TwoSum(p, (e + vh * kPi128Lo) + vl * kPi128Hi, ParaRh, ParaRl);
    if (negative) {
        ParaRh = -ParaRh;
        ParaRl = -ParaRl;
    }
    return j;
}

// ---- fast evaluation ----------------------------------------------------

// What sine and cosine share of r.
struct TTerms {
    double Rh, Rl, Rhh, Rhl; // r and rh's halves
    double Hq, Hqh, Hql;     // -rh^2/2 rounded, and its halves
    double Small;            // -(rh^2 + 2 rh rl)/2 - Hq
    double C4;               // c + r^2/2
    double S;                // s
};

inline TTerms Terms(double ParaRh, double ParaRl) {
    TTerms t;
    t.Rh = ParaRh;
    t.Rl = ParaRl;
    Split(ParaRh, t.Rhh, t.Rhl);
    const double q = ParaRh * ParaRh;
    const double qe = ((t.Rhh * t.Rhh - q) + 2.0 * t.Rhh * t.Rhl) + t.Rhl * t.Rhl;
    t.Hq = -0.5 * q;
    Split(t.Hq, t.Hqh, t.Hql);
    t.Small = -0.5 * qe - ParaRh * ParaRl;
    t.C4 = q * q * (1.0 / 24 - q * (1.0 / 720 - q * (1.0 / 40320)));
    t.S = ParaRh * q * (-1.0 / 6 + q * (1.0 / 120 + q * (-1.0 / 5040 + q * (1.0 / 362880)))) -
          0.5 * q * ParaRl;
    return t;
}

// Hi + Lo = A + B (r + s) + A c, see above; the small sum goes from the
// smallest terms to the largest.
inline void Evaluate(const TSinCosEntry& ParaA, double ParaBh, double ParaBl, double ParaBhh,
                     double ParaBhl, const TTerms& ParaT, double& ParaHi, double& ParaLo) {
    double p1, p1e, p2, p2e, u, ue, v, ve;
    TwoProd(ParaBh, ParaBhh, ParaBhl, ParaT.Rh, ParaT.Rhh, ParaT.Rhl, p1, p1e);
    TwoProd(ParaA.Hi, ParaA.HiHi, ParaA.HiLo, ParaT.Hq, ParaT.Hqh, ParaT.Hql, p2, p2e);
    TwoSum(ParaA.Hi, p1, u, ue);
    TwoSum(u, p2, v, ve);
    double t = ParaBl * ParaT.Rh + ParaBh * ParaT.Rl + ParaA.Hi * ParaT.Small +
               ParaA.Lo * ParaT.Hq + ParaA.Lo;
    t = (((t + p2e) + p1e) + ve) + ue;
    t += ParaA.Hi * ParaT.C4;
    t += ParaBl * ParaT.S;
    t += ParaBh * ParaT.S;
    TwoSum(v, t, ParaHi, ParaLo);
}

// Whether Hi is the nearest double to every number within Err of Hi + Lo.
inline bool RoundsTo(double ParaHi, double ParaLo) {
    const double err = kRelErr * (ParaHi < 0 ? -ParaHi : ParaHi) + kAbsErr;
    return ParaHi + (ParaLo + err) == ParaHi && ParaHi + (ParaLo - err) == ParaHi;
}

// ---- slow path ----------------------------------------------------------

// Unsigned fixed point: W[0] the integer part, then 32 fraction bits a word.
template <int N> struct TFixed { uint32_t W[N]; };

template <int N> TFixed<N> Add(const TFixed<N>& ParaA, const TFixed<N>& ParaB) {
    TFixed<N> r;
    uint64_t carry = 0;
    for (int i = N - 1; i >= 0; --i) {
        const uint64_t s = uint64_t{ParaA.W[i]} + ParaB.W[i] + carry;
        r.W[i] = static_cast<uint32_t>(s);
        carry = s >> 32;
    }
    return r;
}

// A - B for A >= B.
template <int N> TFixed<N> Sub(const TFixed<N>& ParaA, const TFixed<N>& ParaB) {
    TFixed<N> r;
    uint64_t borrow = 0;
    for (int i = N - 1; i >= 0; --i) {
        const uint64_t d = uint64_t{ParaA.W[i]} - ParaB.W[i] - borrow;
        r.W[i] = static_cast<uint32_t>(d);
        borrow = (d >> 32) & 1;
    }
    return r;
}

template <int N> bool Less(const TFixed<N>& ParaA, const TFixed<N>& ParaB) {
    for (int i = 0; i < N; ++i)
        if (ParaA.W[i] != ParaB.W[i])
            return ParaA.W[i] < ParaB.W[i];
    return false;
}

// A B truncated; both below 2^16.
template <int N> TFixed<N> Mul(const TFixed<N>& ParaA, const TFixed<N>& ParaB) {
    uint32_t p[2 * N] = {}; // little-endian: p[i] has weight 2^(32 (i - 2N + 2))
    for (int i = 0; i < N; ++i) {
        const uint64_t a = ParaA.W[N - 1 - i];
        uint64_t carry = 0;
        for (int k = 0; k < N; ++k) {
            const uint64_t cur = a * ParaB.W[N - 1 - k] + p[i + k] + carry;
            p[i + k] = static_cast<uint32_t>(cur);
            carry = cur >> 32;
        }
        p[i + N] = static_cast<uint32_t>(carry);
    }
    TFixed<N> r;
    for (int i = 0; i < N; ++i)
        r.W[i] = p[2 * N - 2 - i];
    return r;
}

template <int N> TFixed<N> DivSmall(const TFixed<N>& ParaA, uint32_t ParaD) {
    TFixed<N> r;
    uint64_t rem = 0;
    for (int i = 0; i < N; ++i) {
        const uint64_t cur = (rem << 32) | ParaA.W[i];
        r.W[i] = static_cast<uint32_t>(cur / ParaD);
        rem = cur % ParaD;
    }
    return r;
}

template <int N> bool IsZero(const TFixed<N>& ParaA) {
    for (int i = 0; i < N; ++i)
        if (ParaA.W[i] != 0)
            return false;
    return true;
}

// The nearest double to every value within ErrUnits units of the last place of
// V, when there is one.
template <int N> bool RoundFixed(const TFixed<N>& ParaV, uint32_t ParaErrUnits, double& ParaOut) {
    int pos = 0;
    while (pos < 32 * N && ParaV.W[pos / 32] == 0)
        pos += 32;
    if (pos == 32 * N)
        return false;
    pos += std::countl_zero(ParaV.W[pos / 32]);
    const int cut = pos + 53; // first bit below the 53 kept
    if (cut + 64 > 32 * N)
        return false;
    uint64_t mantissa = Bits64(ParaV.W, pos) >> 11;
    // The rest below the kept bits, against half a unit of the kept ones.
    TFixed<N> rest = ParaV;
    for (int i = 0; i < N; ++i) {
        if (32 * (i + 1) <= cut)
            rest.W[i] = 0;
        else if (32 * i < cut)
            rest.W[i] &= 0xffffffffu >> (cut - 32 * i);
    }
    TFixed<N> half{};
    half.W[cut / 32] = 0x80000000u >> (cut % 32);
    TFixed<N> err{};
    err.W[N - 1] = ParaErrUnits;
    if (Less(rest, Add(half, err)) && Less(Sub(half, err), rest))
        return false;
    if (Less(half, rest))
        ++mantissa;
    ParaOut = static_cast<double>(mantissa) * Pow2(31 - pos - 52);
    return true;
}

// Sine and cosine of Ax >= 2^-27 with N - 1 fraction words; false when the
// result is too close to a midpoint to tell.
template <int N> bool SlowSinCos(double ParaAx, double& ParaSine, double& ParaCosine) {
    static_assert(N <= kTwoPiWords, "the table of 2 pi is too short");
    uint32_t f[N - 1];
    Turns(ParaAx, f);
    // Nearest quarter turn q, and D = the rest in [-1/8, 1/8] turn.
    f[0] += 0x20000000u;
    const int q = static_cast<int>(f[0] >> 30);
    f[0] &= 0x3fffffffu;
    TFixed<N> d{};
    for (int i = 1; i < N; ++i)
        d.W[i] = f[i - 1];
    TFixed<N> eighth{};
    eighth.W[1] = 0x20000000u;
    const bool negative = Less(d, eighth);
    d = negative ? Sub(eighth, d) : Sub(d, eighth);
    TFixed<N> twoPi;
    for (int i = 0; i < N; ++i)
        twoPi.W[i] = kTwoPi[i];
    const TFixed<N> y = Mul(d, twoPi); // |y| <= pi/4

    // Both series from one sequence of terms y^n / n!.
    TFixed<N> s = y;
    TFixed<N> c{};
    c.W[0] = 1;
    TFixed<N> term = y;
    for (uint32_t n = 2; !IsZero(term); ++n) {
        term = DivSmall(Mul(term, y), n);
        switch (n % 4) {
        case 0:
            c = Add(c, term);
            break;
        case 1:
            s = Add(s, term);
            break;
        case 2:
            c = Sub(c, term);
            break;
        default:
            s = Sub(s, term);
            break;
        }
    }
    double sy, cy;
    if (!RoundFixed(s, 256, sy) || !RoundFixed(c, 256, cy))
        return false;
    if (negative)
        sy = -sy;
    // x = q pi/2 + y.
    switch (q) {
    case 0:
        ParaSine = sy, ParaCosine = cy;
        break;
    case 1:
        ParaSine = cy, ParaCosine = -sy;
        break;
    case 2:
        ParaSine = -sy, ParaCosine = -cy;
        break;
    default:
        ParaSine = -cy, ParaCosine = sy;
        break;
    }
    return true;
}

void Slow(double ParaAx, double& ParaSine, double& ParaCosine) {
    if (!SlowSinCos<10>(ParaAx, ParaSine, ParaCosine))
        SlowSinCos<24>(ParaAx, ParaSine, ParaCosine);
}

// The fast path's double-doubles for |X|, 2^-27 <= |X| < infinity.
void Fast(double ParaAx, double& ParaSh, double& ParaSl, double& ParaCh, double& ParaCl) {
    double rh, rl;
    const int j =
        ParaAx < 0x1p17 ? ReduceModerate(ParaAx, rh, rl) & 255 : ReduceLarge(ParaAx, rh, rl);
    const TTerms t = Terms(rh, rl);
    const TSinCosEntry& sa = kSinTable[j];
    const TSinCosEntry& ca = kSinTable[(j + 64) & 255];
    Evaluate(sa, ca.Hi, ca.Lo, ca.HiHi, ca.HiLo, t, ParaSh, ParaSl);
    Evaluate(ca, -sa.Hi, -sa.Lo, -sa.HiHi, -sa.HiLo, t, ParaCh, ParaCl);
}

TSinCosPath Compute(double ParaX, double& ParaSine, double& ParaCosine) {
    const uint64_t bits = BitsOf(ParaX);
    const uint64_t abits = bits & kAbsMask;
    if (abits >= kInfBits) {
        // NaN stays NaN, infinity - infinity is NaN and raises invalid.
        ParaSine = ParaCosine = ParaX - ParaX;
        return scp_trivial;
    }
    if (abits < kTinyBits) {
        // |sin x - x| < |x|^3/6 and 1 - cos x < x^2/2 stay below half a unit.
        ParaSine = ParaX;
        ParaCosine = 1.0;
        return scp_trivial;
    }
    const double ax = DoubleOf(abits);
    double sh, sl, ch, cl;
    Fast(ax, sh, sl, ch, cl);
    TSinCosPath path = scp_fast;
    if (!RoundsTo(sh, sl) || !RoundsTo(ch, cl)) {
        Slow(ax, sh, ch);
        path = scp_slow;
    }
    ParaSine = bits >> 63 ? -sh : sh;
    ParaCosine = ch;
    return path;
}

} // namespace

void SinCos(double X, double& Sine, double& Cosine) noexcept {
    Compute(X, Sine, Cosine);
}

double Sin(double X) noexcept {
    double s, c;
    Compute(X, s, c);
    return s;
}

double Cos(double X) noexcept {
    double s, c;
    Compute(X, s, c);
    return c;
}

TSinCosPath SinCosPath(double X) noexcept {
    double s, c;
    return Compute(X, s, c);
}

void SinCosFast(double X, double (&Sine)[2], double (&Cosine)[2]) noexcept {
    Fast(X < 0 ? -X : X, Sine[0], Sine[1], Cosine[0], Cosine[1]);
}

double SinCosFastErrorBound() noexcept {
    return kRelErr;
}
