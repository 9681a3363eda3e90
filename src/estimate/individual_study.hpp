#ifndef PARMIX_ESTIMATE_INDIVIDUAL_STUDY_HPP
#define PARMIX_ESTIMATE_INDIVIDUAL_STUDY_HPP

// The whole study of one individual: flat-surface test, estimate of h and
// both support limits, on the compact layout of its log-likelihood.  The
// steps, their solver calls and the points they evaluate are those of
// testSurface, findmaxH, Likelihood and findBound; only a value already
// computed at the same point is taken from memory instead of recomputed.

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "model/compact_likelihood.hpp"

namespace parmix {

// One report row's numbers.  An individual without data, with a flat
// surface or without an estimate has three NaN and no mark.
struct IndividualEstimate {
  double h;
  double lowerBound;
  double upperBound;
  bool truncated[2];
};

// The log-likelihood of one individual, remembering every point it has
// been evaluated at (bit for bit), so the pre-search's values serve the
// bracket checks and the solvers' set-up without a second evaluation.
class CachedLogLikelihood {
 public:
  explicit CachedLogLikelihood(const CompactIndividual& individual) : individual_(individual) {}
  double at(double h);
  // Points at which the log-likelihood was actually computed.
  std::size_t evaluations() const { return evaluations_; }

 private:
  const CompactIndividual& individual_;
  std::vector<std::pair<std::uint64_t, double>> seen_;
  std::size_t evaluations_ = 0;
};

// Studies the individual.  When evaluations is given, the number of points
// at which its log-likelihood was computed is added to it.
IndividualEstimate studyIndividual(const CompactIndividual& individual,
                                   std::size_t* evaluations = nullptr);

}  // namespace parmix

#endif
