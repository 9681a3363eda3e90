// The cline terms of individuals known through genotype likelihoods (and
// frequencies under posteriors): at phi = h each is the hybrid index
// model's own likelihood term under the same corrections; a certain
// genotype on exact frequencies gives the cline of its designations; the
// derivatives agree with differences of the value; the step clines rank
// the same shelves.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "model/cline_likelihood.hpp"
#include "model/gl_likelihood.hpp"
#include "model/reference_uncertainty.hpp"
#include "support/cline_reference.hpp"

namespace parmix {
namespace {

// Three alleles; the parents' counts are small, so the posteriors' variances
// matter, or exact.
SiteGenotypes siteOf(bool uncertain) {
  const double r[] = {0.6, 0.3, 0.1}, s[] = {0.1, 0.25, 0.65};
  if (!uncertain) return SiteGenotypes::fromFrequencies(r, s, 3);
  const double countR[] = {6, 3, 1}, countS[] = {1, 2, 7};
  return SiteGenotypes(dirichletMoments(countR, 3, 0.5), dirichletMoments(countS, 3, 0.5));
}

// Genotype likelihoods over the six genotypes of three alleles, the
// certain ones among them.
const std::vector<std::vector<double>>& likelihoodTable() {
  static const std::vector<std::vector<double>> table{
      {1, 0.2, 0.01, 0, 0, 0},          {0.05, 1, 0.3, 0, 0, 0},
      {0.001, 0.02, 1, 0.1, 0.3, 0.02}, {0, 0, 0, 0, 1, 0},
      {1, 0, 0, 0, 0, 0},               {0.3, 0.3, 0.3, 0.3, 0.3, 1},
      {0, 1, 0, 0, 0, 1}};
  return table;
}

TEST(ClineLikelihoodTerms, AtPhiEqualToHEachIsTheHybridIndexTermUnderTheSameCorrections) {
  const double hs[] = {0.0, 0.03, 0.4, 0.5, 0.91, 1.0};
  for (bool uncertain : {false, true}) {
    const SiteGenotypes site = siteOf(uncertain);
    for (const std::vector<double>& likelihoods : likelihoodTable()) {
      StateProbabilities states{};
      ASSERT_TRUE(likelihoodStates(site, likelihoods.data(), states));
      for (double h : hs) {
        GlIndividual individual;
        individual.addSite(site, likelihoods.data());
        const double expected = individual.logLikelihood(h);
        ClineLocus locus;
        locus.addLikelihoodTerm(h, states);
        EXPECT_EQ(locus.individuals(), 1);
        EXPECT_NEAR(locus.neutralLogLikelihood(), expected, 1e-12 * std::fabs(expected))
            << "h " << h << " uncertain " << uncertain << " first " << likelihoods[0];
        if (h > 0 && h < 1) {
          EXPECT_NEAR(locus.logLikelihood(1.0, 0.0), expected, 1e-12 * std::fabs(expected));
        }
      }
    }
  }
}

TEST(ClineLikelihoodTerms, LikelihoodsThatAreAllEqualSayNothing) {
  const SiteGenotypes site = siteOf(true);
  const std::vector<double> flat(6, 0.4);
  StateProbabilities states{};
  EXPECT_FALSE(likelihoodStates(site, flat.data(), states));
}

// Certain genotypes on exact frequencies: the terms of the likelihoods are
// those of the designations, at any cline, with the same derivatives and
// the same best steps.
TEST(ClineLikelihoodTerms, CertainGenotypesGiveTheClineOfTheirDesignations) {
  test::ClineData data =
      test::drawCline('C', {0.7, 0.2, 0.1}, {0.1, 0.1, 0.8}, 50, 2.5, 0.35, 77);
  data.h.front() = 0.0, data.h.back() = 1.0;
  const auto designations = data.view();
  const SiteGenotypes site = SiteGenotypes::fromFrequencies(data.r.data(), data.s.data(), 3);
  ClineLocus terms;
  std::vector<double> called(6);
  for (std::size_t i = 0; i < data.h.size(); ++i) {
    if (data.g[i][0] == kMissing || data.g[i][1] == kMissing) continue;
    calledGenotypeLikelihoods(data.g[i][0] - 1, data.g[i][1] - 1, 3, called.data());
    StateProbabilities states{};
    ASSERT_TRUE(likelihoodStates(site, called.data(), states));
    terms.addLikelihoodTerm(data.h[i], states);
  }
  ASSERT_EQ(terms.individuals(), designations->individuals());
  const double neutral = designations->neutralLogLikelihood();
  EXPECT_NEAR(terms.neutralLogLikelihood(), neutral, 1e-12 * std::fabs(neutral));
  const double points[][2] = {{0, 0}, {1.1, -0.6}, {-2, 1.5}, {4.6, 0.2}};
  for (const auto& x : points) {
    const ClineCurvature a = terms.curvature(x[0], x[1]);
    const ClineCurvature b = designations->curvature(x[0], x[1]);
    EXPECT_NEAR(a.value, b.value, 1e-11 * std::fabs(b.value)) << x[0] << ' ' << x[1];
    for (int k = 0; k < 2; ++k) {
      EXPECT_NEAR(a.gradient[k], b.gradient[k], 1e-9 * (1 + std::fabs(b.gradient[k]))) << k;
      for (int j = 0; j < 2; ++j)
        EXPECT_NEAR(a.hessian[k][j], b.hessian[k][j], 1e-9 * (1 + std::fabs(b.hessian[k][j])))
            << k << j;
    }
  }
  EXPECT_EQ(terms.bestStepCentres(-5, 5, 3), designations->bestStepCentres(-5, 5, 3));
}

// Uncertain genotypes under posteriors have no factored form: their
// gradient and Hessian against central differences of the value.
TEST(ClineLikelihoodTerms, CurvatureOfUncertainTermsAgreesWithDifferencesOfTheValue) {
  const SiteGenotypes site = siteOf(true);
  ClineLocus locus;
  test::Uniforms u(91);
  for (int i = 0; i < 40; ++i) {
    const std::vector<double>& likelihoods = likelihoodTable()[i % likelihoodTable().size()];
    StateProbabilities states{};
    ASSERT_TRUE(likelihoodStates(site, likelihoods.data(), states));
    locus.addLikelihoodTerm(0.02 + 0.96 * u.next(), states);
  }
  const double points[][2] = {{0, 0}, {1.2, -0.8}, {-1.5, 2.0}, {2.5, 0.3}};
  constexpr double d = 1e-5;
  for (const auto& x : points) {
    const ClineCurvature at = locus.curvature(x[0], x[1]);
    EXPECT_NEAR(at.value, locus.logLikelihood(std::exp(x[0]), x[1]), 1e-12 * std::fabs(at.value));
    auto f = [&](double a, double b) { return locus.curvature(a, b).value; };
    auto g = [&](double a, double b, int k) { return locus.curvature(a, b).gradient[k]; };
    const double slope[2] = {(f(x[0] + d, x[1]) - f(x[0] - d, x[1])) / (2 * d),
                             (f(x[0], x[1] + d) - f(x[0], x[1] - d)) / (2 * d)};
    for (int k = 0; k < 2; ++k) {
      EXPECT_NEAR(at.gradient[k], slope[k], 1e-5 * (1 + std::fabs(slope[k]))) << k;
      const double bend[2] = {(g(x[0] + d, x[1], k) - g(x[0] - d, x[1], k)) / (2 * d),
                              (g(x[0], x[1] + d, k) - g(x[0], x[1] - d, k)) / (2 * d)};
      for (int j = 0; j < 2; ++j)
        EXPECT_NEAR(at.hessian[k][j], bend[j], 1e-5 * (1 + std::fabs(bend[j]))) << k << j;
    }
  }
}

}  // namespace
}  // namespace parmix
