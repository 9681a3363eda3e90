#include "estimate/support_limits.hpp"

#include <gsl/gsl_errno.h>
#include <gsl/gsl_roots.h>

#include <cmath>
#include <limits>

#include "estimate/gsl_support.hpp"
#include "estimate/ml_estimate.hpp"
#include "estimate/layout_objective.hpp"
#include "estimate/objective_searches.hpp"

namespace parmix {

namespace {

constexpr double kSupportDrop = 2.0;
constexpr double kTolerance = 1e-06;
constexpr int kIterationLimit = 10000;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// What gsl_root_fsolver_set demands: finite ends, in order, not of one sign.
bool straddlesZero(double lower, double upper, gsl_function& F) {
  if (!(lower <= upper)) return false;
  const double fl = evaluateAt(F, lower);
  const double fu = evaluateAt(F, upper);
  if (!std::isfinite(fl) || !std::isfinite(fu)) return false;
  return !((fl < 0.0 && fu < 0.0) || (fl > 0.0 && fu > 0.0));
}

double solveInBracket(gsl_function F, double lower, double upper) {
  GuardedObjective objective(F);
  RootSolverPtr solver(gsl_root_fsolver_alloc(gsl_root_fsolver_brent));
  gsl_root_fsolver_set(solver.get(), objective.function(), lower, upper);
  int iterations = 0;
  int status;
  double limit;
  do {
    ++iterations;
    gsl_root_fsolver_iterate(solver.get());
    limit = gsl_root_fsolver_root(solver.get());
    lower = gsl_root_fsolver_x_lower(solver.get());
    upper = gsl_root_fsolver_x_upper(solver.get());
    status = gsl_root_test_interval(lower, upper, 0.0, kTolerance);
  } while (status == GSL_CONTINUE && iterations < kIterationLimit);
  if (iterations == kIterationLimit || objective.sawNonFinite()) return kNaN;
  return limit;
}

// The level by Newton's method from where a parabola through the estimate
// with its curvature there reaches it.  An end exactly at the level is left
// to the root solver, as without derivatives.
double levelByNewton(const SlopeObjective& slopes, gsl_function& ciF, double maxLogL,
                     double hEstimate, int side, double lower, double upper) {
  const double atLower = evaluateAt(ciF, lower);
  const double atUpper = evaluateAt(ciF, upper);
  if (atLower == 0.0 || atUpper == 0.0) return kNaN;
  const double curvature = slopes.at(slopes.params, hEstimate, false).curvature;
  const double start = parabolicLimit(hEstimate, curvature, kSupportDrop, side);
  return newtonLevel(slopes, maxLogL, kSupportDrop, lower, upper, atLower < 0.0, start);
}

}  // namespace

double findBound(int** indGenotype, double** freqR, double** freqS, char* locusType, int nLoci,
                 double maxLogL, double hEstimate, int direction, bool* truncated,
                 IndividualContext* context) {
  if (std::isnan(hEstimate) || std::isnan(maxLogL)) return kNaN;
  IndividualContext own;
  LayoutObjective objective(
      contextFor(context, own, indGenotype, freqR, freqS, locusType, nLoci));
  gsl_function maxF = objective.negated();
  gsl_function ciF = objective.shifted(maxLogL, kSupportDrop);
  return boundOn(maxF, ciF, maxLogL, hEstimate, direction, truncated);
}

double boundOn(gsl_function& maxF, gsl_function& ciF, double maxLogL, double hEstimate,
               int direction, bool* truncated, const SlopeObjective* slopes) {
  if (std::isnan(hEstimate) || std::isnan(maxLogL)) return kNaN;
  const int side = direction == 0 ? 0 : 1;
  const double end = side == 0 ? 0.0 : 1.0;
  double lower = side == 0 ? 0.0 : hEstimate;
  double upper = side == 0 ? hEstimate : 1.0;
  initVariables(lower, upper, maxF);

  // Still above the support level at the very end: the limit is cut there.
  // Any positive value counts, not only those above the tolerance, since a
  // value in (0, 1e-06] leaves no sign change for the solver to work on.
  const double atEnd = evaluateAt(ciF, end);
  if (atEnd > 0.0) {
    truncated[side] = true;
    return end;
  }
  // The level is reached exactly at the end: that is the limit, uncut.  The
  // solver could not confirm it at 0, where a relative tolerance never
  // accepts a bracket that touches zero.
  if (atEnd == 0.0) return end;
  if (!straddlesZero(lower, upper, ciF)) return kNaN;
  if (slopes != nullptr) {
    const double limit = levelByNewton(*slopes, ciF, maxLogL, hEstimate, side, lower, upper);
    if (!std::isnan(limit)) return limit;
  }
  return solveInBracket(ciF, lower, upper);
}

}  // namespace parmix
