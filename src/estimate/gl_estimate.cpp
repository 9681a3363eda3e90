#include "estimate/gl_estimate.hpp"

#include <cmath>
#include <limits>

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

double negatedLogL(double h, void* params) {
  return -static_cast<RememberedLikelihood*>(params)->at(h);
}

LikelihoodDerivatives derivativesOf(void* params, double h, bool withValue) {
  return static_cast<RememberedLikelihood*>(params)->derivativesAt(h, withValue);
}

SupportedEstimate undefinedEstimate() { return {kNaN, kNaN, kNaN, {false, false}, kNaN}; }

}  // namespace

// The searches are those of the analysis on certain genotypes, run on this
// objective.
bool isFlatObjective(gsl_function& F) { return isFlatOn(F) == 1; }

double estimateOfObjective(gsl_function& F, const SlopeObjective* slopes) {
  return maximumOn(F, slopes);
}

double supportLimitOfObjective(gsl_function& F, double maxLogL, double hEstimate, int direction,
                               bool* truncated, const SlopeObjective* slopes) {
  ShiftedParams params{&F, maxLogL};
  gsl_function ciF{&shiftedLogL, &params};
  return boundOn(F, ciF, maxLogL, hEstimate, direction, truncated, slopes);
}

SupportedEstimate studyObjective(gsl_function& F, const SlopeObjective* slopes, Limits limits) {
  SupportedEstimate row = undefinedEstimate();
  if (isFlatObjective(F)) return row;
  const double h = estimateOfObjective(F, slopes);
  if (std::isnan(h)) return row;
  row.h = h;
  row.maxLogL = -evaluateAt(F, h);
  if (limits == Limits::kSkip) return row;
  if (h == 0.0) {
    row.lowerBound = 0.0;
    row.truncated[0] = true;
  } else {
    row.lowerBound = supportLimitOfObjective(F, row.maxLogL, h, 0, row.truncated, slopes);
  }
  if (h == 1.0) {
    row.upperBound = 1.0;
    row.truncated[1] = true;
  } else {
    row.upperBound = supportLimitOfObjective(F, row.maxLogL, h, 1, row.truncated, slopes);
  }
  return row;
}

SupportedEstimate studyLikelihood(RememberedLikelihood& logL, Search search, Limits limits) {
  gsl_function F{&negatedLogL, &logL};
  if (search == Search::Bracketing) return studyObjective(F, nullptr, limits);
  const SlopeObjective slopes{&derivativesOf, &logL};
  return studyObjective(F, &slopes, limits);
}

SupportedEstimate studyGlIndividual(const GlIndividual& individual, RememberedLikelihood& points,
                                    Search search, Limits limits) {
  if (!individual.hasData()) return undefinedEstimate();
  points.rememberFor(individual);
  return studyLikelihood(points, search, limits);
}

}  // namespace parmix
