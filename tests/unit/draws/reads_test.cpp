#include "draws/reads.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace parmix::sim {
namespace {

// The series adds some x e rounding errors of relative size 2^-53 each.
TEST(Reads, SeriesExponentialMatchesTheLibrary) {
  for (double x : {0.0, 0.5, 3.0, 10.0, 30.0, 100.0})
    EXPECT_NEAR(std::exp(-x), exactExpMinus(x), (1 + 3 * x) * 1.2e-16 * std::exp(-x)) << x;
}

// Mean and variance of many draws, each within 5 standard errors of the
// Poisson's: the variance of the sample mean is D/n, that of the sample
// variance about (D + 2 D^2)/n.
TEST(Reads, PoissonDepthHasItsMeanAndVariance) {
  Random random(11);
  const int n = 200000;
  for (double depth : {0.7, 3.0, 25.0}) {
    double sum = 0.0, squares = 0.0;
    for (int i = 0; i < n; ++i) {
      const double k = drawPoisson(random, depth);
      sum += k;
      squares += k * k;
    }
    const double mean = sum / n;
    const double variance = squares / n - mean * mean;
    EXPECT_NEAR(depth, mean, 5 * std::sqrt(depth / n)) << depth;
    EXPECT_NEAR(depth, variance, 5 * std::sqrt((depth + 2 * depth * depth) / n)) << depth;
  }
}

// The share of reads showing each allele, by genotype: a homozygote shows
// the other allele with chance e/3 and a third base with 2e/3; a
// heterozygote shows each allele with (1 - e)/2 + e/6.
TEST(Reads, ReadsShowTheGenotypeWithTheErrorRate) {
  Random random(5);
  const double error = 0.05;
  const int n = 100000;
  struct Case {
    int altCopies;
    double altShare, otherShare;
  };
  const Case cases[] = {{0, error / 3, 2 * error / 3},
                        {1, (1 - error) / 2 + error / 6, 2 * error / 3},
                        {2, 1 - error, 2 * error / 3}};
  for (const Case& c : cases) {
    double alt = 0, other = 0, total = 0;
    for (int i = 0; i < n; ++i) {
      const ReadCounts reads = drawReads(random, c.altCopies, 2.0, error);
      alt += reads.alt;
      other += reads.other;
      total += reads.ref + reads.alt + reads.other;
    }
    const double se = [&](double p) { return std::sqrt(p * (1 - p) / total); }(c.altShare);
    EXPECT_NEAR(c.altShare, alt / total, 5 * se) << c.altCopies;
    EXPECT_NEAR(c.otherShare, other / total,
                5 * std::sqrt(c.otherShare * (1 - c.otherShare) / total));
  }
}

// PL by hand: -10 log10 of the likelihood ratios to the best genotype.
TEST(Reads, PhredLikelihoodsAsCallersWriteThem) {
  const double e = 0.01;
  const double right = std::log10(1 - e), wrong = std::log10(e / 3);
  const double half = std::log10((1 - e) / 2 + e / 6);
  struct Case {
    int ref, alt;
  };
  for (const Case c : {Case{0, 0}, Case{3, 0}, Case{1, 1}, Case{0, 2}, Case{2, 1}, Case{40, 0}}) {
    const double l[3] = {c.ref * right + c.alt * wrong, (c.ref + c.alt) * half,
                         c.ref * wrong + c.alt * right};
    const double best = std::fmax(l[0], std::fmax(l[1], l[2]));
    const std::array<int, 3> pl = phredLikelihoods({c.ref, c.alt, 0}, e);
    for (int g = 0; g < 3; ++g) {
      const double expected = std::fmin(255.0, std::round(-10 * (l[g] - best)));
      EXPECT_EQ(static_cast<int>(expected), pl[g]) << c.ref << "," << c.alt << " g" << g;
    }
  }
  EXPECT_EQ(255, phredLikelihoods({40, 0, 0}, e)[2]);
}

TEST(Reads, CallsThePhredZeroGenotypeUnlessTied) {
  EXPECT_EQ(0, calledAltCopies({0, 9, 60}));
  EXPECT_EQ(1, calledAltCopies({30, 0, 30}));
  EXPECT_EQ(2, calledAltCopies({60, 5, 0}));
  EXPECT_EQ(-1, calledAltCopies({0, 0, 0}));
  EXPECT_EQ(-1, calledAltCopies({0, 0, 12}));
}

// Reference samples: 2n copies in all, each allele's share binomial.
TEST(Reads, ReferenceCountsFollowTheFrequencies) {
  Random random(9);
  const std::vector<double> freq{0.2, 0.5, 0.3};
  std::vector<double> totals(3, 0.0);
  const int draws = 20000, samples = 5;
  for (int d = 0; d < draws; ++d) {
    const std::vector<int> counts = drawReferenceCounts(random, freq, samples);
    ASSERT_EQ(2 * samples, counts[0] + counts[1] + counts[2]);
    for (int i = 0; i < 3; ++i) totals[i] += counts[i];
  }
  const double copies = 2.0 * samples * draws;
  for (int i = 0; i < 3; ++i)
    EXPECT_NEAR(freq[i], totals[i] / copies, 5 * std::sqrt(freq[i] * (1 - freq[i]) / copies));
}

}  // namespace
}  // namespace parmix::sim
