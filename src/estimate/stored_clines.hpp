#ifndef PARMIX_ESTIMATE_STORED_CLINES_HPP
#define PARMIX_ESTIMATE_STORED_CLINES_HPP

// The genomic clines of a genome-scale panel, fitted straight from its
// compact store: each worker lays out a short run of loci at a time (all
// individuals' designations of those loci, never the whole matrix) and
// builds each locus's terms from it, so the memory beyond the store is a
// fixed working set per worker.  The rows are the same bits on any number
// of threads, and on a panel without corrections the same bits as
// studyAllClines on the data set the panel imports to.  No I/O.

#include <cstddef>
#include <functional>
#include <vector>

#include "estimate/cline_study.hpp"
#include "input/compact_genotypes.hpp"
#include "input/compact_likelihoods.hpp"
#include "model/gl_likelihood.hpp"

namespace parmix {

// The panel as the fits read it; every table is the caller's, only read,
// and must outlive the study.
struct StoredLoci {
  const CompactGenotypes* genotypes = nullptr;
  // The individuals' genotype likelihoods, or nullptr: every locus from
  // the calls.  Read only under the corrections (sites not nullptr).
  const CompactLikelihoods* likelihoods = nullptr;
  const char* locusType = nullptr;  // as read ('C', 'D')
  const char* locusUsed = nullptr;  // 0 where the parental checks take a locus out
  double* const* freqR = nullptr;   // exact frequencies, one row per locus
  double* const* freqS = nullptr;
  // The corrections: each locus's genotype moments, or nullptr.  Each
  // individual's term is then the model's term under its likelihoods
  // (where the store has them, else its call) with phi in place of h.
  const std::vector<SiteGenotypes>* sites = nullptr;
};

// Called with the loci fitted so far; calls never overlap.
using ClineProgress = std::function<void(std::size_t fitted)>;

// Fits every used locus of [FIRST, LAST) on the individuals whose H entry
// (one per individual of the store, in store order) is a number.  The
// rows' q-values and categories are left to judgeClines, which needs every
// locus of the run; lociExcluded counts the range's loci the checks took
// out.  A failure in a worker is rethrown here.
ClineStudy studyStoredClines(const StoredLoci& panel, const std::vector<IndividualEstimate>& h,
                             int first, int last, unsigned workers,
                             const ClineProgress& progress = nullptr);

}  // namespace parmix

#endif
