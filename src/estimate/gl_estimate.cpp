#include "estimate/gl_estimate.hpp"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "estimate/gsl_support.hpp"
#include "estimate/objective_searches.hpp"

namespace parmix {

namespace {

constexpr double kSupportDrop = 2.0;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

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

// The searches are those of the analysis on certain genotypes, run on this
// objective.
bool isFlatObjective(gsl_function& F) { return isFlatOn(F) == 1; }

double estimateOfObjective(gsl_function& F) { return maximumOn(F); }

double supportLimitOfObjective(gsl_function& F, double maxLogL, double hEstimate, int direction,
                               bool* truncated) {
  ShiftedParams params{&F, maxLogL};
  gsl_function ciF{&shiftedLogL, &params};
  return boundOn(F, ciF, maxLogL, hEstimate, direction, truncated);
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
