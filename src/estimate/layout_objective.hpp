#ifndef PARMIX_ESTIMATE_LAYOUT_OBJECTIVE_HPP
#define PARMIX_ESTIMATE_LAYOUT_OBJECTIVE_HPP

// The objectives that testSurface, findmaxH and findBound hand to their
// searches, on an individual's context (see estimate/individual_context.hpp):
// the context's layout evaluates, its memory of points answers the bracket
// checks and the solvers' set-up, and the steps after the first take the
// points the earlier ones evaluated.  The values are bit for bit those of
// Likelihood(), so the searches ask for the same points and give the same
// results as on maxFunction and ciFunction.

#include <gsl/gsl_math.h>

#include "estimate/individual_context.hpp"

namespace parmix {

class LayoutObjective {
 public:
  // The objectives on the given context, which must outlive this object.
  explicit LayoutObjective(IndividualContext& context) : context_(context) {}
  LayoutObjective(const LayoutObjective&) = delete;
  LayoutObjective& operator=(const LayoutObjective&) = delete;

  // Minus the log-likelihood, as maxFunction; valid while this object lives.
  gsl_function negated();
  // The log-likelihood less maxLogL, then plus supportDrop, as ciFunction.
  gsl_function shifted(double maxLogL, double supportDrop);

 private:
  static double negatedAt(double h, void* self);
  static double shiftedAt(double h, void* self);

  IndividualContext& context_;
  double maxLogL_ = 0.0;
  double supportDrop_ = 0.0;
};

// The context a step works on: the one given, or else own, laid out here
// for the individual in indGenotype (a call without a context on its own).
IndividualContext& contextFor(IndividualContext* given, IndividualContext& own,
                              int** indGenotype, double** freqR, double** freqS,
                              const char* locusType, int nLoci);

}  // namespace parmix

#endif
