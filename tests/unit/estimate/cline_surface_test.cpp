#include "estimate/cline_surface.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace parmix {
namespace {

ClineLocus randomLocus(int individuals, unsigned seed) {
  std::mt19937_64 draw(seed);
  std::uniform_real_distribution<double> unit(0.01, 0.99);
  ClineLocus locus;
  for (int i = 0; i < individuals; ++i) locus.addLikelihoodTerm(unit(draw), {unit(draw), unit(draw), unit(draw)});
  return locus;
}

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Whatever the order of the requests, repeated or not, every answer is the
// locus's own, and only points not kept cost a pass.
TEST(ClineSurface, GivesTheLocusOwnBitsAndPassesOnlyForNewPoints) {
  const ClineLocus locus = randomLocus(37, 4);
  ClineSurface surface(locus);
  const double points[][2] = {{0.0, 0.0}, {1.3, -0.4}, {-2.0, 3.1}, {4.6, 0.2}};
  std::uint64_t expected = 0;
  for (int round = 0; round < 3; ++round)
    for (const auto& p : points) {
      const ClineCurvature at = surface.curvature(p[0], p[1]);
      const ClineCurvature own = locus.curvature(p[0], p[1]);
      EXPECT_EQ(std::memcmp(&at, &own, sizeof at), 0);
      // The curvature's value stands for ln L at its point.
      EXPECT_TRUE(sameBits(surface.logLikelihood(std::exp(p[0]), p[1]), own.value));
      if (round == 0) ++expected;
      EXPECT_EQ(surface.passes(), expected);
    }
  const double value = surface.logLikelihood(2.5, 0.75);
  EXPECT_TRUE(sameBits(value, locus.logLikelihood(2.5, 0.75)));
  EXPECT_TRUE(sameBits(surface.logLikelihood(2.5, 0.75), value));
  EXPECT_EQ(surface.passes(), expected + 1);
  // -0 is its own point: the locus's answer, not the one kept for 0.
  surface.logLikelihood(1.0, -0.0);
  EXPECT_EQ(surface.passes(), expected + 2);
}

// Past what it keeps, the oldest points are passed over again, with the
// same bits.
TEST(ClineSurface, ForgetsTheOldestPointsFirst) {
  const ClineLocus locus = randomLocus(20, 9);
  ClineSurface surface(locus);
  for (int k = 0; k < 200; ++k) surface.logLikelihood(1.0 + k, 0.1);
  const std::uint64_t passes = surface.passes();
  EXPECT_EQ(passes, 200u);
  EXPECT_TRUE(sameBits(surface.logLikelihood(200.0, 0.1), locus.logLikelihood(200.0, 0.1)));
  EXPECT_EQ(surface.passes(), passes);
  EXPECT_TRUE(sameBits(surface.logLikelihood(1.0, 0.1), locus.logLikelihood(1.0, 0.1)));
  EXPECT_EQ(surface.passes(), passes + 1);
}

// One ranking serves every count, asked in any order: each answer is the
// locus's own.
TEST(ClineSurface, RanksTheStepsShelvesOnceForEveryCount) {
  const ClineLocus locus = randomLocus(300, 6);
  ClineSurface surface(locus);
  for (std::size_t count : {4u, 16u, 1u, 24u, 8u, 3u})
    EXPECT_EQ(surface.bestStepCentres(-6.9, 6.9, count), locus.bestStepCentres(-6.9, 6.9, count))
        << count;
  EXPECT_EQ(surface.bestStepCentres(-1.0, 2.0, 5), locus.bestStepCentres(-1.0, 2.0, 5));
}

}  // namespace
}  // namespace parmix
