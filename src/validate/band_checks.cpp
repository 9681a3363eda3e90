#include "validate/band_checks.hpp"

#include <gsl/gsl_cdf.h>

namespace parmix {

BandPlace placeBandCount(int bands, int scored, double low, double high, double alpha) {
  if (scored <= 0) return BandPlace::kInside;
  const unsigned n = static_cast<unsigned>(scored);
  const unsigned k = static_cast<unsigned>(bands);
  // P(X >= k | high) and P(X <= k | low); the bounds 0 and 1 make one tail
  // certain, never small.
  if (k > 0 && high < 1.0 && gsl_cdf_binomial_Q(k - 1, high, n) < alpha) return BandPlace::kAbove;
  if (low > 0.0 && gsl_cdf_binomial_P(k, low, n) < alpha) return BandPlace::kBelow;
  return BandPlace::kInside;
}

double bandFromAlleleFrequency(double v) { return 1.0 - (1.0 - v) * (1.0 - v); }

}  // namespace parmix
