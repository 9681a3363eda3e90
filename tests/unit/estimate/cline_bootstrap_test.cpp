#include "estimate/cline_bootstrap.hpp"

#include <gtest/gtest.h>

#include "support/cline_reference.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "estimate/cline_fit.hpp"

namespace parmix {
namespace {

using test::ClineData;
using test::drawCline;

// A locus of each kind the model scores, by index: dominant, three
// alleles, two alleles.
ClineData locusOfKind(int k, int n, double v, double centre, std::uint64_t seed) {
  switch (k % 4) {
    case 0: return drawCline('D', {0.8}, {0.1}, n, v, centre, seed);
    case 1: return drawCline('C', {0.7, 0.2, 0.1}, {0.1, 0.1, 0.8}, n, v, centre, seed);
    default: return drawCline('C', {0.9, 0.1}, {0.15, 0.85}, n, v, centre, seed);
  }
}

double bootstrapOf(ClineData& data, const ClineBootstrap& settings, std::uint64_t stream) {
  const auto locus = data.view();
  return neutralBootstrapP(*locus, static_cast<int>(data.r.size()), fitCline(*locus).lr,
                           settings, stream);
}

// Loci drawn under the neutral cline at their true h and frequencies,
// which are what the bootstrap draws its replicates with: the observed
// statistic and the 19 replicates' are then exchangeable, so the
// p-value (1 + count) / 20 is uniform on {1/20, ..., 1} (ties at LR = 0
// only raise it).  Over 200 loci the count at 0.05 is Binomial(200,
// 0.05): mean 10, standard deviation 3.08, and [2, 22] holds it with
// probability above 0.999.  The empirical distribution function stays
// within 1.95 / sqrt(200) = 0.138 of the uniform one with probability
// above 0.999 (Kolmogorov's bound, conservative on a grid).
TEST(ClineBootstrap, NeutralLociHaveUniformPValues) {
  const ClineBootstrap settings{19, 2026};
  std::vector<double> p;
  for (int k = 0; k < 200; ++k) {
    ClineData data = locusOfKind(k, 150, 1.0, 0.5, 9000 + k);
    p.push_back(bootstrapOf(data, settings, k));
  }
  const auto atMost = [&](double x) {
    return static_cast<double>(std::count_if(p.begin(), p.end(), [&](double q) { return q <= x + 1e-12; }));
  };
  const double small = atMost(0.05);
  EXPECT_GE(small, 2);
  EXPECT_LE(small, 22);
  double largest = 0;
  for (int j = 1; j <= 20; ++j)
    largest = std::max(largest, std::fabs(atMost(j / 20.0) / p.size() - j / 20.0));
  EXPECT_LE(largest, 1.95 / std::sqrt(200.0));
  for (double q : p) {
    EXPECT_GE(q, 1.0 / 20);
    EXPECT_LE(q, 1.0);
  }
}

// A steep cline on 150 individuals gives an LR in the hundreds, which a
// neutral replicate (chi-square with 2 degrees of freedom, P(LR > 40) =
// 2e-9) never reaches: the smallest p-value there is.
TEST(ClineBootstrap, SteepClinesGetTheSmallestPValue) {
  const ClineBootstrap settings{19, 7};
  for (int k = 1; k < 4; ++k) {
    ClineData data = locusOfKind(k, 150, 6.0, 0.5, 300 + k);
    EXPECT_DOUBLE_EQ(bootstrapOf(data, settings, k), 1.0 / 20) << k;
  }
}

TEST(ClineBootstrap, SameSeedAndStreamSameValueOtherwiseItsOwn) {
  ClineData data = locusOfKind(2, 120, 1.0, 0.5, 41);
  const double p = bootstrapOf(data, {99, 5}, 3);
  EXPECT_EQ(bootstrapOf(data, {99, 5}, 3), p);
  // Over 99 replicates two independent streams give the same count rarely;
  // over three pairs of streams, all equal would be a stream ignored.
  int same = 0;
  for (std::uint64_t stream : {4, 5, 6}) same += bootstrapOf(data, {99, 5}, stream) == p;
  int sameSeed = 0;
  for (std::uint64_t seed : {6, 7, 8}) sameSeed += bootstrapOf(data, {99, seed}, 3) == p;
  EXPECT_LT(same, 3);
  EXPECT_LT(sameSeed, 3);
}

TEST(ClineBootstrap, NothingToCompareGivesNaN) {
  ClineData data = locusOfKind(2, 20, 1.0, 0.5, 1);
  const auto locus = data.view();
  EXPECT_TRUE(std::isnan(neutralBootstrapP(*locus, 2, std::nan(""), {9, 1}, 0)));
  EXPECT_TRUE(std::isnan(neutralBootstrapP(*locus, 2, 1.0, {0, 1}, 0)));
}

}  // namespace
}  // namespace parmix
