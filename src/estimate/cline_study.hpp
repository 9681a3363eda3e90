#ifndef PARMIX_ESTIMATE_CLINE_STUDY_HPP
#define PARMIX_ESTIMATE_CLINE_STUDY_HPP

// The genomic clines of every used locus of a data set, given each
// individual's hybrid index, on several threads.  No I/O.

#include <vector>

#include "estimate/cline_bootstrap.hpp"
#include "estimate/cline_fit.hpp"
#include "estimate/individual_study.hpp"
#include "input/data_set.hpp"
#include "model/gl_likelihood.hpp"

namespace parmix {

// The individuals of H that have an estimate, as the clines take them (each
// with its row of H), in order of h: a locus's individuals are then in the
// order its searches along the centre need them in.
std::vector<ClineIndividual> clineIndividuals(const std::vector<IndividualEstimate>& h);

struct ClineStudy {
  std::vector<int> loci;             // row of each fitted locus, in file order
  std::vector<ClineEstimate> rows;   // its fit, q-value and category
  int lociExcluded = 0;              // loci the parental checks took out
  int individualsUsed = 0;           // individuals with a hybrid index
  int individualsLeftOut = 0;        // those without one
  int bootstrapReplicates = 0;       // per locus, 0 when not asked for
};

// Fits every locus whose locusUsed is 1 on the individuals whose H entry
// (one per individual, in file order) is a number; then the q-values and
// categories at THRESHOLD over the fitted loci.  The same result for every
// number of WORKERS (at least 1).  A failure in a worker is rethrown here.
// With BOOTSTRAP's replicates, each row's bootstrap p-value too, each
// locus drawing from its own stream (seed and row).  With SITES (the
// loci's genotype moments under uncertain parental frequencies, one per
// locus), each individual's term is the model's term under them with phi
// in place of h, as the genome path fits them; no bootstrap then.
ClineStudy studyAllClines(DataSet& data, const std::vector<IndividualEstimate>& h,
                          double threshold, unsigned workers,
                          const ClineBootstrap& bootstrap = {},
                          const std::vector<SiteGenotypes>* sites = nullptr);

}  // namespace parmix

#endif
