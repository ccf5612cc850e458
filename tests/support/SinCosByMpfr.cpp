// The heading's sine and cosine from MPFR, each the exact value rounded to
// the nearest double: a test build links this unit instead of the product's,
// and must play the recorded games to the same bits. Nothing of the product's
// unit is used here, so the two are independent.
#include "simulation/Unit_SinCos.h"

#include <mpfr.h>

namespace {

// MPFR numbers with a double's precision and exponent range, so that results
// round as a double's do, subnormals included. One set per thread: the walks
// over the persons run on two.
class TDoubleMath {
public:
    TDoubleMath() { mpfr_inits2(53, mX, mSine, mCosine, static_cast<mpfr_ptr>(nullptr)); }
    ~TDoubleMath() { mpfr_clears(mX, mSine, mCosine, static_cast<mpfr_ptr>(nullptr)); }
    TDoubleMath(const TDoubleMath&) = delete;
    TDoubleMath& operator=(const TDoubleMath&) = delete;

    void SinCos(double ParaX, double& ParaSine, double& ParaCosine) {
        // A double's exponent range, as MPFR counts it (values in [0.5, 1)
        // have exponent 0): the least subnormal is 2^-1074, the greatest
        // finite value just below 2^1024. Per thread, so set on each call.
        const mpfr_exp_t emin = mpfr_get_emin();
        const mpfr_exp_t emax = mpfr_get_emax();
        mpfr_set_emin(-1073);
        mpfr_set_emax(1024);
        mpfr_set_d(mX, ParaX, MPFR_RNDN); // exact: 53 bits hold any double
        int inexact = mpfr_sin(mSine, mX, MPFR_RNDN);
        inexact = mpfr_subnormalize(mSine, inexact, MPFR_RNDN);
        ParaSine = mpfr_get_d(mSine, MPFR_RNDN);
        inexact = mpfr_cos(mCosine, mX, MPFR_RNDN);
        mpfr_subnormalize(mCosine, inexact, MPFR_RNDN);
        ParaCosine = mpfr_get_d(mCosine, MPFR_RNDN);
        mpfr_set_emin(emin);
        mpfr_set_emax(emax);
    }

private:
    mpfr_t mX;
    mpfr_t mSine;
    mpfr_t mCosine;
};

} // namespace

void SinCos(double X, double& Sine, double& Cosine) noexcept {
    thread_local TDoubleMath math;
    math.SinCos(X, Sine, Cosine);
}
