#ifndef PARMIX_TESTS_INDIVIDUAL_STUDY_HPP
#define PARMIX_TESTS_INDIVIDUAL_STUDY_HPP

// The study of one individual on its own, as the tests hold the steps to
// it: genotypeNA, then the searches on the individual's remembered
// log-likelihood.  With a context (laid out for this very individual with
// layOut()) every step takes and keeps its points there; without one the
// study lays the individual out itself.  The runs study every individual
// through estimate/study.hpp, with one context per worker.

#include <limits>

#include "estimate/gl_estimate.hpp"
#include "estimate/individual_context.hpp"
#include "estimate/individual_study.hpp"
#include "estimate/layout_objective.hpp"
#include "validate/individual_checks.hpp"

namespace parmix {

inline IndividualEstimate studyIndividualGenotype(int** indGenotype, double** freqR,
                                                  double** freqS, char* locusType, int nLoci,
                                                  IndividualContext* context = nullptr) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  // indGenotype has the two columns of one individual.
  if (genotypeNA(indGenotype, nLoci, 2)) return {kNaN, kNaN, kNaN, {false, false}};
  IndividualContext own;
  IndividualContext& laidOut = contextFor(context, own, indGenotype, freqR, freqS, locusType, nLoci);
  const SupportedEstimate e = studyLikelihood(laidOut.points());
  return {e.h, e.lowerBound, e.upperBound, {e.truncated[0], e.truncated[1]}};
}

}  // namespace parmix

#endif
