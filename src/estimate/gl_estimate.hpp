#ifndef PARMIX_ESTIMATE_GL_ESTIMATE_HPP
#define PARMIX_ESTIMATE_GL_ESTIMATE_HPP

// The hybrid-index estimate with its 2-unit support limits on any
// log-likelihood of h: genotype likelihoods, expected genotype
// probabilities under uncertain parental frequencies, or both.  The steps
// and constants are those of the analysis on certain genotypes: flatness
// test at 0.5 against the ends (1e-06), ends with an infinite objective
// moved inward by 1e-06, bisection pre-search, Brent minimiser (interval
// 1e-06, 10,000 iterations), and limits by Brent's root solver (relative
// 1e-06, 10,000 iterations) cut at 0 or 1 with a mark when the
// log-likelihood there is still within 2 units of its maximum.
//
// Pure numerics: no I/O.  GSL never sees a value it would refuse, so its
// error handler is never called.

#include <gsl/gsl_math.h>

#include "estimate/newton_search.hpp"
#include "estimate/remembered_likelihood.hpp"
#include "model/gl_likelihood.hpp"

namespace parmix {

// One individual's numbers.  Without data, with a flat surface or without
// an estimate: h, both limits and maxLogL NaN, no mark.
struct SupportedEstimate {
  double h;
  double lowerBound;
  double upperBound;
  bool truncated[2];
  double maxLogL;
};

// F gives minus the log-likelihood at h in [0, 1]; params belong to the
// caller and must outlive the call.

// True when the surface is flat between 0.5 and either (moved) end.
bool isFlatObjective(gsl_function& F);
// The estimate of h: exactly 0.0 or 1.0 at an end, NaN when no bracket or
// no convergence.
double estimateOfObjective(gsl_function& F, const SlopeObjective* slopes = nullptr);
// The lower (direction 0) or upper (1) support limit around hEstimate;
// sets truncated[direction] when cut at the end (never clears it).  NaN
// when no limit can be had.
double supportLimitOfObjective(gsl_function& F, double maxLogL, double hEstimate, int direction,
                               bool* truncated, const SlopeObjective* slopes = nullptr);
// The whole study: flatness, estimate, maximum, both limits (unless
// skipped).  With SLOPES, F's derivatives, the estimate and the limits
// inside their brackets by the Newton searches (see objective_searches.hpp).
SupportedEstimate studyObjective(gsl_function& F, const SlopeObjective* slopes = nullptr,
                                 Limits limits = Limits::kFind);

// The whole study on the log-likelihood LOGL remembers for (its
// rememberFor() called for the individual, which has data).  Every study of
// h, whatever its layout, runs these steps, inside the brackets by the
// SEARCH asked for.
SupportedEstimate studyLikelihood(RememberedLikelihood& logL,
                                  Search search = Search::Bracketing,
                                  Limits limits = Limits::kFind);

// The whole study of an individual laid out from genotype likelihoods;
// POINTS (the caller's, kept from one individual to the next) remembers
// its points.
SupportedEstimate studyGlIndividual(const GlIndividual& individual, RememberedLikelihood& points,
                                    Search search = Search::Bracketing,
                                    Limits limits = Limits::kFind);

}  // namespace parmix

#endif
