#include "estimate/ml_estimate.hpp"

#include <gsl/gsl_errno.h>
#include <gsl/gsl_min.h>

#include <cmath>
#include <limits>

#include "estimate/gsl_support.hpp"
#include "estimate/layout_objective.hpp"
#include "estimate/objective_searches.hpp"

namespace parmix {

namespace {

constexpr double kTolerance = 1e-06;
constexpr int kIterationLimit = 10000;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// What gsl_min_fminimizer_set demands; checked so GSL never has to refuse.
bool enclosesMinimum(double lower, double guess, double upper, gsl_function& F) {
  if (!(lower < guess && guess < upper)) return false;
  const double fl = evaluateAt(F, lower);
  const double fg = evaluateAt(F, guess);
  const double fu = evaluateAt(F, upper);
  if (!std::isfinite(fl) || !std::isfinite(fg) || !std::isfinite(fu)) return false;
  return fg < fl && fg < fu;
}

double minimiseInBracket(gsl_function F, double guess, double lower, double upper) {
  GuardedObjective objective(F);
  MinimizerPtr minimizer(gsl_min_fminimizer_alloc(gsl_min_fminimizer_brent));
  gsl_min_fminimizer_set(minimizer.get(), objective.function(), guess, lower, upper);
  int iterations = 0;
  int status;
  do {
    ++iterations;
    gsl_min_fminimizer_iterate(minimizer.get());
    guess = gsl_min_fminimizer_x_minimum(minimizer.get());
    lower = gsl_min_fminimizer_x_lower(minimizer.get());
    upper = gsl_min_fminimizer_x_upper(minimizer.get());
    status = gsl_min_test_interval(lower, upper, kTolerance, 0.0);
  } while (status == GSL_CONTINUE && iterations < kIterationLimit);
  if (iterations == kIterationLimit || objective.sawNonFinite()) return kNaN;
  return guess;
}

}  // namespace

void initVariables(double& lower, double& upper, gsl_function& F) {
  if (gsl_isinf(evaluateAt(F, lower))) lower += kTolerance;
  if (gsl_isinf(evaluateAt(F, upper))) upper -= kTolerance;
}

int testSurface(int** indGenotype, double** freqR, double** freqS, char* locusType, int nLoci,
                IndividualContext* context) {
  IndividualContext own;
  LayoutObjective objective(
      contextFor(context, own, indGenotype, freqR, freqS, locusType, nLoci));
  gsl_function F = objective.negated();
  return isFlatOn(F);
}

int isFlatOn(gsl_function& F) {
  double lower = 0.0;
  double upper = 1.0;
  initVariables(lower, upper, F);
  const double fl = evaluateAt(F, lower);
  const double fm = evaluateAt(F, 0.5);
  const double fu = evaluateAt(F, upper);
  return (std::fabs(fl - fm) < kTolerance || std::fabs(fu - fm) < kTolerance) ? 1 : 0;
}

int findMinEstimate(double& lower, double& upper, double& guess, gsl_function& F) {
  double fl = evaluateAt(F, lower);
  double fu = evaluateAt(F, upper);
  double fg = evaluateAt(F, guess);
  while ((fl < fg || fu < fg) && std::fabs(lower - upper) > kTolerance) {
    if (fl > fg) {
      lower = guess;
      fl = fg;
    } else {
      upper = guess;
      fu = fg;
    }
    guess = (lower + upper) / 2.0;
    fg = evaluateAt(F, guess);
  }
  if (std::fabs(lower - upper) <= kTolerance) {
    guess = guess > 0.5 ? 1.0 : 0.0;
    return 1;
  }
  return 0;
}

double findmaxH(int** indGenotype, double** freqR, double** freqS, char* locusType, int nLoci,
                IndividualContext* context) {
  IndividualContext own;
  LayoutObjective objective(
      contextFor(context, own, indGenotype, freqR, freqS, locusType, nLoci));
  gsl_function F = objective.negated();
  return maximumOn(F);
}

double maximumOn(gsl_function& F, const SlopeObjective* slopes) {
  double guess = 0.5;
  double lower = 0.0;
  double upper = 1.0;
  initVariables(lower, upper, F);
  if (findMinEstimate(lower, upper, guess, F) == 1) return guess;
  // A guess tied in value with an end (or any other non-bracket) cannot be
  // handed to the minimiser; such an individual is reported as undefined.
  if (!enclosesMinimum(lower, guess, upper, F)) return kNaN;
  if (slopes != nullptr) {
    const double h = newtonMaximum(*slopes, lower, guess, upper);
    // A local maximum that is not below the guess's value is the one
    // Brent's minimiser closes in on from the same bracket.
    if (h > lower && h < upper && evaluateAt(F, h) <= evaluateAt(F, guess)) return h;
  }
  return minimiseInBracket(F, guess, lower, upper);
}

}  // namespace parmix
