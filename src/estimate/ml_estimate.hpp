#ifndef PARMIX_ESTIMATE_ML_ESTIMATE_HPP
#define PARMIX_ESTIMATE_ML_ESTIMATE_HPP

// Maximum-likelihood estimate of the hybrid index h on [0, 1] for the
// individual held in indGenotype.  Pure numerics: no I/O, no Tcl.  Each
// call evaluates the individual's compact layout (see
// estimate/layout_objective.hpp); the results are bit for bit those of the
// same searches on maxFunction.

#include <gsl/gsl_math.h>

namespace parmix {

class IndividualContext;

// Moves lower up by 1e-06 when F(lower) is infinite, then upper down by
// 1e-06 when F(upper) is infinite.  Each end moves at most once.
void initVariables(double& lower, double& upper, gsl_function& F);

// 1 when -lnL at 0.5 equals its value at either (shifted) end within 1e-06:
// the data say nothing about h.  0 otherwise (NaN differences count as not
// flat).  With the context of the individual in indGenotype
// (estimate/individual_context.hpp), which takes and keeps the points it
// evaluates; without one (nullptr) the call lays the individual out itself
// and remembers its points only until it returns.
int testSurface(int** indGenotype, double** freqR, double** freqS, char* locusType, int nLoci,
                IndividualContext* context);

// Bisection pre-search on F (the objective to minimise).  Returns 1 when the
// optimum lies at an end: guess is then exactly 0.0 or 1.0.  Returns 0 when
// lower < guess < upper and F(guess) is not above F at either end.
int findMinEstimate(double& lower, double& upper, double& guess, gsl_function& F);

// The estimate of h: exactly 0.0 or 1.0 when the optimum lies at an end,
// otherwise the Brent minimiser's result.  NaN when no estimate can be had:
// the minimiser reached 10,000 iterations, the pre-search left no bracket
// that strictly encloses a minimum (a tie), or the objective turned
// non-finite inside the interval.  The context as for testSurface.
double findmaxH(int** indGenotype, double** freqR, double** freqS, char* locusType, int nLoci,
                IndividualContext* context);

}  // namespace parmix

#endif
