#include "estimate/support_limits.hpp"

#include <gtest/gtest.h>

#include "support/one_individual.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "estimate/ml_estimate.hpp"
#include "input/data_set.hpp"
#include "model/likelihood.hpp"

namespace parmix {
namespace {

using test::Individual;
using test::Locus;
using test::codominant;
using test::dominant;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();




// The root solver stops once its bracket is narrower than 1e-06 times the
// limit itself, so that is how far a limit may sit from the true root.
double rootTolerance(double limit) { return 1e-6 * std::fabs(limit); }

// The root of f in [a, b] by plain bisection, f(a) and f(b) of opposite sign.
template <typename F>
double bisect(F f, double a, double b) {
  const bool riseToB = f(a) < 0.0;
  for (int i = 0; i < 200; ++i) {
    const double m = 0.5 * (a + b);
    if ((f(m) < 0.0) == riseToB)
      a = m;
    else
      b = m;
  }
  return 0.5 * (a + b);
}

// A frequency b close to 1/e for which 2 ln b comes out exactly -2.0, found
// by stepping ulp by ulp; 0.0 when there is none nearby.
double frequencyWithLogSquareOfMinusTwo() {
  double up = std::exp(-1.0);
  double down = up;
  for (int i = 0; i < 100000; ++i) {
    if (std::log(up * up) == -2.0) return up;
    if (std::log(down * down) == -2.0) return down;
    up = std::nextafter(up, 1.0);
    down = std::nextafter(down, 0.0);
  }
  return 0.0;
}

// ---------------------------------------------------------------------------

TEST(SupportLimits, HeterozygoteBetweenFixedParents) {
  Individual ind({codominant(1, 2, {1.0, 0.0}, {0.0, 1.0})});
  const double h = ind.estimate();
  ASSERT_NEAR(h, 0.5, 1e-6);
  const double maxLogL = ind.logL(h);
  EXPECT_NEAR(maxLogL, std::log(0.5), 1e-10);

  bool truncated[2] = {false, false};
  const double lower = ind.bound(maxLogL, h, 0, truncated);
  const double upper = ind.bound(maxLogL, h, 1, truncated);
  // 2 h (1 - h) = 0.5 e^-2, so h = (1 -+ sqrt(1 - e^-2)) / 2.
  const double d = std::sqrt(1.0 - std::exp(-2.0));
  EXPECT_NEAR(lower, (1.0 - d) / 2.0, rootTolerance(lower));
  EXPECT_NEAR(upper, (1.0 + d) / 2.0, rootTolerance(upper));
  EXPECT_NEAR(lower, 0.035063, 5e-7);
  EXPECT_NEAR(upper, 0.964937, 5e-7);
  EXPECT_FALSE(truncated[0]);
  EXPECT_FALSE(truncated[1]);
}

TEST(SupportLimits, PureRHomozygoteLowerLimitIsOneOverE) {
  // ln L = 2 ln h: estimate 1 with ln L = 0 there; 2 ln h = -2 at h = 1/e.
  Individual ind({codominant(1, 1, {1.0, 0.0}, {0.0, 1.0})});
  ASSERT_EQ(ind.estimate(), 1.0);
  const double maxLogL = ind.logL(1.0);
  ASSERT_EQ(maxLogL, 0.0);
  bool truncated[2] = {false, false};
  const double lower = ind.bound(maxLogL, 1.0, 0, truncated);
  EXPECT_NEAR(lower, std::exp(-1.0), rootTolerance(lower));
  EXPECT_NEAR(lower, 0.367879, 5e-7);
  EXPECT_FALSE(truncated[0]);
  EXPECT_FALSE(truncated[1]);
}

TEST(SupportLimits, LimitIsWhereTheLogLikelihoodHasFallenByTwo) {
  // ln(h (2 - h)) + 2 ln(1 - h), from a dominant phenotype whose allele is
  // fixed in R and absent from S and a homozygote for the S allele.  Its
  // optimum is 1 - sqrt(1/2); the limits come from bisecting the closed form.
  Individual ind({dominant(1, 1.0, 0.0), codominant(2, 2, {1.0, 0.0}, {0.0, 1.0})});
  auto closedForm = [](double h) { return std::log(h * (2.0 - h)) + 2.0 * std::log(1.0 - h); };
  const double h = ind.estimate();
  ASSERT_NEAR(h, 1.0 - std::sqrt(0.5), 1e-6);
  const double maxLogL = ind.logL(h);
  ASSERT_NEAR(maxLogL, closedForm(h), 1e-12);

  auto level = [&](double x) { return closedForm(x) - maxLogL + 2.0; };
  bool truncated[2] = {false, false};
  const double lower = ind.bound(maxLogL, h, 0, truncated);
  const double upper = ind.bound(maxLogL, h, 1, truncated);
  EXPECT_NEAR(lower, bisect(level, 1e-300, h), rootTolerance(lower));
  EXPECT_NEAR(upper, bisect(level, h, 1.0 - 1e-16), rootTolerance(upper));
  EXPECT_LT(lower, h);
  EXPECT_GT(upper, h);
  EXPECT_FALSE(truncated[0]);
  EXPECT_FALSE(truncated[1]);
}

TEST(SupportLimits, BothLimitsCutWhenTheDataBarelyDistinguishTheParents) {
  // ln L = 2 ln(0.5 + 0.1 h): estimate 1; at h = 0 it is only
  // 2 ln(0.5/0.6) = -0.365 below the maximum.
  Individual ind({codominant(1, 1, {0.6, 0.4}, {0.5, 0.5})});
  ASSERT_EQ(ind.estimate(), 1.0);
  const double maxLogL = ind.logL(1.0);
  EXPECT_NEAR(ind.ci(0.0, maxLogL), 2.0 * std::log(0.5 / 0.6) + 2.0, 1e-12);

  bool truncated[2] = {false, false};
  EXPECT_EQ(ind.bound(maxLogL, 1.0, 0, truncated), 0.0);
  EXPECT_TRUE(truncated[0]);
  // The lower search sets only its own flag; the upper one belongs to the
  // run when the estimate is exactly 1, and a search there cuts it as well.
  EXPECT_FALSE(truncated[1]);
  EXPECT_EQ(ind.bound(maxLogL, 1.0, 1, truncated), 1.0);
  EXPECT_TRUE(truncated[1]);
}

TEST(SupportLimits, ASearchNeverClearsAFlag) {
  Individual ind({codominant(1, 2, {1.0, 0.0}, {0.0, 1.0})});
  const double h = ind.estimate();
  const double maxLogL = ind.logL(h);
  bool clean[2] = {false, false};
  bool preset[2] = {true, true};
  EXPECT_EQ(ind.bound(maxLogL, h, 0, preset), ind.bound(maxLogL, h, 0, clean));
  EXPECT_EQ(ind.bound(maxLogL, h, 1, preset), ind.bound(maxLogL, h, 1, clean));
  EXPECT_TRUE(preset[0]);
  EXPECT_TRUE(preset[1]);
  EXPECT_FALSE(clean[0]);
  EXPECT_FALSE(clean[1]);
}

// ---------------------------------------------------------------------------
// Cases the root solver cannot be handed.  Each must come back with a limit
// or NaN; a GSL error would end the test program.

TEST(SupportLimitAtTheEnd, BarelyAboveTheLevelIsCut) {
  // With b = e^(-1 + 2.5e-07) in S and the allele fixed in R, ln L at h = 0
  // lies only about 5e-07 above the level, and the maximum is ln 1 = 0 at
  // h = 1.  No sign change is left between the end and the estimate.
  const double b = std::exp(-1.0 + 2.5e-7);
  Individual ind({codominant(1, 1, {1.0, 0.0}, {b, 1.0 - b})});
  ASSERT_EQ(ind.estimate(), 1.0);
  const double maxLogL = ind.logL(1.0);
  const double atEnd = ind.ci(0.0, maxLogL);
  ASSERT_GT(atEnd, 0.0);
  ASSERT_LE(atEnd, 1e-6);
  bool truncated[2] = {false, false};
  EXPECT_EQ(ind.bound(maxLogL, 1.0, 0, truncated), 0.0);
  EXPECT_TRUE(truncated[0]);
  EXPECT_FALSE(truncated[1]);

  // The mirror image, cut at h = 1.
  Individual mirror({codominant(1, 1, {b, 1.0 - b}, {1.0, 0.0})});
  ASSERT_EQ(mirror.estimate(), 0.0);
  const double mirrorMax = mirror.logL(0.0);
  ASSERT_GT(mirror.ci(1.0, mirrorMax), 0.0);
  ASSERT_LE(mirror.ci(1.0, mirrorMax), 1e-6);
  bool mirrorTruncated[2] = {false, false};
  EXPECT_EQ(mirror.bound(mirrorMax, 0.0, 1, mirrorTruncated), 1.0);
  EXPECT_TRUE(mirrorTruncated[1]);
  EXPECT_FALSE(mirrorTruncated[0]);
}

TEST(SupportLimitAtTheEnd, ExactlyAtTheLevelAtOneIsOneUncut) {
  const double b = frequencyWithLogSquareOfMinusTwo();
  ASSERT_GT(b, 0.0);
  Individual ind({codominant(1, 1, {b, 1.0 - b}, {1.0, 0.0})});
  ASSERT_EQ(ind.estimate(), 0.0);
  const double maxLogL = ind.logL(0.0);
  ASSERT_EQ(ind.ci(1.0, maxLogL), 0.0);
  bool truncated[2] = {false, false};
  EXPECT_EQ(ind.bound(maxLogL, 0.0, 1, truncated), 1.0);
  EXPECT_FALSE(truncated[1]);
}

// Exactly at the level the limit is the end itself.  At 0 a root solver could
// never confirm it: a relative interval test does not accept a bracket that
// touches zero.
TEST(SupportLimitAtTheEnd, ExactlyAtTheLevelAtZeroIsZeroUncut) {
  const double b = frequencyWithLogSquareOfMinusTwo();
  ASSERT_GT(b, 0.0);
  Individual ind({codominant(1, 1, {1.0, 0.0}, {b, 1.0 - b})});
  ASSERT_EQ(ind.estimate(), 1.0);
  const double maxLogL = ind.logL(1.0);
  ASSERT_EQ(ind.ci(0.0, maxLogL), 0.0);
  bool truncated[2] = {false, false};
  EXPECT_EQ(ind.bound(maxLogL, 1.0, 0, truncated), 0.0);
  EXPECT_FALSE(truncated[0]);
}

TEST(SupportLimitWithoutBracket, NaNEstimateOrMaximumGivesNaNAndLeavesFlags) {
  // Here h = 0 lies above the level for any sensible maximum, so a search
  // that went on would cut the limit and set the flag.
  Individual ind({codominant(1, 1, {0.6, 0.4}, {0.5, 0.5})});
  const double maxLogL = ind.logL(1.0);
  for (int direction : {0, 1}) {
    bool truncated[2] = {false, false};
    EXPECT_TRUE(std::isnan(ind.bound(maxLogL, kNaN, direction, truncated)));
    EXPECT_TRUE(std::isnan(ind.bound(kNaN, 0.5, direction, truncated)));
    EXPECT_TRUE(std::isnan(ind.bound(kNaN, kNaN, direction, truncated)));
    EXPECT_FALSE(truncated[0]);
    EXPECT_FALSE(truncated[1]);

    bool preset[2] = {true, true};
    EXPECT_TRUE(std::isnan(ind.bound(kNaN, kNaN, direction, preset)));
    EXPECT_TRUE(preset[0]);
    EXPECT_TRUE(preset[1]);
  }
}

TEST(SupportLimitWithoutBracket, ShiftedEndStillAboveTheLevelGivesNaN) {
  // ln L = 2 ln h is -infinity at 0, so the search runs from 1e-06, where
  // ln L = -27.6.  Against a maximum given as -30 that is still above the
  // level -32: no sign change anywhere.
  Individual ind({codominant(1, 1, {1.0, 0.0}, {0.0, 1.0})});
  ASSERT_GT(ind.ci(1e-6, -30.0), 0.0);
  ASSERT_LT(ind.ci(0.0, -30.0), 0.0);
  bool truncated[2] = {false, false};
  EXPECT_TRUE(std::isnan(ind.bound(-30.0, 1.0, 0, truncated)));
  EXPECT_FALSE(truncated[0]);
  EXPECT_FALSE(truncated[1]);
}

TEST(SupportLimitWithoutBracket, MaximumAboveTheSurfaceGivesNaN) {
  // A maximum 5 log units above the true one: ciFunction is negative at both
  // ends of either search.
  Individual ind({codominant(1, 2, {1.0, 0.0}, {0.0, 1.0})});
  const double maxLogL = std::log(0.5) + 5.0;
  bool truncated[2] = {false, false};
  EXPECT_TRUE(std::isnan(ind.bound(maxLogL, 0.5, 0, truncated)));
  EXPECT_TRUE(std::isnan(ind.bound(maxLogL, 0.5, 1, truncated)));
  EXPECT_FALSE(truncated[0]);
  EXPECT_FALSE(truncated[1]);
}

TEST(SupportLimitWithoutBracket, EstimateOutsideTheShiftedIntervalGivesNaN) {
  // ln L = ln(2 h (1 - h)) is -infinity at both ends, so the searches start
  // from 1e-06 and 1 - 1e-06; an estimate beyond those leaves lower > upper.
  Individual ind({codominant(1, 2, {1.0, 0.0}, {0.0, 1.0})});
  bool truncated[2] = {false, false};
  EXPECT_TRUE(std::isnan(ind.bound(ind.logL(1e-7), 1e-7, 0, truncated)));
  EXPECT_TRUE(std::isnan(ind.bound(ind.logL(1.0 - 1e-7), 1.0 - 1e-7, 1, truncated)));
  EXPECT_TRUE(std::isnan(ind.bound(std::log(0.5), 1.5, 1, truncated)));
  EXPECT_TRUE(std::isnan(ind.bound(std::log(0.5), -0.5, 0, truncated)));
  EXPECT_FALSE(truncated[0]);
  EXPECT_FALSE(truncated[1]);
}

TEST(SupportLimitWithoutBracket, NonFiniteValuesMetByTheSolverGiveNaN) {
  // Frequencies outside [0, 1] (which the data checks keep out) make the
  // last heterozygote 2 (h - 0.4)(h - 0.6): its log is NaN on (0.4, 0.6).
  // The two homozygotes raise ln L(1) 4 ln 9 = 8.79 above ln L(0).  With a
  // maximum given 2 above their mean, ciFunction is -4.39 at 0 and +4.39 at
  // 1, so the solver's first point, by bisection or secant alike, is 0.5: in
  // the hole.
  const Locus informative = codominant(1, 1, {0.9, 0.1}, {0.1, 0.9});
  Individual ind({informative, informative, codominant(1, 2, {0.6, 0.4}, {-0.4, -0.6})});
  const double maxLogL = 0.5 * (ind.logL(0.0) + ind.logL(1.0)) + 2.0;
  ASSERT_NEAR(ind.ci(0.0, maxLogL), -2.0 * std::log(9.0), 1e-9);
  ASSERT_NEAR(ind.ci(1.0, maxLogL), 2.0 * std::log(9.0), 1e-9);
  ASSERT_TRUE(std::isnan(ind.ci(0.5, maxLogL)));
  // A solver that took the guarded values at face value would settle near
  // the edge of the hole at 0.4, where ln L is -infinity.
  bool truncated[2] = {false, false};
  EXPECT_TRUE(std::isnan(ind.bound(maxLogL, 1.0, 0, truncated)));
  EXPECT_FALSE(truncated[0]);
}

TEST(SupportLimitWithoutBracket, UnderflowInsideTheIntervalNeverReachesTheSolver) {
  // (1e-200 h)^2 underflows to 0 for every h: ln L is -infinity throughout.
  Individual everywhere({codominant(1, 1, {1e-200, 1.0 - 1e-200}, {0.0, 1.0})});
  bool truncated[2] = {false, false};
  EXPECT_TRUE(std::isnan(everywhere.bound(0.0, 0.5, 0, truncated)));
  EXPECT_TRUE(std::isnan(everywhere.bound(0.0, 0.5, 1, truncated)));
  EXPECT_TRUE(std::isnan(everywhere.bound(-1000.0, 1.0, 0, truncated)));
  EXPECT_FALSE(truncated[0]);
  EXPECT_FALSE(truncated[1]);

  // (1e-157 h)^2 underflows only for h below about 1.6e-05, past the shifted
  // end 1e-06.  The true limit, 2 ln h = -2 at h = 1/e, lies where ln L is
  // finite; with only nine significant digits left in the subnormal square,
  // it comes out within 1e-05 when it is found at all.
  // ln L rises to h = 1, the estimate the pre-search gives.
  Individual nearEnd({codominant(1, 1, {1e-157, 1.0 - 1e-157}, {0.0, 1.0})});
  const double maxLogL = nearEnd.logL(1.0);
  ASSERT_TRUE(std::isfinite(maxLogL));
  ASSERT_EQ(nearEnd.logL(1e-6), -std::numeric_limits<double>::infinity());
  const double lower = nearEnd.bound(maxLogL, 1.0, 0, truncated);
  EXPECT_TRUE(std::isnan(lower) || std::fabs(lower - std::exp(-1.0)) < 1e-5) << lower;
  EXPECT_FALSE(truncated[0]);
}

}  // namespace
}  // namespace parmix
