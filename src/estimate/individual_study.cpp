#include "estimate/individual_study.hpp"

#include <limits>

#include "estimate/gl_estimate.hpp"
#include "estimate/individual_context.hpp"
#include "estimate/layout_objective.hpp"
#include "validate/individual_checks.hpp"

namespace parmix {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

IndividualEstimate undefinedRow() { return {kNaN, kNaN, kNaN, {false, false}}; }

}  // namespace

IndividualEstimate studyIndividualGenotype(int** indGenotype, double** freqR, double** freqS,
                                           char* locusType, int nLoci, IndividualContext* context) {
  // indGenotype has the two columns of one individual.
  if (genotypeNA(indGenotype, nLoci, 2)) return undefinedRow();
  IndividualContext own;
  IndividualContext& laidOut = contextFor(context, own, indGenotype, freqR, freqS, locusType, nLoci);
  // testSurface, findmaxH, Likelihood at the estimate and findBound on
  // both sides, as the searches on any remembered log-likelihood run them.
  const SupportedEstimate e = studyLikelihood(laidOut.points());
  return {e.h, e.lowerBound, e.upperBound, {e.truncated[0], e.truncated[1]}};
}

}  // namespace parmix
