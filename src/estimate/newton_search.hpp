#ifndef PARMIX_ESTIMATE_NEWTON_SEARCH_HPP
#define PARMIX_ESTIMATE_NEWTON_SEARCH_HPP

// Safeguarded Newton searches on ln L(h), for the steps of the study of h
// that the bracketing searches (Brent's minimiser, Brent's root solver)
// take dozens of evaluations for.  Each step takes ln L's derivatives
// from one pass over the loci, keeps a bracket that the signs seen so far
// leave, and bisects where a step would leave the bracket or does not
// shrink fast enough.  The steps are Halley's (Newton's method with the
// next derivative too, of cubic convergence), since the layouts give the
// third derivative of ln L at the cost of a few products a locus.
// Where the derivatives turn non-finite or the search does not converge
// the result is NaN, and the caller runs the bracketing search instead, so
// nothing is decided here that the bracketing searches decide: flatness,
// an estimate at an end, a cut limit.
//
// Pure numerics: no I/O.

#include "model/likelihood_derivatives.hpp"

namespace parmix {

// Which searches the study of h runs once its bracket is set.
enum class Search {
  Bracketing,  // Brent's minimiser and root solver (GSL)
  Newton,      // the searches below, falling back to Brent's
};

// Whether a study finds the support limits too, or (for an analysis that
// starts from the estimates alone, as the genomic clines do) leaves them
// undefined: the estimate is the same either way.
enum class Limits { kFind, kSkip };

// ln L with its derivatives at h (the value only when WITHVALUE).
struct SlopeObjective {
  LikelihoodDerivatives (*at)(void* params, double h, bool withValue);
  void* params;
};

// Where the searches stop when their steps do not settle: a bracket below
// this in h.  Far below the report's five decimals, and below what Brent's
// searches reach at their own tolerance of 1e-06.
constexpr double kNewtonTolerance = 1e-10;

// The h in (lower, upper) at which ln L has a local maximum, given a GUESS
// inside at which ln L is above its values at both ends: the point of the
// last step, once that step is below 1e-06.  NaN when the
// derivatives turn non-finite or the search takes more than 100 steps.
double newtonMaximum(const SlopeObjective& slopes, double lower, double guess, double upper);

// The h in [lower, upper] at which (ln L - maxLogL) + drop is 0, given that
// it is negative at LOWER and positive at UPPER when RISESFROMLOWER, the
// other way round otherwise (the caller has seen both).  START is where the
// search begins (the bracket's middle when outside).  NaN as for
// newtonMaximum.
double newtonLevel(const SlopeObjective& slopes, double maxLogL, double drop, double lower,
                   double upper, bool risesFromLower, double start);

// Where a 2-unit limit lies on a parabola of curvature CURVATURE at the
// maximum HESTIMATE, toward the lower (direction 0) or upper end: the start
// of newtonLevel.  NaN when the curvature is not negative.
double parabolicLimit(double hEstimate, double curvature, double drop, int direction);

}  // namespace parmix

#endif
