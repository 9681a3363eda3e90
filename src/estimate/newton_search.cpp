#include "estimate/newton_search.hpp"

#include <cmath>
#include <limits>

namespace parmix {

namespace {

constexpr int kStepLimit = 100;
// Halley's error after a step of size e is about K e^3, K of the order of
// the ratios of ln L's derivatives: after a step below 1e-06 it lies far
// below the report's last decimal even where ln L bends fast.
constexpr double kFinalStep = 1e-6;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A root of f in the bracket [low, high] (f(low) < 0 < f(high), whichever
// lies left) from f, f' and f'' at x, as Numerical Recipes' rtsafe with
// Halley's step for Newton's: the step where it lands inside the bracket
// and at least halves the step before last, a bisection elsewhere.
// Halley's step, x - 2 f f' / (2 f'^2 - f f''), leaves an error of the
// order of the cube of the last one where Newton's leaves its square.
struct SafeguardedRoot {
  double low;   // where f < 0
  double high;  // where f > 0
  double previousStep;
  double step;

  // Narrows the bracket by f(x) and returns the next point.  Sets DONE when
  // that point is the answer: a step below kFinalStep, or x itself once the
  // bracket is narrower than kNewtonTolerance.
  double next(double x, double f, double slope, double bend, bool& done) {
    if (f < 0) low = x;
    if (f > 0) high = x;
    const double a = low < high ? low : high;
    const double b = low < high ? high : low;
    double halley = x - 2 * f * slope / (2 * slope * slope - f * bend);
    if (!std::isfinite(halley)) halley = x - f / slope;
    if (std::isfinite(halley) && std::fabs(halley - x) < kFinalStep && halley >= a &&
        halley <= b) {
      done = true;
      return halley;
    }
    if (b - a < kNewtonTolerance) {
      done = true;
      return x;
    }
    const bool useHalley = std::isfinite(halley) && halley > a && halley < b &&
                           std::fabs(2 * (halley - x)) <= std::fabs(previousStep);
    previousStep = step;
    const double target = useHalley ? halley : 0.5 * (a + b);
    step = target - x;
    return target;
  }
};

bool finite(const LikelihoodDerivatives& d, bool withValue) {
  return std::isfinite(d.slope) && std::isfinite(d.curvature) && std::isfinite(d.third) &&
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
    const double next = root.next(x, -d.slope, -d.curvature, -d.third, done);
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
    const double next = root.next(x, (d.value - maxLogL) + drop, d.slope, d.curvature, done);
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
