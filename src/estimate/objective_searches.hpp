#ifndef PARMIX_ESTIMATE_OBJECTIVE_SEARCHES_HPP
#define PARMIX_ESTIMATE_OBJECTIVE_SEARCHES_HPP

// The searches of testSurface, findmaxH and findBound, on a given objective.
// Those functions run them on the individual's compact layout; the tests
// run them on maxFunction and ciFunction, the straightforward objectives,
// to show that the layout changes no point asked for and no bit of a result.

#include <gsl/gsl_math.h>

#include "estimate/newton_search.hpp"

namespace parmix {

// testSurface on F, minus a log-likelihood.
int isFlatOn(gsl_function& F);
// findmaxH on F, minus a log-likelihood.  With SLOPES (the same
// log-likelihood's derivatives) the bracket the pre-search leaves is
// searched by newtonMaximum, and by Brent's minimiser only where that
// fails or ends below the guess: the decisions before it (an end, no
// bracket) are the same.
double maximumOn(gsl_function& F, const SlopeObjective* slopes = nullptr);
// findBound on maxF, minus the log-likelihood, and ciF, the log-likelihood
// less maxLogL plus the support drop 2.0.  With SLOPES the level is found
// by newtonLevel, from a parabola through the estimate, and by Brent's
// root solver only where that fails; a cut limit and a missing bracket are
// decided as without.
double boundOn(gsl_function& maxF, gsl_function& ciF, double maxLogL, double hEstimate,
               int direction, bool* truncated, const SlopeObjective* slopes = nullptr);

}  // namespace parmix

#endif
