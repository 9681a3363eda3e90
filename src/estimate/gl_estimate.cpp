#include "estimate/gl_estimate.hpp"

#include <gsl/gsl_errno.h>
#include <gsl/gsl_min.h>
#include <gsl/gsl_roots.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "estimate/gsl_support.hpp"
#include "estimate/ml_estimate.hpp"

namespace parmix {

namespace {

constexpr double kTolerance = 1e-06;
constexpr double kSupportDrop = 2.0;
constexpr int kIterationLimit = 10000;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The minimiser accepts only a guess strictly inside and strictly below
// both ends, all finite.
bool enclosesMinimum(double lower, double guess, double upper, gsl_function& F) {
  if (!(lower < guess && guess < upper)) return false;
  const double fl = evaluateAt(F, lower);
  const double fg = evaluateAt(F, guess);
  const double fu = evaluateAt(F, upper);
  if (!std::isfinite(fl) || !std::isfinite(fg) || !std::isfinite(fu)) return false;
  return fg < fl && fg < fu;
}

double minimiseInBracket(gsl_function& F, double guess, double lower, double upper) {
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

// The root solver accepts finite ends, in order, not of one sign.
bool straddlesZero(double lower, double upper, gsl_function& F) {
  if (!(lower <= upper)) return false;
  const double fl = evaluateAt(F, lower);
  const double fu = evaluateAt(F, upper);
  if (!std::isfinite(fl) || !std::isfinite(fu)) return false;
  return !((fl < 0.0 && fu < 0.0) || (fl > 0.0 && fu > 0.0));
}

double solveInBracket(gsl_function& F, double lower, double upper) {
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

// ln L(h) - maxLogL + drop, from the objective -ln L.
struct ShiftedParams {
  gsl_function* negated;
  double maxLogL;
};

double shiftedLogL(double h, void* params) {
  auto* p = static_cast<ShiftedParams*>(params);
  return (-evaluateAt(*p->negated, h) - p->maxLogL) + kSupportDrop;
}

// The individual's log-likelihood, remembering the points it has been
// evaluated at (bit for bit): the steps of a study return to the same
// points (the ends, 0.5, the estimate) a dozen times in some fifty.
class RememberedLogLikelihood {
 public:
  explicit RememberedLogLikelihood(const GlIndividual& individual) : individual_(individual) {}
  double at(double h) {
    std::uint64_t key;
    std::memcpy(&key, &h, sizeof key);
    for (const auto& entry : seen_)
      if (entry.first == key) return entry.second;
    const double value = individual_.logLikelihood(h);
    // Only a solver running to its iteration limit takes thousands.
    if (seen_.size() < 512) seen_.emplace_back(key, value);
    return value;
  }

 private:
  const GlIndividual& individual_;
  std::vector<std::pair<std::uint64_t, double>> seen_;
};

double negatedGlLogL(double h, void* params) {
  return -static_cast<RememberedLogLikelihood*>(params)->at(h);
}

SupportedEstimate undefinedEstimate() { return {kNaN, kNaN, kNaN, {false, false}, kNaN}; }

}  // namespace

bool isFlatObjective(gsl_function& F) {
  double lower = 0.0;
  double upper = 1.0;
  initVariables(lower, upper, F);
  const double fl = evaluateAt(F, lower);
  const double fm = evaluateAt(F, 0.5);
  const double fu = evaluateAt(F, upper);
  return std::fabs(fl - fm) < kTolerance || std::fabs(fu - fm) < kTolerance;
}

double estimateOfObjective(gsl_function& F) {
  double guess = 0.5;
  double lower = 0.0;
  double upper = 1.0;
  initVariables(lower, upper, F);
  if (findMinEstimate(lower, upper, guess, F) == 1) return guess;
  // A guess tied in value with an end leaves the minimiser no bracket.
  if (!enclosesMinimum(lower, guess, upper, F)) return kNaN;
  return minimiseInBracket(F, guess, lower, upper);
}

double supportLimitOfObjective(gsl_function& F, double maxLogL, double hEstimate, int direction,
                               bool* truncated) {
  if (std::isnan(hEstimate) || std::isnan(maxLogL)) return kNaN;
  const int side = direction == 0 ? 0 : 1;
  const double end = side == 0 ? 0.0 : 1.0;
  double lower = side == 0 ? 0.0 : hEstimate;
  double upper = side == 0 ? hEstimate : 1.0;
  initVariables(lower, upper, F);
  ShiftedParams params{&F, maxLogL};
  gsl_function ciF{&shiftedLogL, &params};
  // Still above the support level at the very end: cut there.  Any
  // positive value counts, since one in (0, 1e-06] leaves the solver no
  // sign change.
  const double atEnd = evaluateAt(ciF, end);
  if (atEnd > 0.0) {
    truncated[side] = true;
    return end;
  }
  if (atEnd == 0.0) return end;
  if (!straddlesZero(lower, upper, ciF)) return kNaN;
  return solveInBracket(ciF, lower, upper);
}

SupportedEstimate studyObjective(gsl_function& F) {
  SupportedEstimate row = undefinedEstimate();
  if (isFlatObjective(F)) return row;
  const double h = estimateOfObjective(F);
  if (std::isnan(h)) return row;
  row.h = h;
  row.maxLogL = -evaluateAt(F, h);
  if (h == 0.0) {
    row.lowerBound = 0.0;
    row.truncated[0] = true;
  } else {
    row.lowerBound = supportLimitOfObjective(F, row.maxLogL, h, 0, row.truncated);
  }
  if (h == 1.0) {
    row.upperBound = 1.0;
    row.truncated[1] = true;
  } else {
    row.upperBound = supportLimitOfObjective(F, row.maxLogL, h, 1, row.truncated);
  }
  return row;
}

SupportedEstimate studyGlIndividual(const GlIndividual& individual) {
  if (!individual.hasData()) return undefinedEstimate();
  RememberedLogLikelihood logL(individual);
  gsl_function F{&negatedGlLogL, &logL};
  return studyObjective(F);
}

}  // namespace parmix
