#ifndef PARMIX_ESTIMATE_INDIVIDUAL_CONTEXT_HPP
#define PARMIX_ESTIMATE_INDIVIDUAL_CONTEXT_HPP

// What the study of one individual shares between its steps: the
// individual's compact layout and every point of the log-likelihood
// evaluated so far, bit for bit.  testSurface, findmaxH and findBound ask
// again for many points an earlier step has evaluated (the ends, 0.5, the
// estimate); handing them one context keeps the sequence of evaluations of
// the individual loop at the cost of one layout per individual.  A value at
// a given h is the same bits whichever step computes it, so sharing changes
// no result.
//
// The caller (a worker of the parallel study, a test) owns the context, one
// per thread, and calls layOut() for each individual before passing it to
// the steps; the context must then describe the individual held in the
// indGenotype those steps are given.  Nothing here is shared between
// threads or kept beyond the owner's object.

#include <cstddef>
#include <cstdint>

#include "estimate/remembered_likelihood.hpp"
#include "model/compact_likelihood.hpp"

namespace parmix {

class IndividualContext {
 public:
  IndividualContext() = default;
  IndividualContext(const IndividualContext&) = delete;
  IndividualContext& operator=(const IndividualContext&) = delete;

  // Lays out the individual held in indGenotype (nLoci rows of two
  // designations) and forgets the points of the previous one.  The arrays
  // are only read, here, and need not outlive the call.
  void layOut(const int* const* indGenotype, const double* const* freqR,
              const double* const* freqS, const char* locusType, int nLoci);
  // True when any designation laid out was not missing (genotypeNA is 0).
  bool hasData() const { return layout_.hasData(); }

  // The log-likelihood at h, bit for bit that of Likelihood(); computed at
  // most once per point and individual (the first 512 points are kept).
  double at(double h) { return points_.at(h); }

  // Over the context's whole life: points at which the log-likelihood was
  // actually computed, and the log calls they took.
  std::size_t evaluations() const { return points_.evaluations(); }
  std::uint64_t logCalls() const { return points_.logCalls(); }
  std::size_t passes() const { return points_.passes(); }

  // The points, for a study that runs on any remembered log-likelihood.
  RememberedLikelihood& points() { return points_; }

 private:
  CompactIndividual layout_;
  RememberedLikelihood points_;
};

// Likelihood() at h, taken from the context when one is given (it must
// describe the individual in indGenotype), computed directly otherwise.
double Likelihood(double h, int** indGenotype, double** freqR, double** freqS, char* locusType,
                  int nLoci, IndividualContext* context);

}  // namespace parmix

#endif
