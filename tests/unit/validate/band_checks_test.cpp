#include "validate/band_checks.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace parmix {
namespace {

// Binomial tails written out term by term, the reference for the tests.
double upperTail(int k, int n, double p) {
  double sum = 0.0;
  for (int x = k; x <= n; ++x)
    sum += std::exp(std::lgamma(n + 1.0) - std::lgamma(x + 1.0) - std::lgamma(n - x + 1.0) +
                    x * std::log(p) + (n - x) * std::log1p(-p));
  return sum;
}

TEST(PlaceBandCount, TailsDecideAgainstTheNearestBound) {
  struct Case {
    int bands, scored;
    double low, high;
    BandPlace expected;
  } cases[] = {
      // 38 of 60 against at most 0.4: P(X >= 38) is about 1e-4.
      {38, 60, 0.19, 0.4, BandPlace::kAbove},
      {24, 60, 0.19, 0.4, BandPlace::kInside},
      // No band in 60 against at least 0.3: 0.7^60, about 5e-10.
      {0, 60, 0.3, 0.9, BandPlace::kBelow},
      {60, 60, 0.3, 1.0, BandPlace::kInside},  // a bound of 1 allows every count
      {0, 0, 0.3, 0.4, BandPlace::kInside},    // nothing scored, nothing to say
  };
  for (const Case& c : cases)
    EXPECT_EQ(placeBandCount(c.bands, c.scored, c.low, c.high, 1e-3), c.expected)
        << c.bands << " of " << c.scored;
}

TEST(PlaceBandCount, TheThresholdIsTheBinomialTail) {
  // The smallest k that counts as above at level 1e-3 is the one whose
  // upper tail first drops below it.
  const int n = 60;
  const double high = 0.4;
  int first = n + 1;
  for (int k = n; k >= 0 && upperTail(k, n, high) < 1e-3; --k) first = k;
  EXPECT_EQ(placeBandCount(first, n, 0.1, high, 1e-3), BandPlace::kAbove);
  EXPECT_EQ(placeBandCount(first - 1, n, 0.1, high, 1e-3), BandPlace::kInside);
}

TEST(BandFromAlleleFrequency, HardyWeinbergDominantClass) {
  EXPECT_DOUBLE_EQ(bandFromAlleleFrequency(0.4), 0.64);
  EXPECT_DOUBLE_EQ(bandFromAlleleFrequency(0.0), 0.0);
  EXPECT_DOUBLE_EQ(bandFromAlleleFrequency(1.0), 1.0);
}

}  // namespace
}  // namespace parmix
