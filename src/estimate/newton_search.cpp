#include "estimate/newton_search.hpp"

#include <cmath>
#include <limits>

namespace parmix {

namespace {

constexpr int kStepLimit = 100;
// Newton's error after a step of size e is about |f''/2f'| e^2: after a
// step below 1e-07 it lies some seven orders of magnitude below the
// report's last decimal even where ln L bends fast.
constexpr double kFinalStep = 1e-7;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A root of f in the bracket [low, high] (f(low) < 0 < f(high), whichever
// lies left) from f and f' at x, as Numerical Recipes' rtsafe: the Newton
// step where it lands inside the bracket and at least halves the step
// before last, a bisection elsewhere.
struct SafeguardedRoot {
  double low;   // where f < 0
  double high;  // where f > 0
  double previousStep;
  double step;

  // Narrows the bracket by f(x) and returns the next point.  Sets DONE when
  // that point is the answer: a Newton step below kFinalStep (the error
  // after it is of the order of its square), or x itself once the bracket
  // is narrower than kNewtonTolerance.
  double next(double x, double f, double slope, bool& done) {
    if (f < 0) low = x;
    if (f > 0) high = x;
    const double a = low < high ? low : high;
    const double b = low < high ? high : low;
    const double newton = x - f / slope;
    if (slope != 0 && std::fabs(newton - x) < kFinalStep && newton >= a && newton <= b) {
      done = true;
      return newton;
    }
    if (b - a < kNewtonTolerance) {
      done = true;
      return x;
    }
    const bool useNewton = slope != 0 && newton > a && newton < b &&
                           std::fabs(2 * f) <= std::fabs(previousStep * slope);
    previousStep = step;
    const double target = useNewton ? newton : 0.5 * (a + b);
    step = target - x;
    return target;
  }
};

bool finite(const LikelihoodDerivatives& d, bool withValue) {
  return std::isfinite(d.slope) && std::isfinite(d.curvature) &&
         (!withValue || std::isfinite(d.value));
}

}  // namespace

// The slope's root, where it falls through 0: minus the slope rises there,
// negative on the lower side.
double newtonMaximum(const SlopeObjective& slopes, double lower, double guess, double upper) {
  SafeguardedRoot root{lower, upper, upper - lower, upper - lower};
  double x = guess;
  for (int step = 0; step < kStepLimit; ++step) {
    const LikelihoodDerivatives d = slopes.at(slopes.params, x, false);
    if (!finite(d, false)) return kNaN;
    bool done = false;
    const double next = root.next(x, -d.slope, -d.curvature, done);
    if (done) return next;
    x = next;
  }
  return kNaN;
}

double newtonLevel(const SlopeObjective& slopes, double maxLogL, double drop, double lower,
                   double upper, bool risesFromLower, double start) {
  SafeguardedRoot root{risesFromLower ? lower : upper, risesFromLower ? upper : lower,
                       upper - lower, upper - lower};
  double x = start > lower && start < upper ? start : 0.5 * (lower + upper);
  for (int step = 0; step < kStepLimit; ++step) {
    const LikelihoodDerivatives d = slopes.at(slopes.params, x, true);
    if (!finite(d, true)) return kNaN;
    bool done = false;
    const double next = root.next(x, (d.value - maxLogL) + drop, d.slope, done);
    if (done) return next;
    x = next;
  }
  return kNaN;
}

double parabolicLimit(double hEstimate, double curvature, double drop, int direction) {
  if (!(curvature < 0)) return kNaN;
  const double half = std::sqrt(2 * drop / -curvature);
  return direction == 0 ? hEstimate - half : hEstimate + half;
}

}  // namespace parmix
