#include "estimate/ml_estimate.hpp"

#include <gtest/gtest.h>

#include "support/one_individual.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "estimate/gsl_support.hpp"
#include "input/data_set.hpp"
#include "model/likelihood.hpp"

namespace parmix {
namespace {

using test::Individual;
using test::Locus;
using test::codominant;
using test::dominant;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// The minimiser stops once its bracket is narrower than 1e-06 and the
// bracket holds the optimum of a unimodal objective.
constexpr double kEstimateTolerance = 1e-6;




// Hand-made objectives, for the parts of the search that take any function.
using Objective = double (*)(double, void*);
gsl_function handMade(Objective f) { return {f, nullptr}; }

// ---------------------------------------------------------------------------

TEST(MaxLikelihoodEstimate, PureRHomozygoteIsExactlyOne) {
  // ln L = 2 ln h rises all the way to h = 1.
  Individual ind({codominant(1, 1, {1.0, 0.0}, {0.0, 1.0})});
  EXPECT_EQ(ind.estimate(), 1.0);
}

TEST(MaxLikelihoodEstimate, GenotypeCommonInSIsExactlyZero) {
  Individual ind({codominant(2, 2, {0.9, 0.1}, {0.1, 0.9})});
  EXPECT_EQ(ind.estimate(), 0.0);
}

TEST(MaxLikelihoodEstimate, RecessiveWithDominantAlleleFixedInRIsExactlyZero) {
  // q = 0.7 (1 - h): impossible at h = 1, best at h = 0.
  Individual ind({dominant(0, 1.0, 0.3)});
  EXPECT_EQ(ind.estimate(), 0.0);
}

TEST(MaxLikelihoodEstimate, HeterozygoteBetweenFixedParentsIsOneHalf) {
  // ln L = ln(2 h (1 - h)), infinite at both ends.
  Individual ind({codominant(1, 2, {1.0, 0.0}, {0.0, 1.0})});
  EXPECT_NEAR(ind.estimate(), 0.5, kEstimateTolerance);
}

TEST(MaxLikelihoodEstimate, InteriorOptimaMatchClosedForms) {
  const std::vector<double> r = {1.0, 0.0};
  const std::vector<double> s = {0.0, 1.0};
  // 4 ln h + 2 ln(1 - h): optimum at 2/3.
  Individual codominantOnly(
      {codominant(1, 1, r, s), codominant(1, 1, r, s), codominant(2, 2, r, s)});
  EXPECT_NEAR(codominantOnly.estimate(), 2.0 / 3.0, kEstimateTolerance);

  // Dominant phenotype with the allele fixed in R and absent from S, plus a
  // pure-S homozygote: ln(h (2 - h)) + 2 ln(1 - h), whose derivative vanishes
  // where h^2 - 2h + 1/2 = 0, at h = 1 - sqrt(1/2).
  Individual mixed({dominant(1, 1.0, 0.0), codominant(2, 2, r, s)});
  EXPECT_NEAR(mixed.estimate(), 1.0 - std::sqrt(0.5), kEstimateTolerance);

  // Missing and excluded loci change nothing.
  Individual padded({codominant(kMissing, 2, r, s), dominant(1, 1.0, 0.0),
                     Locus{'B', 1, 1, r, s}, codominant(2, 2, r, s), dominant(kMissing, 0.5, 0.1)});
  EXPECT_NEAR(padded.estimate(), 1.0 - std::sqrt(0.5), kEstimateTolerance);
}

// ---------------------------------------------------------------------------

// Three weakly differentiated loci (W, A, B).  `weak` is typed only at W,
// where allele 1 is 0.5002 in R and 0.5 in S: ln L = 2 ln(0.5 + 0.0002 h)
// rises by 0.0004 from 0 to 0.5, so the surface is not flat and the
// estimate is the end h = 1.  `nearZero` is 1/1 at A and B:
// d ln L / dh = 0.4 / (0.4 + 0.2 h) - 0.49999 / (0.5 - 0.249995 h) = 0 at
// h = 0.000002 / 0.099998 = 2.00004e-05, inside (0, 1) by far more than
// the minimiser's tolerance: an estimate snapped to 0 would be wrong.
std::vector<Locus> weakLoci(int w, int a, int b) {
  const int na = kMissing;
  return {codominant(w, w == na ? na : w, {0.5002, 0.4998}, {0.5, 0.5}),
          codominant(a, a == na ? na : a, {0.6, 0.4}, {0.4, 0.6}),
          codominant(b, b == na ? na : b, {0.250005, 0.749995}, {0.5, 0.5})};
}

TEST(WeakLoci, AnInteriorEstimateCloseToAnEndIsNotCutToIt) {
  Individual nearZero(weakLoci(kMissing, 1, 1));
  EXPECT_EQ(nearZero.flat(), 0);
  EXPECT_NEAR(nearZero.estimate(), 2.00004e-05, kEstimateTolerance);
  EXPECT_GT(nearZero.estimate(), 1e-05);  // reported 0.00002, never 0.00000
}

TEST(WeakLoci, AWeaklyInformativeIndividualIsNotFlat) {
  Individual weak(weakLoci(1, kMissing, kMissing));
  EXPECT_EQ(weak.flat(), 0);
  EXPECT_EQ(weak.estimate(), 1.0);
}

TEST(InitVariables, MovesInfiniteEndsInwardByTheShift) {
  gsl_function F = handMade([](double h, void*) { return (h == 0.0 || h == 1.0) ? kInf : h; });
  double lower = 0.0;
  double upper = 1.0;
  initVariables(lower, upper, F);
  EXPECT_EQ(lower, 1e-6);
  EXPECT_EQ(upper, 1.0 - 1e-6);
}

TEST(InitVariables, MinusInfinityCountsAsInfinite) {
  gsl_function F = handMade([](double h, void*) { return h == 0.0 ? -kInf : 0.0; });
  double lower = 0.0;
  double upper = 1.0;
  initVariables(lower, upper, F);
  EXPECT_EQ(lower, 1e-6);
  EXPECT_EQ(upper, 1.0);

  gsl_function G = handMade([](double h, void*) { return h == 1.0 ? -kInf : 0.0; });
  lower = 0.0;
  upper = 1.0;
  initVariables(lower, upper, G);
  EXPECT_EQ(lower, 0.0);
  EXPECT_EQ(upper, 1.0 - 1e-6);
}

TEST(InitVariables, EachEndMovesOnlyOnce) {
  // Still infinite after the move: the end stays where the one shift put it.
  gsl_function F = handMade([](double h, void*) { return (h < 0.25 || h > 0.75) ? kInf : 0.0; });
  double lower = 0.0;
  double upper = 1.0;
  initVariables(lower, upper, F);
  EXPECT_EQ(lower, 1e-6);
  EXPECT_EQ(upper, 1.0 - 1e-6);
  // The shift is relative to wherever the end starts.
  double lower2 = 0.2;
  double upper2 = 0.9;
  initVariables(lower2, upper2, F);
  EXPECT_EQ(lower2, 0.2 + 1e-6);
  EXPECT_EQ(upper2, 0.9 - 1e-6);
}

TEST(InitVariables, FiniteAndNaNEndsStay) {
  gsl_function finite = handMade([](double h, void*) { return h * h; });
  gsl_function nan = handMade([](double, void*) { return kNaN; });
  for (gsl_function* F : {&finite, &nan}) {
    double lower = 0.0;
    double upper = 1.0;
    initVariables(lower, upper, *F);
    EXPECT_EQ(lower, 0.0);
    EXPECT_EQ(upper, 1.0);
  }
}

// ---------------------------------------------------------------------------

TEST(FindMinEstimate, SnapsToTheEndTheObjectiveFallsTowards) {
  gsl_function down = handMade([](double h, void*) { return -h; });
  double lower = 0.0, upper = 1.0, guess = 0.5;
  EXPECT_EQ(findMinEstimate(lower, upper, guess, down), 1);
  EXPECT_EQ(guess, 1.0);
  EXPECT_LE(upper - lower, 1e-6);

  gsl_function up = handMade([](double h, void*) { return h; });
  lower = 0.0, upper = 1.0, guess = 0.5;
  EXPECT_EQ(findMinEstimate(lower, upper, guess, up), 1);
  EXPECT_EQ(guess, 0.0);
  EXPECT_LE(upper - lower, 1e-6);
}

TEST(FindMinEstimate, GuessAtExactlyOneHalfSnapsToZero) {
  // An interval already no wider than 1e-06: no bisection, only the snap.
  gsl_function F = handMade([](double h, void*) { return h; });
  double lower = 0.4999996, upper = 0.5000004, guess = 0.5;
  EXPECT_EQ(findMinEstimate(lower, upper, guess, F), 1);
  EXPECT_EQ(guess, 0.0);

  lower = 0.4999996, upper = 0.5000004, guess = 0.5000001;
  EXPECT_EQ(findMinEstimate(lower, upper, guess, F), 1);
  EXPECT_EQ(guess, 1.0);
}

TEST(FindMinEstimate, BracketsAnInteriorMinimum) {
  gsl_function F = handMade([](double h, void*) { return (h - 0.9) * (h - 0.9); });
  double lower = 0.0, upper = 1.0, guess = 0.5;
  ASSERT_EQ(findMinEstimate(lower, upper, guess, F), 0);
  EXPECT_LT(lower, guess);
  EXPECT_LT(guess, upper);
  EXPECT_LT(lower, 0.9);
  EXPECT_GT(upper, 0.9);
  EXPECT_LE(evaluateAt(F, guess), evaluateAt(F, lower));
  EXPECT_LE(evaluateAt(F, guess), evaluateAt(F, upper));
  // Halving towards the optimum leaves the bracket well short of [0, 1].
  EXPECT_GE(lower, 0.5);
}

TEST(FindMinEstimate, StopsOnAGuessTiedWithAnEnd) {
  // Constant on [0, 0.5]: the first guess is not worse than either end, so
  // the search stops with a bracket that is not strict.
  gsl_function F = handMade([](double h, void*) { return h <= 0.5 ? 0.0 : h - 0.5; });
  double lower = 0.0, upper = 1.0, guess = 0.5;
  EXPECT_EQ(findMinEstimate(lower, upper, guess, F), 0);
  EXPECT_EQ(guess, 0.5);
  EXPECT_EQ(evaluateAt(F, guess), evaluateAt(F, lower));
}

// ---------------------------------------------------------------------------

TEST(FlatSurface, NoUsableDataIsFlat) {
  const std::vector<double> r = {0.8, 0.2};
  const std::vector<double> s = {0.1, 0.9};
  Individual allMissing({codominant(kMissing, kMissing, r, s), dominant(kMissing, 0.7, 0.1)});
  EXPECT_EQ(allMissing.flat(), 1);

  Individual allExcluded({Locus{'B', 1, 1, r, s}, Locus{'B', 1, kMissing, {0.7}, {0.1}}});
  EXPECT_EQ(allExcluded.flat(), 1);

  Individual halfMissing({codominant(1, kMissing, r, s), codominant(kMissing, 2, r, s),
                          codominant(2, kMissing, {1.0, 0.0}, {0.0, 1.0})});
  EXPECT_EQ(halfMissing.flat(), 1);
}

TEST(FlatSurface, InformativeIndividualsAreNotFlat) {
  Individual het({codominant(1, 2, {1.0, 0.0}, {0.0, 1.0})});
  EXPECT_EQ(het.flat(), 0);
  Individual hom({codominant(1, 1, {1.0, 0.0}, {0.0, 1.0})});
  EXPECT_EQ(hom.flat(), 0);
  Individual dom({dominant(0, 0.9, 0.2)});
  EXPECT_EQ(dom.flat(), 0);
}

TEST(FlatSurface, OneEndLevelWithTheMiddleCountsAsFlat) {
  // 2 (0.25 + h/2)(1 - h)/2: equal to 0.25 at h = 0 and at h = 0.5, with its
  // maximum at 0.25 in between.  One side level with the middle is enough.
  Individual lowSide({codominant(1, 2, {0.75, 0.0, 0.25}, {0.25, 0.5, 0.25})});
  EXPECT_EQ(lowSide.flat(), 1);
  // The same with R and S exchanged: the upper end is level with the middle.
  Individual highSide({codominant(1, 2, {0.25, 0.5, 0.25}, {0.75, 0.0, 0.25})});
  EXPECT_EQ(highSide.flat(), 1);
}

TEST(FlatSurface, NaNDifferencesAreNotFlat) {
  // Unknown locus type: NaN everywhere.
  Individual unknown({Locus{'Q', 1, 1, {0.5, 0.5}, {0.2, 0.8}}});
  EXPECT_EQ(unknown.flat(), 0);
  // p^2 underflows to 0 for every h: ln L = -infinity throughout and the
  // differences are infinity minus infinity.
  Individual underflow({codominant(1, 1, {1e-200, 1.0 - 1e-200}, {0.0, 1.0})});
  EXPECT_EQ(underflow.flat(), 0);
}

// ---------------------------------------------------------------------------
// Surfaces the minimiser cannot be handed.  Each case must come back with a
// finite estimate or NaN; a GSL error would end the test program.

TEST(EstimateWithoutBracket, TieWithAnEndIsUndefined) {
  // 2 (h/2)(3h/16 + 7(1 - h)/16): at h = 0.75 and at h = 1 the product is
  // exactly 0.1875 in binary arithmetic, while the maximum lies at 0.875.
  // The surface is not flat, so the run would try to estimate it.
  Individual ind({codominant(1, 2, {0.5, 0.1875, 0.3125}, {0.0, 0.4375, 0.5625})});
  ASSERT_EQ(ind.flat(), 0);

  // The pre-search moves lower to 0.5 and then stops on a guess tied with
  // the upper end.
  gsl_function F = ind.objective();
  double lower = 0.0, upper = 1.0, guess = 0.5;
  initVariables(lower, upper, F);
  ASSERT_EQ(findMinEstimate(lower, upper, guess, F), 0);
  EXPECT_EQ(lower, 0.5);
  EXPECT_EQ(guess, 0.75);
  EXPECT_EQ(upper, 1.0);
  EXPECT_EQ(evaluateAt(F, guess), evaluateAt(F, upper));

  EXPECT_TRUE(std::isnan(ind.estimate()));
}

TEST(EstimateWithoutBracket, TieAtTheFirstGuessIsUndefined) {
  // Level at h = 0 and h = 0.5 (the flat-surface case above): the run skips
  // it, but the estimator on its own must not fail either.
  Individual ind({codominant(1, 2, {0.75, 0.0, 0.25}, {0.25, 0.5, 0.25})});
  EXPECT_TRUE(std::isnan(ind.estimate()));
}

TEST(EstimateWithoutBracket, NonFiniteSurfacesGiveNaN) {
  Individual unknown({Locus{'Q', 1, 1, {0.5, 0.5}, {0.2, 0.8}}});
  EXPECT_TRUE(std::isnan(unknown.estimate()));

  Individual underflow({codominant(1, 1, {1e-200, 1.0 - 1e-200}, {0.0, 1.0})});
  EXPECT_TRUE(std::isnan(underflow.estimate()));

  Individual nanFrequency({codominant(1, 2, {kNaN, 0.5}, {0.5, 0.5})});
  EXPECT_TRUE(std::isnan(nanFrequency.estimate()));

  // Inadmissible frequencies make the heterozygote probability negative
  // over part of [0, 1] and its log NaN there.
  Individual negative({codominant(1, 2, {1.2, -0.2}, {-0.1, 1.1})});
  const double h = negative.estimate();
  EXPECT_TRUE(std::isnan(h) || (h >= 0.0 && h <= 1.0)) << h;
}

TEST(EstimateWithoutBracket, NonFiniteValuesMetByTheMinimiserGiveNaN) {
  // Frequencies outside [0, 1] (which the data checks keep out) make the
  // last heterozygote 2 (h - 0.37)(h - 0.39): negative, so its log NaN, on
  // (0.37, 0.39), and finite at 0, 0.5 and 1.  The four informative loci put
  // the best of those three at 0.5, so the pre-search hands the minimiser
  // the bracket (0, 0.5, 1) at once, and the minimiser's first point, the
  // golden section 0.382, lies in the hole.
  const Locus informative = codominant(1, 2, {0.9, 0.1}, {0.1, 0.9});
  Individual ind({informative, informative, informative, informative,
                  codominant(1, 2, {0.63, 0.61}, {-0.37, -0.39})});
  gsl_function F = ind.objective();
  double lower = 0.0, upper = 1.0, guess = 0.5;
  initVariables(lower, upper, F);
  ASSERT_EQ(findMinEstimate(lower, upper, guess, F), 0);
  ASSERT_EQ(lower, 0.0);
  ASSERT_EQ(upper, 1.0);
  ASSERT_TRUE(std::isnan(evaluateAt(F, 0.382)));

  // A minimiser run that has met a non-finite value is not trusted.
  EXPECT_TRUE(std::isnan(ind.estimate()));
}

TEST(EstimateWithoutBracket, UnderflowNearOneEndNeverReachesTheMinimiser) {
  // (1e-157 h)^2 underflows to 0 for h below about 1.6e-05, so ln L is
  // -infinity at the shifted end h = 1e-06 and a little beyond.
  const std::vector<double> r = {1e-157, 1.0 - 1e-157};
  const std::vector<double> s = {0.0, 1.0};
  Individual rising({codominant(1, 1, r, s)});
  const double h1 = rising.estimate();
  EXPECT_TRUE(std::isnan(h1) || h1 == 1.0) << h1;

  // A second locus pulls the optimum inside: 2 ln h + 2 ln(0.9 - 0.8 h) is
  // greatest at h = 0.5625.  At that h the squared frequency is still a
  // subnormal with about nine significant digits, which leaves the optimum
  // within 1e-05.
  Individual inner({codominant(1, 1, r, s), codominant(2, 2, {0.9, 0.1}, {0.1, 0.9})});
  const double h2 = inner.estimate();
  EXPECT_TRUE(std::isnan(h2) || std::fabs(h2 - 0.5625) < 1e-5) << h2;
}

}  // namespace
}  // namespace parmix
