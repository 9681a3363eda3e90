#ifndef PARMIX_ESTIMATE_JOINT_ESTIMATE_HPP
#define PARMIX_ESTIMATE_JOINT_ESTIMATE_HPP

// Maximum likelihood of ancestry h and interclass heterozygosity H (`het`)
// over the triangle 0 <= H <= 1, H/2 <= h <= 1 - H/2, the 2-unit profile
// support limits of each, and the maximum of the hybrid-index model (the
// curve H = 2h(1 - h)) for the test of that model.  Pure numerics: no I/O.
//
// The log-likelihood is concave on the triangle, so the maximiser is an
// active-set Newton method with the analytic gradient and Hessian and a
// backtracking line search; it ends on an edge or in a corner when the
// maximum lies there (pure individuals at (0, 0) and (1, 0), F1s at
// (1/2, 1)).  On simulated panels it needs 4 to 8 evaluations of value and
// derivatives per individual, where an EM on the three ancestry weights
// needs hundreds to reach 1e-8 when the maximum lies on an edge, as it
// does for every pure individual and F1.

#include "model/joint_likelihood.hpp"

namespace parmix {

// A point of the triangle with its log-likelihood.  `found` is false when
// no maximum could be had (every point of the triangle impossible, or the
// iteration limit); the numbers are then NaN.
struct JointMaximum {
  double h;
  double het;
  double logL;
  bool found;
};

// One support limit; `cut` is set when the log-likelihood at the end of
// the quantity's range is still within the drop of the maximum, and the
// limit is that end.
struct ProfileLimit {
  double value;
  bool cut;
};

// The hybrid-index model's maximum: h and ln L there.
struct CurveMaximum {
  double h;
  double logL;
};

// True when ln L varies by less than 1e-06 between the centroid and the
// three corners of the triangle: the data say nothing about h or H.
bool jointSurfaceIsFlat(const JointIndividual& individual);

// The maximum of ln L over the triangle.
JointMaximum maximiseJoint(const JointIndividual& individual);

// Profile support limits, from a found maximum: the h (of H) on the side
// `direction` (0 lower, 1 upper) at which max over the other quantity of
// ln L has fallen `drop` below the maximum.  NaN when the search fails.
ProfileLimit profileLimitOfH(const JointIndividual& individual, const JointMaximum& maximum,
                             int direction, double drop);
ProfileLimit profileLimitOfHet(const JointIndividual& individual, const JointMaximum& maximum,
                               int direction, double drop);

// The profiles themselves: the H maximising ln L at fixed h, and the h
// maximising it at fixed H; the search starts from `start` (the middle of
// the range when it lies outside).
double bestHetAt(const JointIndividual& individual, double h, double start);
double bestHAt(const JointIndividual& individual, double het, double start);

// The hybrid-index model's maximum on [0, 1]: exactly 0 or 1 when ln L
// rises towards that end.  NaN when the search fails.
CurveMaximum maximiseHybridIndex(const JointIndividual& individual);

}  // namespace parmix

#endif
