// The slope, curvature and third derivative that the layouts form in one
// pass, against central differences of their own log-likelihood, on every kind of term:
// homozygotes, heterozygotes of several alleles, both dominant phenotypes,
// genotype likelihoods of two and of three alleles, uncertain frequencies.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "model/compact_likelihood.hpp"
#include "model/gl_likelihood.hpp"

namespace parmix {
namespace {

std::vector<double> randomFrequencies(std::mt19937_64& rng, int k) {
  std::uniform_real_distribution<double> u(0.02, 1.0);
  std::vector<double> f(k);
  double sum = 0.0;
  for (double& x : f) sum += x = u(rng);
  for (double& x : f) x /= sum;
  return f;
}

// Central differences of step d: the slope's error is O(d^2 f'''), the
// curvature's O(d^2 f'''') plus rounding of order eps |f| / d^2.
template <typename Layout>
void expectDerivativesOf(const Layout& layout, double h) {
  const double d = 1e-4;
  const double f0 = layout.logLikelihood(h);
  const double fp = layout.logLikelihood(h + d), fm = layout.logLikelihood(h - d);
  const double slope = (fp - fm) / (2 * d);
  const double curvature = (fp - 2 * f0 + fm) / (d * d);
  const LikelihoodDerivatives got = layout.derivatives(h, true);
  EXPECT_NEAR(f0, got.value, 1e-11 * std::fabs(f0)) << "h " << h;
  EXPECT_NEAR(slope, got.slope, 1e-6 * (1 + std::fabs(slope))) << "h " << h;
  EXPECT_NEAR(curvature, got.curvature, 1e-4 * (1 + std::fabs(curvature))) << "h " << h;
  // The third from the curvature, whose own differences are checked above.
  const double third =
      (layout.derivatives(h + d, false).curvature - layout.derivatives(h - d, false).curvature) /
      (2 * d);
  EXPECT_NEAR(third, got.third, 1e-5 * (1 + std::fabs(third))) << "h " << h;
  const LikelihoodDerivatives bare = layout.derivatives(h, false);
  EXPECT_TRUE(std::isnan(bare.value));
  EXPECT_EQ(got.slope, bare.slope);
  EXPECT_EQ(got.curvature, bare.curvature);
  EXPECT_EQ(got.third, bare.third);
}

TEST(LikelihoodDerivatives, CertainGenotypesOfEveryKind) {
  std::mt19937_64 rng(31);
  for (int trial = 0; trial < 20; ++trial) {
    CompactIndividual layout;
    std::vector<std::vector<double>> rows;
    for (int l = 0; l < 40; ++l) {
      const int k = 2 + l % 3;
      const std::vector<double> r = randomFrequencies(rng, k), s = randomFrequencies(rng, k);
      const int a = 1 + static_cast<int>(rng() % k), b = 1 + static_cast<int>(rng() % k);
      if (l % 5 == 4) {
        layout.addLocus('D', static_cast<int>(rng() % 2), -9999, r.data(), s.data());
      } else {
        layout.addLocus('C', a, b, r.data(), s.data());
      }
    }
    for (double h : {0.03, 0.3, 0.5, 0.77, 0.98}) expectDerivativesOf(layout, h);
  }
}

TEST(LikelihoodDerivatives, GenotypeLikelihoodsUnderUncertainFrequencies) {
  std::mt19937_64 rng(32);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  for (int trial = 0; trial < 20; ++trial) {
    GlIndividual layout;
    for (int l = 0; l < 40; ++l) {
      const int k = l % 4 == 3 ? 3 : 2;
      std::vector<double> countsR(k), countsS(k);
      for (int a = 0; a < k; ++a) {
        countsR[a] = std::floor(20 * u(rng));
        countsS[a] = std::floor(20 * u(rng));
      }
      const SiteGenotypes site(dirichletMoments(countsR.data(), k, 1.0),
                               dirichletMoments(countsS.data(), k, 1.0));
      // Every genotype possible: a three-allele site takes the general form.
      std::vector<double> likelihoods(genotypeCount(k));
      for (double& x : likelihoods) x = 0.01 + u(rng);
      layout.addSite(site, likelihoods.data());
    }
    for (double h : {0.03, 0.3, 0.5, 0.77, 0.98}) expectDerivativesOf(layout, h);
  }
}

// A probability that vanishes at the end: ln L is -infinity there, and the
// derivatives are not finite, which is what makes a search fall back.
TEST(LikelihoodDerivatives, AVanishingProbabilityGivesNonFiniteDerivatives) {
  const double r[] = {1.0, 0.0}, s[] = {0.0, 1.0};
  CompactIndividual layout;
  layout.addLocus('C', 1, 1, r, s);
  const LikelihoodDerivatives atZero = layout.derivatives(0.0, true);
  EXPECT_EQ(-HUGE_VAL, atZero.value);
  EXPECT_FALSE(std::isfinite(atZero.slope));
  const LikelihoodDerivatives inside = layout.derivatives(0.25, true);
  EXPECT_DOUBLE_EQ(2 / 0.25, inside.slope);            // d/dh 2 ln h
  EXPECT_DOUBLE_EQ(-2 / (0.25 * 0.25), inside.curvature);
  EXPECT_DOUBLE_EQ(4 / (0.25 * 0.25 * 0.25), inside.third);
}

}  // namespace
}  // namespace parmix
