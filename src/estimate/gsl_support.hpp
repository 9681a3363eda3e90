#ifndef PARMIX_ESTIMATE_GSL_SUPPORT_HPP
#define PARMIX_ESTIMATE_GSL_SUPPORT_HPP

// Ownership and safety helpers around the GSL solvers.
//
// GSL reports a bad bracket or a non-finite function value to its error
// handler, whose default ends the process.  The handler belongs to the host
// program, so parmix leaves it alone and instead never hands GSL anything it
// would reject: brackets are checked before a solver is set, and every value
// a solver computes passes through a GuardedObjective.

#include <gsl/gsl_math.h>
#include <gsl/gsl_min.h>
#include <gsl/gsl_roots.h>

#include <memory>

namespace parmix {

struct MinimizerDeleter {
  void operator()(gsl_min_fminimizer* s) const { gsl_min_fminimizer_free(s); }
};
struct RootSolverDeleter {
  void operator()(gsl_root_fsolver* s) const { gsl_root_fsolver_free(s); }
};
using MinimizerPtr = std::unique_ptr<gsl_min_fminimizer, MinimizerDeleter>;
using RootSolverPtr = std::unique_ptr<gsl_root_fsolver, RootSolverDeleter>;

// Wraps an objective so that a solver only ever sees finite values.  A
// non-finite value is replaced by the largest finite double of the same sign
// and remembered; the caller then discards the solver's result.
class GuardedObjective {
 public:
  explicit GuardedObjective(gsl_function inner);
  GuardedObjective(const GuardedObjective&) = delete;
  GuardedObjective& operator=(const GuardedObjective&) = delete;

  // The record to hand to GSL; valid while this object lives.
  gsl_function* function() { return &outer_; }
  bool sawNonFinite() const { return sawNonFinite_; }

 private:
  static double evaluate(double x, void* self);

  gsl_function inner_;
  gsl_function outer_;
  bool sawNonFinite_ = false;
};

// Direct evaluation, as GSL would do it.
inline double evaluateAt(gsl_function& F, double x) { return F.function(x, F.params); }

}  // namespace parmix

#endif
