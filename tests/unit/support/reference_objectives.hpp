#ifndef PARMIX_TESTS_REFERENCE_OBJECTIVES_HPP
#define PARMIX_TESTS_REFERENCE_OBJECTIVES_HPP

// The straightforward objectives of the searches, written straight from
// Likelihood(): minus the log-likelihood for the estimate, and the
// log-likelihood less its maximum plus the support drop for a limit.  The
// run evaluates an individual's compact layout instead; the tests run the
// same searches on these to show that the layout changes no point asked for
// and no bit of a result.  The params records only point at the caller's
// arrays; they own nothing.

#include "model/likelihood.hpp"

namespace parmix {

struct LikelihoodParams {
  int** indGenotype;
  double** freqR;
  double** freqS;
  char* locusType;
  int nLoci;
};

struct BoundParams {
  int** indGenotype;
  double** freqR;
  double** freqS;
  char* locusType;
  int nLoci;
  double maxLogL;      // log-likelihood at the estimate
  double supportDrop;  // fall of log-likelihood that defines a limit (2.0)
};

// -Likelihood(h); params points to a LikelihoodParams.
inline double maxFunction(double h, void* params) {
  const auto* lp = static_cast<const LikelihoodParams*>(params);
  return -Likelihood(h, lp->indGenotype, lp->freqR, lp->freqS, lp->locusType, lp->nLoci);
}

// Likelihood(h) - maxLogL + supportDrop, in that order; params points to a
// BoundParams.
inline double ciFunction(double h, void* params) {
  const auto* bp = static_cast<const BoundParams*>(params);
  const double logL =
      Likelihood(h, bp->indGenotype, bp->freqR, bp->freqS, bp->locusType, bp->nLoci);
  return (logL - bp->maxLogL) + bp->supportDrop;
}

}  // namespace parmix

#endif
