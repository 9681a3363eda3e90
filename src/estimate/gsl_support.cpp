#include "estimate/gsl_support.hpp"

#include <cmath>
#include <limits>

namespace parmix {

GuardedObjective::GuardedObjective(gsl_function inner) : inner_(inner) {
  outer_.function = &GuardedObjective::evaluate;
  outer_.params = this;
}

double GuardedObjective::evaluate(double x, void* self) {
  auto* guard = static_cast<GuardedObjective*>(self);
  const double value = evaluateAt(guard->inner_, x);
  if (std::isfinite(value)) return value;
  guard->sawNonFinite_ = true;
  const double big = std::numeric_limits<double>::max();
  return std::signbit(value) && !std::isnan(value) ? -big : big;
}

}  // namespace parmix
