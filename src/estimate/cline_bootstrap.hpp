#ifndef PARMIX_ESTIMATE_CLINE_BOOTSTRAP_HPP
#define PARMIX_ESTIMATE_CLINE_BOOTSTRAP_HPP

// A parametric bootstrap of the neutral cline, a check of the
// chi-square p-value by simulation: each replicate draws every informing
// individual's genotype at the locus afresh under phi = h (its hybrid
// index, the parental frequencies of the locus), refits the cline and
// keeps its likelihood-ratio statistic.  No I/O.

#include <cstdint>

#include "model/cline_likelihood.hpp"

namespace parmix {

struct ClineBootstrap {
  int replicates = 0;       // per locus; 0: no bootstrap
  std::uint64_t seed = 1;   // with the locus's row, its stream of draws
};

// The bootstrap p-value of LOCUS whose observed statistic is LR: (1 + the
// number of replicates whose statistic is at least LR) / (1 + replicates).
// The replicates' individuals are those of LOCUS, at the same hybrid
// indices (so the same pattern of missing genotypes); ALLELES is the
// number of alleles of a codominant locus (the length of its frequency
// rows).  The draws come from one stream fixed by SETTINGS.seed and
// STREAM, so a locus's value depends on neither the other loci nor the
// threads.  NaN when LR is NaN, no replicate is asked for, or LOCUS holds
// individuals by their genotype likelihoods (only called genotypes are
// drawn).
double neutralBootstrapP(const ClineLocus& locus, int alleles, double lr,
                         const ClineBootstrap& settings, std::uint64_t stream);

}  // namespace parmix

#endif
