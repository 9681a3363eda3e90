// The joint log-likelihood in (h, H): its value against the model written
// out in the test, its derivatives against differences of that value, the
// hybrid-index curve against Likelihood(), and zero probabilities.

#include <gtest/gtest.h>

#include "model/joint_likelihood.hpp"

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "support/joint_reference.hpp"
#include "support/one_individual.hpp"

namespace parmix {
namespace {

using test::Locus;

// Mixed loci: codominant with 2 or 3 alleles (homozygous and heterozygous)
// and dominant with either phenotype, some missing, and an excluded one.
std::vector<Locus> mixedLoci() {
  return {test::codominant(1, 1, {0.3, 0.7}, {0.9, 0.1}),
          test::codominant(2, 1, {0.2, 0.5, 0.3}, {0.6, 0.1, 0.3}),
          test::codominant(3, 3, {0.2, 0.5, 0.3}, {0.05, 0.05, 0.9}),
          test::dominant(1, 0.8, 0.2),
          test::dominant(0, 0.8, 0.2),
          test::dominant(kMissing, 0.5, 0.1),
          test::codominant(kMissing, 2, {0.5, 0.5}, {0.1, 0.9}),
          {'B', 1, 2, {0.5, 0.5}, {0.5, 0.5}},
          test::codominant(1, 3, {0.1, 0.1, 0.8}, {0.4, 0.4, 0.2})};
}

// Points spread over the triangle, sides and corners included.
std::vector<std::pair<double, double>> trianglePoints() {
  std::vector<std::pair<double, double>> points;
  for (int j = 0; j <= 10; ++j)
    for (int i = 0; i <= 10; ++i) {
      const double het = j / 10.0, h = het / 2 + (1 - het) * i / 10.0;
      points.emplace_back(h, het);
    }
  return points;
}

TEST(JointLikelihood, ValueIsTheMixtureOfTheThreeAncestryStates) {
  const std::vector<Locus> loci = mixedLoci();
  const JointIndividual layout = test::layOutJoint(loci);
  EXPECT_TRUE(layout.hasData());
  EXPECT_EQ(layout.terms(), 6u);  // missing, half-missing and excluded loci add nothing
  for (const auto& [h, het] : trianglePoints()) {
    const double want = test::referenceJointLogL(h, het, loci);
    EXPECT_NEAR(layout.logLikelihood(h, het), want, 1e-13 * std::fabs(want)) << h << ", " << het;
  }
}

TEST(JointLikelihood, DerivativesAreThoseOfTheValue) {
  const std::vector<Locus> loci = mixedLoci();
  const JointIndividual layout = test::layOutJoint(loci);
  const double e = 1e-5;
  const auto f = [&](double h, double het) { return test::referenceJointLogL(h, het, loci); };
  for (const auto& [h, het] : {std::pair{0.5, 0.3}, {0.3, 0.2}, {0.7, 0.5}, {0.45, 0.85}}) {
    const JointDerivatives d = layout.derivatives(h, het, true);
    EXPECT_DOUBLE_EQ(d.value, layout.logLikelihood(h, het));
    EXPECT_NEAR(d.dh, (f(h + e, het) - f(h - e, het)) / (2 * e), 1e-6);
    EXPECT_NEAR(d.dHet, (f(h, het + e) - f(h, het - e)) / (2 * e), 1e-6);
    EXPECT_NEAR(d.dhh, (f(h + e, het) - 2 * f(h, het) + f(h - e, het)) / (e * e), 1e-3);
    EXPECT_NEAR(d.dHetHet, (f(h, het + e) - 2 * f(h, het) + f(h, het - e)) / (e * e), 1e-3);
    EXPECT_NEAR(d.dhHet,
                (f(h + e, het + e) - f(h + e, het - e) - f(h - e, het + e) + f(h - e, het - e)) /
                    (4 * e * e),
                1e-3);
    const CurveDerivatives alongH = layout.alongH(h, het), alongHet = layout.alongHet(h, het);
    EXPECT_DOUBLE_EQ(alongH.slope, d.dh);
    EXPECT_DOUBLE_EQ(alongH.curvature, d.dhh);
    EXPECT_DOUBLE_EQ(alongHet.slope, d.dHet);
    EXPECT_DOUBLE_EQ(alongHet.curvature, d.dHetHet);
  }
}

// On H = 2h(1 - h) the joint model is the hybrid-index model.
TEST(JointLikelihood, TheHybridIndexCurveGivesTheHybridIndexLikelihood) {
  std::mt19937_64 rng(99);
  std::uniform_real_distribution<double> unit(0.01, 0.99);
  for (int n = 0; n < 20; ++n) {
    std::vector<Locus> loci;
    for (int i = 0; i < 40; ++i) {
      const double r = unit(rng), s = unit(rng);
      Locus l = i % 3 == 0 ? test::dominant(1, r, s)
                           : test::codominant(1, 1, {r, (1 - r) / 2, (1 - r) / 2},
                                              {s, (1 - s) / 2, (1 - s) / 2});
      test::drawGenotype(rng, test::drawState(rng, {0.3, 0.4, 0.3}), l);
      loci.push_back(l);
    }
    test::Individual individual(loci);
    const JointIndividual layout = test::layOutJoint(loci);
    for (double h = 0.0; h <= 1.0; h += 0.0625) {
      const double want = individual.logL(h);
      const double tolerance = 1e-12 * std::fabs(want);
      EXPECT_NEAR(layout.hybridIndexLogLikelihood(h), want, tolerance) << "h = " << h;
      EXPECT_NEAR(layout.logLikelihood(h, 2 * h * (1 - h)), want, tolerance) << "h = " << h;
    }
    const double e = 1e-6;
    for (double h : {0.2, 0.5, 0.8}) {
      const CurveDerivatives d = layout.hybridIndexSlope(h);
      EXPECT_NEAR(d.slope, (individual.logL(h + e) - individual.logL(h - e)) / (2 * e), 1e-5);
    }
  }
}

TEST(JointLikelihood, ImpossibleGenotypesGiveMinusInfinityNeverNaN) {
  constexpr double kNegInf = -std::numeric_limits<double>::infinity();
  // Allele 1 only in R and allele 2 only in S: a homozygote 1/1 is impossible
  // wherever no copy pair comes from R alone; a 1/2 wherever H = 0.
  const struct {
    Locus locus;
    double h, het;
  } cases[] = {
      {test::codominant(1, 1, {1, 0}, {0, 1}), 0.0, 0.0},
      {test::codominant(1, 1, {1, 0}, {0, 1}), 0.5, 1.0},
      {test::codominant(1, 1, {1, 0}, {0, 1}), 0.25, 0.5},
      {test::codominant(2, 1, {1, 0}, {0, 1}), 1.0, 0.0},
      {test::codominant(2, 1, {1, 0}, {0, 1}), 0.0, 0.0},
      {test::dominant(0, 1.0, 0.3), 1.0, 0.0},     // band fixed in R: absence needs S copies only
      {test::dominant(0, 1.0, 0.3), 0.75, 0.5},
      {test::dominant(1, 0.6, 0.0), 0.0, 0.0},     // band absent from S
  };
  for (const auto& c : cases) {
    const JointIndividual layout = test::layOutJoint({c.locus});
    EXPECT_EQ(layout.logLikelihood(c.h, c.het), kNegInf) << c.h << ", " << c.het;
    EXPECT_TRUE(std::isfinite(layout.logLikelihood(0.5, 1.0 / 3.0)));
  }
}

}  // namespace
}  // namespace parmix
