#include "estimate/individual_study.hpp"

#include <cmath>
#include <limits>

#include "estimate/individual_context.hpp"
#include "estimate/ml_estimate.hpp"
#include "estimate/support_limits.hpp"
#include "model/likelihood.hpp"
#include "validate/individual_checks.hpp"

namespace parmix {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

IndividualEstimate undefinedRow() { return {kNaN, kNaN, kNaN, {false, false}}; }

}  // namespace

IndividualEstimate studyIndividualGenotype(int** indGenotype, double** freqR, double** freqS,
                                           char* locusType, int nLoci, IndividualContext* context) {
  IndividualEstimate row = undefinedRow();
  // indGenotype has the two columns of one individual.
  if (genotypeNA(indGenotype, nLoci, 2)) return row;
  if (testSurface(indGenotype, freqR, freqS, locusType, nLoci, context)) return row;
  const double h = findmaxH(indGenotype, freqR, freqS, locusType, nLoci, context);
  if (std::isnan(h)) return row;
  row.h = h;
  const double maxLogL = Likelihood(h, indGenotype, freqR, freqS, locusType, nLoci, context);
  if (h == 0.0) {
    row.lowerBound = 0.0;
    row.truncated[0] = true;
  } else {
    row.lowerBound = findBound(indGenotype, freqR, freqS, locusType, nLoci, maxLogL, h, 0,
                               row.truncated, context);
  }
  if (h == 1.0) {
    row.upperBound = 1.0;
    row.truncated[1] = true;
  } else {
    row.upperBound = findBound(indGenotype, freqR, freqS, locusType, nLoci, maxLogL, h, 1,
                               row.truncated, context);
  }
  return row;
}

}  // namespace parmix
