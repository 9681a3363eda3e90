#ifndef PARMIX_ESTIMATE_PANEL_STUDY_HPP
#define PARMIX_ESTIMATE_PANEL_STUDY_HPP

// The individual loop of a genome-scale run: every individual of a compact
// genotype store studied on several threads.  Each worker lays out one
// individual at a time (its nLoci x 2 designations and the context of its
// study, see estimate/individual_context.hpp), so the memory beyond the
// store is a fixed working set per worker.

#include <cstddef>
#include <functional>
#include <vector>

#include "estimate/individual_context.hpp"
#include "estimate/individual_study.hpp"
#include "input/compact_genotypes.hpp"

namespace parmix {

// The parental side of a panel: one frequency row per locus (row pointers
// into tables the caller owns) and the effective locus types ('B' where the
// checks take a locus out; see effectiveLocusTypes).  All
// are only read (non-const as the steps of the study take them).
struct PanelParents {
  double** freqR;
  double** freqS;
  char* locusType;
};

// The estimate of one individual from its designations (LOCI rows of two
// ints, kMissing where missing).  CONTEXT is the caller's, kept from one
// individual to the next; it is laid out here for this individual.
IndividualEstimate estimateIndividual(int** indGenotype, int loci, const PanelParents& parents,
                                      IndividualContext& context);

// Called after every individual with the number finished so far, from the
// worker that finished it; calls never overlap.
using StudyProgress = std::function<void(std::size_t done)>;

// The estimates of every individual of GENOTYPES, in store order, worked out
// on at most WORKERS threads (the calling one included).  A failure in any
// worker stops the others and is rethrown here.
std::vector<IndividualEstimate> studyPanel(const CompactGenotypes& genotypes,
                                           const PanelParents& parents, unsigned workers,
                                           const StudyProgress& progress = nullptr);

}  // namespace parmix

#endif
