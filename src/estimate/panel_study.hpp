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
#include "estimate/joint_study.hpp"
#include "input/compact_genotypes.hpp"
#include "input/compact_likelihoods.hpp"
#include "model/gl_likelihood.hpp"

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

// How much of the used loci (type other than 'B') an individual has a
// genotype at: a 'D' locus needs its band score, any other both alleles.
struct DataCount {
  int loci = 0;
  int missing = 0;
};

// The data count of one individual from its designations (LOCI rows).
DataCount countIndividualData(int** indGenotype, int loci, const char* locusType);

// The data count of every individual of a loaded DATA set, in file order,
// by the rule of countIndividualData over the loci it uses; read only, in
// one pass over the genotype matrix, holding nothing beyond the counts.
std::vector<DataCount> countDataSet(const DataSet& data);

// Called after every individual with the number finished so far, from the
// worker that finished it; calls never overlap.
using StudyProgress = std::function<void(std::size_t done)>;

// The estimates of every individual of GENOTYPES, in store order, worked out
// on at most WORKERS threads (the calling one included).  A failure in any
// worker stops the others and is rethrown here.  COUNTS, when given, gets
// every individual's data count, in store order, from the same layout.
std::vector<IndividualEstimate> studyPanel(const CompactGenotypes& genotypes,
                                           const PanelParents& parents, unsigned workers,
                                           const StudyProgress& progress = nullptr,
                                           std::vector<DataCount>* counts = nullptr);

// The corrected analysis of a panel: each locus's genotype probabilities as
// expectations under the parental frequencies' posteriors (or the exact
// frequencies), and each individual's term from its genotype likelihoods
// where there are any, from its call or band score elsewhere.
struct CorrectedPanel {
  // One per locus, shared by all individuals: a codominant site at a 'C'
  // locus, SiteGenotypes::dominant at a 'D' locus.  Loci of any other type
  // in locusType (such as those the checks took out) add nothing.
  const std::vector<SiteGenotypes>* sites;
  const char* locusType;
  // nullptr: every locus from the calls.  Only 'C' loci read it.
  const CompactLikelihoods* likelihoods;
};

// Lays out TERMS (cleared first) for individual j from its designations:
// at a 'C' locus its likelihoods where the panel has them, else its call;
// at a 'D' locus its band score (designation[0]: 1 present, 0 absent) as
// the likelihoods of phenotypeLikelihoods.  A missing designation adds
// nothing.  SCRATCH is the caller's, kept from one locus to the next.
void layOutCorrectedIndividual(int** indGenotype, int j, const CorrectedPanel& panel,
                               GlIndividual& terms, std::vector<double>& scratch);

// The estimate of one individual from its designations and, where the
// panel has them, its likelihoods.  TERMS and SCRATCH are the caller's
// working space, kept from one individual to the next.
IndividualEstimate estimateCorrectedIndividual(int** indGenotype, int j, const CorrectedPanel& panel,
                                               GlIndividual& terms, std::vector<double>& scratch);

// As studyPanel, for the corrected analysis.
std::vector<IndividualEstimate> studyCorrectedPanel(const CompactGenotypes& genotypes,
                                                    const CorrectedPanel& panel, unsigned workers,
                                                    const StudyProgress& progress = nullptr,
                                                    std::vector<DataCount>* counts = nullptr);

// The joint analysis of ancestry and interclass heterozygosity of one
// individual from its designations: LAYOUT (the caller's, kept from one
// individual to the next) takes its 'C' and 'D' loci; any other type, such
// as a locus the parental checks took out, adds nothing.
JointEstimate estimateJointIndividual(int** indGenotype, int loci, const PanelParents& parents,
                                     const ClassThresholds& thresholds, JointIndividual& layout);

// As studyPanel, for the joint analysis: the rows of every individual of
// GENOTYPES in store order, the same for every number of WORKERS.
std::vector<JointEstimate> studyJointPanel(const CompactGenotypes& genotypes,
                                           const PanelParents& parents,
                                           const ClassThresholds& thresholds, unsigned workers,
                                           const StudyProgress& progress = nullptr);

// The joint analysis of one individual under the corrections: TERMS is laid
// out as for estimateCorrectedIndividual and LAYOUT takes its terms' state
// sums (layOutJointFromTerms).  TERMS, LAYOUT and SCRATCH are the caller's,
// kept from one individual to the next.
JointEstimate estimateCorrectedJointIndividual(int** indGenotype, int j,
                                               const CorrectedPanel& panel,
                                               const ClassThresholds& thresholds,
                                               GlIndividual& terms, JointIndividual& layout,
                                               std::vector<double>& scratch);

// As studyJointPanel, for the corrected analysis.
std::vector<JointEstimate> studyCorrectedJointPanel(const CompactGenotypes& genotypes,
                                                    const CorrectedPanel& panel,
                                                    const ClassThresholds& thresholds,
                                                    unsigned workers,
                                                    const StudyProgress& progress = nullptr);

}  // namespace parmix

#endif
