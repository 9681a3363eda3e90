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
#include <utility>
#include <vector>

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
  void layOut(int** indGenotype, double** freqR, double** freqS, const char* locusType,
              int nLoci);

  // The log-likelihood at h, bit for bit that of Likelihood(); computed at
  // most once per point and individual (the first 512 points are kept).
  double at(double h);

  // Over the context's whole life: points at which the log-likelihood was
  // actually computed, and the log calls they took.
  std::size_t evaluations() const { return evaluations_; }
  std::uint64_t logCalls() const { return logCalls_; }

 private:
  CompactIndividual layout_;
  // A locus type the likelihood does not know makes every value NaN, as it
  // does Likelihood's.
  bool unknownType_ = false;
  std::vector<std::pair<std::uint64_t, double>> seen_;
  std::size_t evaluations_ = 0;
  std::uint64_t logCalls_ = 0;
};

// Likelihood() at h, taken from the context when one is given (it must
// describe the individual in indGenotype), computed directly otherwise.
double Likelihood(double h, int** indGenotype, double** freqR, double** freqS, char* locusType,
                  int nLoci, IndividualContext* context);

}  // namespace parmix

#endif
