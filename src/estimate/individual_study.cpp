#include "estimate/individual_study.hpp"

#include <gsl/gsl_math.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "estimate/ml_estimate.hpp"
#include "estimate/support_limits.hpp"

namespace parmix {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kSupportDrop = 2.0;
// A study takes a few dozen points; only a solver that runs to its
// iteration limit takes thousands, and those are not worth remembering.
constexpr std::size_t kRemembered = 512;

std::uint64_t bitsOf(double h) {
  std::uint64_t bits;
  std::memcpy(&bits, &h, sizeof bits);
  return bits;
}

// The params of both objectives: the cached log-likelihood, and for the
// support limits the maximum and the drop.
struct ObjectiveParams {
  CachedLogLikelihood* logL;
  double maxLogL;
  double supportDrop;
};

// As maxFunction: minus the log-likelihood.
double negatedLogL(double h, void* params) {
  return -static_cast<ObjectiveParams*>(params)->logL->at(h);
}

// As ciFunction: the log-likelihood less its maximum, then plus the drop.
double shiftedLogL(double h, void* params) {
  auto* p = static_cast<ObjectiveParams*>(params);
  return (p->logL->at(h) - p->maxLogL) + p->supportDrop;
}

IndividualEstimate undefinedRow() { return {kNaN, kNaN, kNaN, {false, false}}; }

}  // namespace

double CachedLogLikelihood::at(double h) {
  const std::uint64_t key = bitsOf(h);
  for (const auto& entry : seen_)
    if (entry.first == key) return entry.second;
  const double value = individual_.logLikelihood(h);
  ++evaluations_;
  if (seen_.size() < kRemembered) seen_.emplace_back(key, value);
  return value;
}

IndividualEstimate studyIndividual(const CompactIndividual& individual,
                                   std::size_t* evaluations) {
  IndividualEstimate row = undefinedRow();
  if (!individual.hasData()) return row;
  CachedLogLikelihood logL(individual);
  ObjectiveParams likelihood{&logL, 0.0, 0.0};
  gsl_function maxF{&negatedLogL, &likelihood};
  const double h = testSurfaceOf(maxF) ? kNaN : findmaxHOf(maxF);
  if (!std::isnan(h)) {
    row.h = h;
    const double maxLogL = logL.at(h);
    ObjectiveParams bound{&logL, maxLogL, kSupportDrop};
    gsl_function ciF{&shiftedLogL, &bound};
    if (h == 0.0) {
      row.lowerBound = 0.0;
      row.truncated[0] = true;
    } else {
      row.lowerBound = findBoundOf(maxF, ciF, maxLogL, h, 0, row.truncated);
    }
    if (h == 1.0) {
      row.upperBound = 1.0;
      row.truncated[1] = true;
    } else {
      row.upperBound = findBoundOf(maxF, ciF, maxLogL, h, 1, row.truncated);
    }
  }
  if (evaluations != nullptr) *evaluations += logL.evaluations();
  return row;
}

}  // namespace parmix
