#pragma once

// Sine and cosine of our own, correctly rounded, so that a heading gives the
// same direction to the bit on every platform and with every compiler.

// Sine and cosine of X, each the exact value rounded to the nearest double.
// NaN and infinities give NaN; sin(-0) is -0.
void SinCos(double X, double& Sine, double& Cosine) noexcept;

// The same values, one at a time.
double Sin(double X) noexcept;
double Cos(double X) noexcept;

// How a call was answered; for tests, the sweep and the benchmark.
enum TSinCosPath { scp_trivial, scp_fast, scp_slow };
TSinCosPath SinCosPath(double X) noexcept;

// The fast path's unrounded results for |X| >= 2^-27, finite: sine and cosine
// of |X| as double-doubles, whose error the rounding test assumes is below
// SinCosFastErrorBound() times the high part. For the tests that check it.
void SinCosFast(double X, double (&Sine)[2], double (&Cosine)[2]) noexcept;
double SinCosFastErrorBound() noexcept;

// The slow path alone at one of its precisions (Level 0, 1, 2: 160, 288, 736
// bits) for 2^-27 <= |X| < infinity; false when that precision cannot decide.
bool SinCosSlow(double X, int Level, double& Sine, double& Cosine) noexcept;
