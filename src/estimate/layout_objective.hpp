#ifndef PARMIX_ESTIMATE_LAYOUT_OBJECTIVE_HPP
#define PARMIX_ESTIMATE_LAYOUT_OBJECTIVE_HPP

// The objectives that testSurface, findmaxH and findBound hand to their
// searches.  Each call lays the individual out once (one pass over the
// loci, against the 15 to 40 evaluations a call makes) and remembers every
// point it has evaluated, bit for bit, so the bracket checks and the
// solvers' set-up take a value already computed instead of a second
// evaluation.  The values are bit for bit those of Likelihood(), so the
// searches ask for the same points and give the same results as on
// maxFunction and ciFunction.

#include <gsl/gsl_math.h>

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "model/compact_likelihood.hpp"

namespace parmix {

class LayoutObjective {
 public:
  // Lays out the individual held in indGenotype (nLoci rows of two
  // designations).  The arrays are only read, here, and need not outlive
  // the constructor.
  LayoutObjective(int** indGenotype, double** freqR, double** freqS, const char* locusType,
                  int nLoci);
  LayoutObjective(const LayoutObjective&) = delete;
  LayoutObjective& operator=(const LayoutObjective&) = delete;

  // The log-likelihood at h.
  double at(double h);
  // Minus the log-likelihood, as maxFunction; valid while this object lives.
  gsl_function negated();
  // The log-likelihood less maxLogL, then plus supportDrop, as ciFunction.
  gsl_function shifted(double maxLogL, double supportDrop);

  // Points at which the log-likelihood was actually computed, and the log
  // calls they took.
  std::size_t evaluations() const { return evaluations_; }
  std::uint64_t logCalls() const { return evaluations_ * layout_.terms(); }

 private:
  static double negatedAt(double h, void* self);
  static double shiftedAt(double h, void* self);

  CompactIndividual layout_;
  // A locus type the likelihood does not know makes every value NaN, as it
  // does Likelihood's.
  bool unknownType_ = false;
  std::vector<std::pair<std::uint64_t, double>> seen_;
  std::size_t evaluations_ = 0;
  double maxLogL_ = 0.0;
  double supportDrop_ = 0.0;
};

}  // namespace parmix

#endif
