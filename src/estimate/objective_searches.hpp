#ifndef PARMIX_ESTIMATE_OBJECTIVE_SEARCHES_HPP
#define PARMIX_ESTIMATE_OBJECTIVE_SEARCHES_HPP

// The searches of testSurface, findmaxH and findBound, on a given objective.
// Those functions run them on the individual's compact layout; the tests
// run them on maxFunction and ciFunction, the straightforward objectives,
// to show that the layout changes no point asked for and no bit of a result.

#include <gsl/gsl_math.h>

namespace parmix {

// testSurface on F, minus a log-likelihood.
int isFlatOn(gsl_function& F);
// findmaxH on F, minus a log-likelihood.
double maximumOn(gsl_function& F);
// findBound on maxF, minus the log-likelihood, and ciF, the log-likelihood
// less maxLogL plus the support drop 2.0.
double boundOn(gsl_function& maxF, gsl_function& ciF, double maxLogL, double hEstimate,
               int direction, bool* truncated);

}  // namespace parmix

#endif
