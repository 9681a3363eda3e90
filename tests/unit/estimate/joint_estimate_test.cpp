// The joint estimate of h and H, its profile limits and the hybrid-index
// curve's maximum, against the slow independent computation of
// joint_reference.hpp, and against closed forms at diagnostic loci.

#include <gtest/gtest.h>

#include "estimate/joint_estimate.hpp"

#include <cmath>
#include <random>
#include <vector>

#include "estimate/joint_study.hpp"
#include "support/joint_reference.hpp"

namespace parmix {
namespace {

using test::Locus;

// Random frequencies of k alleles, with now and then an allele absent from
// one population so that some points of the triangle become impossible.
std::vector<double> randomFrequencies(std::mt19937_64& rng, int k, bool allowZero) {
  std::gamma_distribution<double> gamma(0.7, 1.0);
  std::vector<double> f(static_cast<std::size_t>(k));
  double total = 0.0;
  for (double& x : f) total += (x = gamma(rng) + 1e-3);
  for (double& x : f) x /= total;
  if (allowZero && std::uniform_int_distribution<int>(0, 3)(rng) == 0) {
    const double moved = f[0];
    f[0] = 0.0;
    f[1] += moved;
  }
  return f;
}

// An individual with the given state weights at `count` mixed loci: a
// third dominant, the rest codominant with 2 to 4 alleles, 10% missing.
std::vector<Locus> randomIndividual(std::mt19937_64& rng, const test::StateWeights& w,
                                    int count) {
  std::vector<Locus> loci;
  std::uniform_int_distribution<int> kind(0, 2), alleles(2, 4), tenth(0, 9);
  for (int i = 0; i < count; ++i) {
    Locus l;
    if (kind(rng) == 0) {
      l = test::dominant(0, std::uniform_real_distribution<double>(0.02, 0.98)(rng),
                         std::uniform_real_distribution<double>(0.02, 0.98)(rng));
    } else {
      const int k = alleles(rng);
      l = test::codominant(1, 1, randomFrequencies(rng, k, true), randomFrequencies(rng, k, true));
    }
    test::drawGenotype(rng, test::drawState(rng, w), l);
    if (tenth(rng) == 0) l.first = kMissing;
    loci.push_back(l);
  }
  return loci;
}

TEST(JointEstimate, AgreesWithGridAndGoldenSectionOnRandomIndividuals) {
  std::mt19937_64 rng(20261208);
  // Corners and sides of the triangle as well as its inside.
  const test::StateWeights kinds[] = {{1, 0, 0},         {0, 0, 1},         {0, 1, 0},
                                      {0.25, 0.5, 0.25}, {0.5, 0.5, 0},     {0, 0.5, 0.5},
                                      {0.3, 0.2, 0.5},   {0.6, 0.3, 0.1},   {0.1, 0.7, 0.2}};
  int cutLimits = 0, solvedLimits = 0;
  for (int n = 0; n < 27; ++n) {
    const std::vector<Locus> loci = randomIndividual(rng, kinds[n % 9], 12 + n);
    const JointIndividual layout = test::layOutJoint(loci);
    ASSERT_FALSE(jointSurfaceIsFlat(layout));
    const JointMaximum got = maximiseJoint(layout);
    const test::ReferenceMaximum want = test::referenceMaximum(loci);
    ASSERT_TRUE(got.found) << "individual " << n;
    EXPECT_NEAR(got.h, want.h, 1e-5) << "individual " << n;
    EXPECT_NEAR(got.het, want.het, 1e-5) << "individual " << n;
    EXPECT_GE(got.logL, want.logL - 1e-9) << "individual " << n;
    const double level = got.logL - 2.0;
    const auto profileH = [&](double h) { return test::profileAtH(h, loci).value; };
    const auto profileHet = [&](double het) { return test::profileAtHet(het, loci).value; };
    for (int side = 0; side < 2; ++side) {
      const double end = side;
      const ProfileLimit limits[2] = {profileLimitOfH(layout, got, side, 2.0),
                                      profileLimitOfHet(layout, got, side, 2.0)};
      const test::ReferenceLimit expected[2] = {
          test::referenceLimit(profileH, got.h, end, level),
          test::referenceLimit(profileHet, got.het, end, level)};
      for (int q = 0; q < 2; ++q) {
        SCOPED_TRACE(::testing::Message() << "individual " << n << (q ? " het" : " h")
                                          << " side " << side);
        EXPECT_NEAR(limits[q].value, expected[q].value, 1e-5);
        EXPECT_EQ(limits[q].cut, expected[q].cut);
        (limits[q].cut ? cutLimits : solvedLimits)++;
      }
    }
  }
  // Both kinds of limit were exercised.
  EXPECT_GE(cutLimits, 20);
  EXPECT_GE(solvedLimits, 40);
}

TEST(JointEstimate, ClassLogLikelihoodsMatchTheModelAtTheClassPoints) {
  std::mt19937_64 rng(77);
  int impossible = 0;
  for (int n = 0; n < 40; ++n) {
    const std::vector<Locus> loci = randomIndividual(rng, {0.3, 0.4, 0.3}, 25);
    const JointEstimate row = studyJointIndividual(test::layOutJoint(loci));
    for (int k = 0; k < kHybridClasses; ++k) {
      const ClassPoint point = classPoint(static_cast<HybridClass>(k));
      const double want = test::referenceJointLogL(point.h, point.het, loci);
      ASSERT_FALSE(std::isnan(row.classLogL[k]));
      if (std::isinf(want)) {
        EXPECT_EQ(row.classLogL[k], want);
        EXPECT_NE(row.bestClass, k);
        ++impossible;
      } else {
        EXPECT_NEAR(row.classLogL[k], want, 1e-9 * std::fabs(want)) << "class " << k;
      }
    }
  }
  EXPECT_GE(impossible, 10);  // the zero frequencies made some classes impossible
}

// At loci where R carries allele 1 only and S allele 2 only, every state is
// seen: h is the share of R alleles and H the share of heterozygous loci.
std::vector<Locus> diagnostic(int rr, int rs, int ss, int missing) {
  std::vector<Locus> loci;
  for (int i = 0; i < rr; ++i) loci.push_back(test::codominant(1, 1, {1, 0}, {0, 1}));
  for (int i = 0; i < rs; ++i) loci.push_back(test::codominant(2, 1, {1, 0}, {0, 1}));
  for (int i = 0; i < ss; ++i) loci.push_back(test::codominant(2, 2, {1, 0}, {0, 1}));
  for (int i = 0; i < missing; ++i) loci.push_back(test::codominant(kMissing, 1, {1, 0}, {0, 1}));
  return loci;
}

TEST(JointEstimate, DiagnosticLociGiveTheSharesOfAllelesAndHeterozygotes) {
  struct Case {
    int rr, rs, ss;
  };
  const Case cases[] = {{10, 0, 0}, {0, 0, 7},  {0, 12, 0}, {5, 10, 5}, {9, 6, 0},
                        {0, 6, 9},  {3, 1, 11}, {20, 3, 2}, {1, 1, 1},  {4, 0, 4}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.rr << " RR, " << c.rs << " RS, " << c.ss << " SS");
    const double n = c.rr + c.rs + c.ss;
    const JointEstimate row = studyJointIndividual(test::layOutJoint(diagnostic(c.rr, c.rs, c.ss, 3)));
    EXPECT_NEAR(row.h, (2 * c.rr + c.rs) / (2 * n), 1e-9);
    EXPECT_NEAR(row.het, c.rs / n, 1e-9);
    // Closed-form maximum: the multinomial log-likelihood of the states.
    double maxLogL = 0.0;
    for (int count : {c.rr, c.rs, c.ss})
      if (count > 0) maxLogL += count * std::log(count / n);
    EXPECT_NEAR(row.maxLogL, maxLogL, 1e-9);
    // A state never seen makes every class that needs it impossible.
    for (int k = 0; k < kHybridClasses; ++k) {
      const ClassPoint p = classPoint(static_cast<HybridClass>(k));
      const test::StateWeights w = test::weightsOf(p.h, p.het);
      const bool possible = (c.rr == 0 || w.bothR > 0) && (c.rs == 0 || w.oneEach > 0) &&
                            (c.ss == 0 || w.bothS > 0);
      EXPECT_EQ(std::isinf(row.classLogL[k]), !possible) << "class " << k;
      EXPECT_FALSE(std::isnan(row.classLogL[k]));
      if (!possible) {
        EXPECT_NE(row.bestClass, k);
      }
    }
  }
}

TEST(JointEstimate, PureAndFirstGenerationIndividualsSitInTheirCorners) {
  const struct {
    int rr, rs, ss;
    double h, het;
    HybridClass kind;
  } cases[] = {{15, 0, 0, 1.0, 0.0, HybridClass::PureR},
               {0, 0, 15, 0.0, 0.0, HybridClass::PureS},
               {0, 15, 0, 0.5, 1.0, HybridClass::F1}};
  for (const auto& c : cases) {
    const JointEstimate row = studyJointIndividual(test::layOutJoint(diagnostic(c.rr, c.rs, c.ss, 0)));
    EXPECT_EQ(row.h, c.h);
    EXPECT_EQ(row.het, c.het);
    EXPECT_EQ(row.maxLogL, 0.0);
    EXPECT_EQ(row.bestClass, static_cast<int>(c.kind));
    EXPECT_TRUE(row.assigned);
    // The nearest rival (a backcross, or F2 for the F1) has half the weight
    // on the state seen at every locus.
    EXPECT_NEAR(row.classMargin, 15 * std::log(2.0), 1e-12);
    // The lower limit of H is cut at 0 for the pure ones; the F1's upper.
    EXPECT_EQ(row.hetCut[0], c.het == 0.0);
    EXPECT_EQ(row.hetCut[1], c.het == 1.0);
  }
}

TEST(JointEstimate, IndividualsWithoutInformationGetUndefinedRows) {
  const std::vector<std::vector<Locus>> cases = {
      {},                                                     // no loci
      {test::codominant(kMissing, kMissing, {0.5, 0.5}, {0.2, 0.8})},  // nothing seen
      {test::codominant(1, kMissing, {0.5, 0.5}, {0.2, 0.8})},          // half missing
      {test::codominant(1, 2, {0.5, 0.5}, {0.5, 0.5}), test::dominant(1, 0.4, 0.4)},  // flat
      {{'B', 1, 2, {0.5, 0.5}, {0.2, 0.8}}}};                // excluded locus
  for (std::size_t n = 0; n < cases.size(); ++n) {
    const JointEstimate row = studyJointIndividual(test::layOutJoint(cases[n]));
    SCOPED_TRACE(::testing::Message() << "case " << n);
    for (double x : {row.h, row.hLower, row.hUpper, row.het, row.hetLower, row.hetUpper,
                     row.maxLogL, row.lrStatistic, row.lrPValue, row.classMargin})
      EXPECT_TRUE(std::isnan(x));
    EXPECT_EQ(row.bestClass, -1);
    EXPECT_FALSE(row.assigned || row.hCut[0] || row.hCut[1] || row.hetCut[0] || row.hetCut[1]);
  }
}

TEST(JointEstimate, HybridIndexMaximumIsThatOfTheHybridIndexAnalysis) {
  std::mt19937_64 rng(5);
  for (int n = 0; n < 30; ++n) {
    const std::vector<Locus> loci = randomIndividual(rng, {0.2 + 0.02 * n, 0.3, 0.5 - 0.02 * n}, 30);
    test::Individual individual(loci);
    const double expected = individual.estimate();
    const CurveMaximum got = maximiseHybridIndex(test::layOutJoint(loci));
    // findmaxH stops at a bracket of 1e-06 and snaps to an end within it.
    EXPECT_NEAR(got.h, expected, 2e-6) << "individual " << n;
    EXPECT_NEAR(got.logL, individual.logL(expected), 1e-9) << "individual " << n;
    const JointEstimate row = studyJointIndividual(test::layOutJoint(loci));
    EXPECT_GE(row.maxLogL, got.logL - 1e-12);
    EXPECT_NEAR(row.lrStatistic, 2 * (row.maxLogL - got.logL), 1e-9);
    EXPECT_GT(row.lrPValue, 0.0);
    EXPECT_LE(row.lrPValue, 1.0);
  }
}

// Under the hybrid-index model (states drawn with weights h^2, 2h(1-h),
// (1-h)^2) the LR statistic is chi-square with one degree of freedom, so
// its p-value is uniform: about 5% fall below 0.05.
TEST(JointEstimate, ModelTestHoldsItsLevelUnderTheHybridIndexModel) {
  std::mt19937_64 rng(11);
  const int n = 600;
  int rejected = 0;
  for (int k = 0; k < n; ++k) {
    const double h = 0.3 + 0.4 * (k % 10) / 9.0;
    const std::vector<Locus> loci =
        randomIndividual(rng, {h * h, 2 * h * (1 - h), (1 - h) * (1 - h)}, 60);
    if (studyJointIndividual(test::layOutJoint(loci)).lrPValue < 0.05) ++rejected;
  }
  // Four binomial standard deviations around the nominal 5%.
  const double sd = std::sqrt(n * 0.05 * 0.95);
  EXPECT_LT(std::fabs(rejected - 0.05 * n), 4 * sd) << rejected << " of " << n;
}


// Very few loci leave ridges and flat directions; whatever the data, a
// found maximum lies in the triangle, is at least as high as every point of
// a grid over it, and lies between its limits, and nothing is NaN.
TEST(JointEstimate, FewLociNeverBreakTheSearch) {
  std::mt19937_64 rng(123);
  std::uniform_int_distribution<int> count(1, 5), kind(0, 8);
  int found = 0;
  for (int n = 0; n < 1500; ++n) {
    const test::StateWeights w = test::weightsOf(0.5, std::uniform_real_distribution<double>(0, 1)(rng));
    const test::StateWeights kinds[] = {{1, 0, 0}, {0, 0, 1}, {0, 1, 0}, w, w, w, w, w, w};
    const std::vector<Locus> loci = randomIndividual(rng, kinds[kind(rng)], count(rng));
    const JointEstimate row = studyJointIndividual(test::layOutJoint(loci));
    if (std::isnan(row.h)) continue;
    ++found;
    SCOPED_TRACE(::testing::Message() << "individual " << n);
    ASSERT_GE(row.het, 0.0);
    ASSERT_LE(row.het, 1.0);
    ASSERT_GE(row.h, row.het / 2 - 1e-15);
    ASSERT_LE(row.h, 1 - row.het / 2 + 1e-15);
    for (int j = 0; j <= 20; ++j)
      for (int i = 0; i <= 20; ++i) {
        const double het = j / 20.0, h = het / 2 + (1 - het) * i / 20.0;
        ASSERT_GE(row.maxLogL, test::referenceJointLogL(h, het, loci) - 1e-9) << h << ", " << het;
      }
    for (double x : {row.hLower, row.hUpper, row.hetLower, row.hetUpper, row.lrStatistic,
                     row.lrPValue, row.hybridIndexLogL})
      ASSERT_FALSE(std::isnan(x));
    EXPECT_LE(row.hLower, row.h);
    EXPECT_GE(row.hUpper, row.h);
    EXPECT_LE(row.hetLower, row.het);
    EXPECT_GE(row.hetUpper, row.het);
    for (double logL : row.classLogL) ASSERT_FALSE(std::isnan(logL));
  }
  EXPECT_GE(found, 1000);
}

}  // namespace
}  // namespace parmix
