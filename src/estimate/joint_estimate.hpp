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
// (1/2, 1)).  Measured on simulated individuals of 200 to 5,000 loci, it
// needs 5 to 8 passes over the loci for the value and as many for the
// derivatives.  An EM on the three ancestry weights (the other natural
// choice: each step is one pass) needed 270 to 460 passes to reach 1e-8
// inside the triangle and 800 to 17,000 where the maximum lies on or near
// a side, as it does for every pure individual, F1 and backcross.
//
// The profile limits solve "max over the other quantity of ln L = maximum
// - drop" by Newton's method on the profile, whose slope is that of ln L at
// the inner maximum (the envelope theorem); the inner maximum is itself a
// one-dimensional Newton search, warm-started from the previous one.

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
