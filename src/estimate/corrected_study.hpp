#ifndef PARMIX_ESTIMATE_CORRECTED_STUDY_HPP
#define PARMIX_ESTIMATE_CORRECTED_STUDY_HPP

// The corrected analyses of a data set read from a parental and an
// individual file: every individual studied with the parental frequencies
// as Dirichlet (Beta) posteriors of the reference samples' counts, on
// several threads, by the steps of the genome-scale path's corrected study.

#include <vector>

#include "estimate/hybrid_classes.hpp"
#include "estimate/individual_study.hpp"
#include "estimate/joint_study.hpp"
#include "input/data_set.hpp"
#include "input/reference_counts.hpp"
#include "model/gl_likelihood.hpp"

namespace parmix {

// Each locus's genotype moments from its counts: a Dirichlet over the
// alleles with the count plus the pseudo-count (nothing for an allele seen
// nowhere) at a codominant locus, a Beta over the share without the band at
// a dominant one.  The counts must have passed checkReferenceCounts.
std::vector<SiteGenotypes> countedSites(const ReferenceCounts& counts);

// The hybrid-index estimates of every individual (nCols / 2 of them), in
// file order, on at most WORKERS threads; loci whose locusUsed is 0 take no
// part.  A failure in a worker stops the others and is rethrown here.
std::vector<IndividualEstimate> studyAllCorrected(DataSet& data,
                                                  const std::vector<SiteGenotypes>& sites,
                                                  unsigned workers);

// The same for the joint analysis of ancestry and interclass heterozygosity.
std::vector<JointEstimate> studyAllCorrectedJoint(DataSet& data,
                                                  const std::vector<SiteGenotypes>& sites,
                                                  const ClassThresholds& thresholds,
                                                  unsigned workers);

}  // namespace parmix

#endif
