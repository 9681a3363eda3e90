#include "model/gl_likelihood.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "model/genotype_prob.hpp"
#include "model/likelihood.hpp"
#include "support/expected_genotypes.hpp"

namespace parmix {
namespace {

constexpr double kRelative = 1e-12;

std::vector<double> randomFrequencies(std::mt19937_64& rng, int k) {
  std::uniform_real_distribution<double> u(0.02, 1.0);
  std::vector<double> f(k);
  double sum = 0.0;
  for (double& x : f) sum += x = u(rng);
  for (double& x : f) x /= sum;
  return f;
}

// P(g | h) of the hybrid-index model from the genotype log-probabilities
// the analysis of certain genotypes uses.
double modelProbability(double h, int a, int b, const std::vector<double>& r,
                        const std::vector<double>& s) {
  if (a == b) return std::exp(fCod11(h, r[a], s[a]));
  return std::exp(multAlleleHet(h, r[a], r[b], s[a], s[b]));
}

TEST(GlLikelihood, GenotypesInVcfOrder) {
  const int table[][3] = {{0, 0, 0}, {0, 1, 1}, {1, 0, 1}, {1, 1, 2}, {0, 2, 3},
                          {1, 2, 4}, {2, 2, 5}, {3, 0, 6}, {3, 3, 9}};
  for (const auto& row : table) EXPECT_EQ(row[2], genotypeIndex(row[0], row[1]));
  EXPECT_EQ(3, genotypeCount(2));
  EXPECT_EQ(10, genotypeCount(4));
}

TEST(GlLikelihood, FieldsBecomeLikelihoodsScaledToTheBest) {
  struct PlCase {
    std::vector<int> pl;
    bool ok;
    std::vector<double> expected;
  };
  const PlCase plCases[] = {
      {{0, 10, 20}, true, {1.0, 0.1, 0.01}},
      {{5, 0, 40}, true, {std::pow(10.0, -0.5), 1.0, 1e-4}},
      {{12, 2, 22}, true, {0.1, 1.0, 0.01}},
      {{0, 0, 0}, true, {1.0, 1.0, 1.0}},
      {{0, -1, 3}, false, {}},
  };
  for (const PlCase& c : plCases) {
    std::vector<double> out(c.pl.size());
    ASSERT_EQ(c.ok, likelihoodsFromPL(c.pl.data(), static_cast<int>(c.pl.size()), out.data()));
    for (std::size_t g = 0; g < c.expected.size(); ++g)
      EXPECT_NEAR(c.expected[g], out[g], 1e-15 * c.expected[g]) << g;
  }
  struct GlCase {
    std::vector<double> gl;
    bool ok;
    std::vector<double> expected;
  };
  const double inf = HUGE_VAL;
  const GlCase glCases[] = {
      {{-0.5, -1.5, -inf}, true, {1.0, 0.1, 0.0}},
      {{-3.0, -1.0, -2.0, -1.0, -5.0, -9.0}, true, {0.01, 1.0, 0.1, 1.0, 1e-4, 1e-8}},
      {{-0.1, std::nan(""), -1.0}, false, {}},
      {{-inf, -inf, -inf}, false, {}},
  };
  for (const GlCase& c : glCases) {
    std::vector<double> out(c.gl.size());
    ASSERT_EQ(c.ok, likelihoodsFromGL(c.gl.data(), static_cast<int>(c.gl.size()), out.data()));
    for (std::size_t g = 0; g < c.expected.size(); ++g)
      EXPECT_NEAR(c.expected[g], out[g], 1e-14 * c.expected[g]) << g;
  }
}

// One site at a time, k from 2 to 5 alleles, random likelihoods (some
// zero): the term is ln sum_g P(reads|g) P(g|h), summed here genotype by
// genotype.
TEST(GlLikelihood, SiteTermIsTheLikelihoodWeightedSumOverGenotypes) {
  std::mt19937_64 rng(16);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  for (int trial = 0; trial < 200; ++trial) {
    const int k = 2 + trial % 4;
    const std::vector<double> r = randomFrequencies(rng, k), s = randomFrequencies(rng, k);
    std::vector<double> likelihoods(genotypeCount(k));
    // Half the trials rule genotypes out, so that some sites involve only
    // one or two alleles and others more.
    for (double& l : likelihoods) l = trial % 2 == 0 || u(rng) < 0.4 ? u(rng) * u(rng) : 0.0;
    likelihoods[rng() % likelihoods.size()] = 1.0;
    const SiteGenotypes site = SiteGenotypes::fromFrequencies(r.data(), s.data(), k);
    GlIndividual individual;
    individual.addSite(site, likelihoods.data());
    for (double h : {0.0, 0.2, 0.5, 0.71, 1.0}) {
      double expected = 0.0;
      for (int b = 0; b < k; ++b)
        for (int a = 0; a <= b; ++a)
          expected += likelihoods[genotypeIndex(a, b)] * modelProbability(h, a, b, r, s);
      EXPECT_NEAR(std::log(expected), individual.logLikelihood(h),
                  kRelative * std::fabs(std::log(expected)) + 1e-15);
    }
  }
}

// Called genotypes (likelihood 1 for the call) at codominant and dominant
// loci, some missing, exact frequencies: the log-likelihood of the analysis
// of certain genotypes, bit for bit.
TEST(GlLikelihood, CertainGenotypesGiveTheHybridIndexLikelihood) {
  std::mt19937_64 rng(3);
  const int loci = 60, width = 4;
  std::vector<double> freqRows(2 * loci * width, 0.0);
  std::vector<double*> freqR(loci), freqS(loci);
  std::vector<int> genotypeRows(2 * loci);
  std::vector<int*> genotype(loci);
  std::vector<char> types(loci);
  GlIndividual individual;
  for (int l = 0; l < loci; ++l) {
    freqR[l] = &freqRows[2 * l * width];
    freqS[l] = freqR[l] + width;
    genotype[l] = &genotypeRows[2 * l];
    const int k = 2 + l % 3;
    types[l] = l % 5 == 4 ? 'D' : 'C';
    if (types[l] == 'D') {
      freqR[l][0] = 0.1 + 0.8 * std::uniform_real_distribution<double>(0, 1)(rng);
      freqS[l][0] = 0.1 + 0.8 * std::uniform_real_distribution<double>(0, 1)(rng);
      const bool present = rng() % 2 == 0;
      genotype[l][0] = present ? 1 : 0;
      genotype[l][1] = -9999;
      double likelihoods[3];
      phenotypeLikelihoods(present, likelihoods);
      individual.addSite(SiteGenotypes::dominant(exactPhenotypeMoments(freqR[l][0]),
                                                 exactPhenotypeMoments(freqS[l][0])),
                         likelihoods);
      continue;
    }
    const std::vector<double> r = randomFrequencies(rng, k), s = randomFrequencies(rng, k);
    std::copy(r.begin(), r.end(), freqR[l]);
    std::copy(s.begin(), s.end(), freqS[l]);
    const int a = static_cast<int>(rng() % k), b = static_cast<int>(rng() % k);
    const bool missing = l % 7 == 3;
    genotype[l][0] = missing ? -9999 : a + 1;
    genotype[l][1] = missing ? -9999 : b + 1;
    std::vector<double> likelihoods(genotypeCount(k));
    calledGenotypeLikelihoods(a, b, k, likelihoods.data());
    individual.addSite(SiteGenotypes::fromFrequencies(r.data(), s.data(), k),
                       missing ? nullptr : likelihoods.data());
  }
  // The same operations in the same order: the same bits.
  for (double h : {0.0, 0.05, 0.33, 0.5, 0.9, 1.0, 0.123456789}) {
    const double expected =
        Likelihood(h, genotype.data(), freqR.data(), freqS.data(), types.data(), loci);
    EXPECT_EQ(expected, individual.logLikelihood(h)) << h;
  }
}

// The joint model: on the curve H = 2h(1-h) it is the hybrid-index model;
// elsewhere each term is p_RR P(g|RR) + H P(g|RS) + p_SS P(g|SS).
TEST(GlLikelihood, JointModelTermsAndItsHybridIndexCurve) {
  std::mt19937_64 rng(14);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  const int k = 3;
  GlIndividual individual;
  std::vector<std::vector<double>> rs, ss, ls;
  for (int l = 0; l < 20; ++l) {
    rs.push_back(randomFrequencies(rng, k));
    ss.push_back(randomFrequencies(rng, k));
    std::vector<double> likelihoods(genotypeCount(k));
    for (double& x : likelihoods) x = u(rng);
    ls.push_back(likelihoods);
    individual.addSite(SiteGenotypes::fromFrequencies(rs[l].data(), ss[l].data(), k),
                       likelihoods.data());
  }
  for (double h : {0.0, 0.25, 0.5, 0.8, 1.0}) {
    const double onCurve = individual.jointLogLikelihood(h, 2 * h * (1 - h));
    EXPECT_NEAR(individual.logLikelihood(h), onCurve, 1e-12 * std::fabs(onCurve));
  }
  const double points[][2] = {{0.5, 1.0}, {0.75, 0.5}, {0.4, 0.1}, {0.3, 0.6}};
  for (const auto& point : points) {
    const double h = point[0], het = point[1];
    double expected = 0.0;
    for (std::size_t l = 0; l < rs.size(); ++l) {
      const std::vector<double>&r = rs[l], &s = ss[l];
      double sum = 0.0;
      for (int b = 0; b < k; ++b)
        for (int a = 0; a <= b; ++a) {
          const double m = a == b ? 1.0 : 2.0;
          const double p = (h - het / 2) * m * r[a] * r[b] +
                           het * (a == b ? r[a] * s[a] : r[a] * s[b] + r[b] * s[a]) +
                           (1 - h - het / 2) * m * s[a] * s[b];
          sum += ls[l][genotypeIndex(a, b)] * p;
        }
      expected += std::log(sum);
    }
    EXPECT_NEAR(expected, individual.jointLogLikelihood(h, het), 1e-12 * std::fabs(expected));
  }
}

// Under uncertain frequencies the site's genotypes carry the expected
// probabilities: the term is ln sum_g L_g E[P(g|h)], and ln sum_g L_g
// E[P(g|h,H)] in the joint model.
TEST(GlLikelihood, UncertainSiteUsesTheExpectedGenotypeProbabilities) {
  const double countsR[] = {6, 3, 1}, countsS[] = {1, 2, 7};
  const FrequencyMoments r = dirichletMoments(countsR, 3, 0.5);
  const FrequencyMoments s = dirichletMoments(countsS, 3, 0.5);
  const double likelihoods[] = {0.2, 1.0, 0.05, 0.4, 0.3, 0.01};
  GlIndividual individual;
  individual.addSite(SiteGenotypes(r, s), likelihoods);
  for (double h : {0.0, 0.3, 0.6, 1.0}) {
    double expected = 0.0;
    for (int b = 0; b < 3; ++b)
      for (int a = 0; a <= b; ++a)
        expected += likelihoods[genotypeIndex(a, b)] *
                    (a == b ? expectedHomozygote(h, a, r, s) : expectedHeterozygote(h, a, b, r, s));
    EXPECT_NEAR(std::log(expected), individual.logLikelihood(h), 1e-12);
    const double het = 1.6 * h * (1 - h);
    double joint = 0.0;
    for (int b = 0; b < 3; ++b)
      for (int a = 0; a <= b; ++a)
        joint += likelihoods[genotypeIndex(a, b)] *
                 (a == b ? expectedHomozygoteJoint(h, het, a, r, s)
                         : expectedHeterozygoteJoint(h, het, a, b, r, s));
    EXPECT_NEAR(std::log(joint), individual.jointLogLikelihood(h, het), 1e-12);
    const StateProbabilities sums = individual.termStates(0);
    EXPECT_NEAR(joint, (h - het / 2) * sums.rr + het * sums.rs + (1 - h - het / 2) * sums.ss,
                1e-15);
  }
}

// A dominant locus's phenotypes under posteriors: band absent has the
// expected recessive probability in both models, band present one minus it.
TEST(GlLikelihood, DominantPhenotypesUnderPosteriors) {
  const PhenotypeMoments r = betaPhenotypeMoments(7, 2, 1.0), s = betaPhenotypeMoments(1, 5, 0.5);
  const SiteGenotypes site = SiteGenotypes::dominant(r, s);
  for (bool present : {false, true}) {
    double likelihoods[3];
    phenotypeLikelihoods(present, likelihoods);
    GlIndividual individual;
    individual.addSite(site, likelihoods);
    for (double h : {0.0, 0.4, 1.0}) {
      const double absent = expectedRecessive(h, r, s);
      EXPECT_NEAR(std::log(present ? 1 - absent : absent), individual.logLikelihood(h), 1e-14);
      const double het = h * (1 - h);
      const double jointAbsent = expectedRecessiveJoint(h, het, r, s);
      EXPECT_NEAR(std::log(present ? 1 - jointAbsent : jointAbsent),
                  individual.jointLogLikelihood(h, het), 1e-14);
    }
  }
}

TEST(GlLikelihood, MissingAndUninformativeSitesAddNothing) {
  const double r[] = {0.9, 0.1}, s[] = {0.2, 0.8};
  const SiteGenotypes site = SiteGenotypes::fromFrequencies(r, s, 2);
  GlIndividual individual;
  individual.addSite(site, nullptr);
  EXPECT_FALSE(individual.hasData());
  const double noReads[] = {1.0, 1.0, 1.0};
  individual.addSite(site, noReads);
  EXPECT_TRUE(individual.hasData());
  EXPECT_EQ(0u, individual.terms());
  EXPECT_EQ(0.0, individual.logLikelihood(0.3));
  individual.clear();
  EXPECT_FALSE(individual.hasData());
}

// A genotype impossible under one parent gives -infinity at that end,
// never NaN, as the analysis of certain genotypes does.
TEST(GlLikelihood, ImpossibleGenotypeAtAnEndIsMinusInfinity) {
  const double r[] = {1.0, 0.0}, s[] = {0.0, 1.0};
  const double homozygoteR[] = {1.0, 0.0, 0.0};
  GlIndividual individual;
  individual.addSite(SiteGenotypes::fromFrequencies(r, s, 2), homozygoteR);
  EXPECT_EQ(-HUGE_VAL, individual.logLikelihood(0.0));
  EXPECT_NEAR(2 * std::log(0.25), individual.logLikelihood(0.25), 1e-15);
  EXPECT_EQ(-HUGE_VAL, individual.jointLogLikelihood(0.0, 0.0));
}

}  // namespace
}  // namespace parmix
