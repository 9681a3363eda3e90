#ifndef PARMIX_ESTIMATE_SUPPORT_LIMITS_HPP
#define PARMIX_ESTIMATE_SUPPORT_LIMITS_HPP

// The 2-unit likelihood support limits around an estimate of h.  Each call
// lays the individual out once and evaluates it there (see
// estimate/layout_objective.hpp); the results are bit for bit those of the
// same search on maxFunction and ciFunction.

namespace parmix {

class IndividualContext;

// The lower (direction 0) or upper (direction 1) support limit: the h between
// hEstimate and that end of [0, 1] at which lnL has fallen 2.0 below maxLogL.
// When lnL at the exact end is still above that level the limit is cut: the
// end itself (0.0 or 1.0) is returned and truncated[direction] is set; this
// function never clears a flag.  Returns NaN when no limit can be had: a NaN
// estimate or maximum, a bracket that does not straddle the level, values
// that turn non-finite, or 10,000 solver iterations.  With the context of
// the individual in indGenotype (estimate/individual_context.hpp), which
// takes and keeps the points it evaluates; without one (nullptr) the call
// lays the individual out itself.
double findBound(int** indGenotype, double** freqR, double** freqS, char* locusType, int nLoci,
                 double maxLogL, double hEstimate, int direction, bool* truncated,
                 IndividualContext* context);

}  // namespace parmix

#endif
