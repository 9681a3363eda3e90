#ifndef PARMIX_TESTS_GL_STUDY_HPP
#define PARMIX_TESTS_GL_STUDY_HPP

// The study of one individual laid out from genotype likelihoods, with
// points of its own: the runs keep one memo from an individual to the next,
// the tests study each alone.

#include "estimate/gl_estimate.hpp"
#include "estimate/remembered_likelihood.hpp"

namespace parmix {

inline SupportedEstimate studyGlIndividual(const GlIndividual& individual) {
  RememberedLikelihood points;
  return studyGlIndividual(individual, points);
}

}  // namespace parmix

#endif
