#ifndef PARMIX_ESTIMATE_STUDY_HPP
#define PARMIX_ESTIMATE_STUDY_HPP

// The study of every individual of a run, in one loop whatever the run
// holds: the source of the individuals (a text data set's genotype matrix,
// a genome-scale panel's two-byte store, with or without its genotype
// likelihoods), the description of the parents (exact frequencies, or each
// locus's genotype moments under uncertain frequencies) and the model
// (hybrid index, joint).  The combination is chosen once per run; each
// worker then lays out one individual at a time with that combination's
// layout and studies it, so the memory beyond the data is a fixed working
// set per worker, and the rows are the same bits on any number of threads.
// No I/O.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "estimate/hybrid_classes.hpp"
#include "estimate/individual_study.hpp"
#include "estimate/joint_study.hpp"
#include "estimate/newton_search.hpp"
#include "input/compact_genotypes.hpp"
#include "input/compact_likelihoods.hpp"
#include "input/data_set.hpp"
#include "input/reference_counts.hpp"
#include "model/gl_likelihood.hpp"

namespace parmix {

// Where the individuals' designations come from.  The loop calls it from
// several threads at once, so an implementation only reads.
class IndividualSource {
 public:
  virtual ~IndividualSource() = default;
  virtual int individuals() const = 0;
  virtual int loci() const = 0;
  // Individuals laid out by one call: one task of the loop.
  virtual int blockSize() const = 0;
  // Writes the designations of individuals first .. first+count-1
  // (count <= blockSize()) into the first 2*count columns of BLOCK, loci()
  // rows: two per individual and locus, kMissing where missing.
  virtual void layOutBlock(int first, int count, int** block) const = 0;
  // The individuals' genotype likelihoods, or nullptr: every locus from the
  // designations.  Only a study under the corrections reads them.
  virtual const CompactLikelihoods* likelihoods() const { return nullptr; }
};

// The genotype matrix of a text data set: LOCI rows of two columns per
// individual, in file order.  The matrix must outlive this object.
class MatrixIndividuals final : public IndividualSource {
 public:
  MatrixIndividuals(int** genotypes, int loci, int individuals)
      : genotypes_(genotypes), loci_(loci), individuals_(individuals) {}
  explicit MatrixIndividuals(DataSet& data)
      : MatrixIndividuals(data.genotypes.rows(), data.nLoci, data.nCols / 2) {}

  int individuals() const override { return individuals_; }
  int loci() const override { return loci_; }
  int blockSize() const override;
  void layOutBlock(int first, int count, int** block) const override;

 private:
  int** genotypes_;
  int loci_;
  int individuals_;
};

// The two-byte store of a genome-scale panel, with its likelihoods when
// the run reads them (nullptr: from the calls).  Both must outlive this.
class StoredIndividuals final : public IndividualSource {
 public:
  explicit StoredIndividuals(const CompactGenotypes& genotypes,
                             const CompactLikelihoods* likelihoods = nullptr)
      : genotypes_(genotypes), likelihoods_(likelihoods) {}

  int individuals() const override { return genotypes_.individuals(); }
  int loci() const override { return genotypes_.loci(); }
  int blockSize() const override { return 1; }
  void layOutBlock(int first, int count, int** block) const override;
  const CompactLikelihoods* likelihoods() const override { return likelihoods_; }

 private:
  const CompactGenotypes& genotypes_;
  const CompactLikelihoods* likelihoods_;
};

// The parents, one entry per locus; the tables are the caller's, only read.
struct ParentalModel {
  ParentalModel(const char* types, const double* const* r, const double* const* s,
                const std::vector<SiteGenotypes>* corrected = nullptr)
      : locusType(types), freqR(r), freqS(s), sites(corrected) {}

  // The types the study lays out from: 'B' where the checks take a locus
  // out (effectiveLocusTypes).
  const char* locusType;
  // Exact frequencies, one row per locus; read when sites is nullptr.
  const double* const* freqR;
  const double* const* freqS;
  // The corrections: each locus's genotype moments (a codominant site at a
  // 'C' locus, SiteGenotypes::dominant at a 'D' locus), under the
  // posteriors of the reference samples' counts or from the likelihood-
  // based frequencies.  Each individual's term then comes from its genotype
  // likelihoods where the source has them, from its call or band score
  // elsewhere.
  const std::vector<SiteGenotypes>* sites;
};

// Each locus's genotype moments from its counts: a Dirichlet over the
// alleles with the count plus the pseudo-count (nothing for an allele seen
// nowhere) at a codominant locus, a Beta over the share without the band at
// a dominant one.  The counts must have passed checkReferenceCounts.
std::vector<SiteGenotypes> countedSites(const ReferenceCounts& counts);

// The models, each with the row it gives.
struct HybridIndexModel {
  using Row = IndividualEstimate;
};
struct JointModel {
  using Row = JointEstimate;
  ClassThresholds thresholds;
};

// How much of the used loci (type other than 'B') an individual has a
// genotype at: a 'D' locus needs its band score, any other both alleles.
struct DataCount {
  int loci = 0;
  int missing = 0;
};

// The data count of one individual from its designations (LOCI rows).
DataCount countIndividualData(const int* const* indGenotype, int loci, const char* locusType);

// Called after every individual with the number finished so far, from the
// worker that finished it; calls never overlap.
using StudyProgress = std::function<void(std::size_t done)>;

struct StudySettings {
  explicit StudySettings(unsigned threads, StudyProgress onProgress = nullptr,
                         std::vector<DataCount>* dataCounts = nullptr,
                         std::uint64_t* logCallSum = nullptr)
      : workers(threads), progress(std::move(onProgress)), counts(dataCounts),
        logCalls(logCallSum) {}

  // At most this many threads, the calling one included.
  unsigned workers;
  StudyProgress progress;
  // When given: every individual's data count, in source order.
  std::vector<DataCount>* counts;
  // When given: the log calls of the hybrid-index model's evaluations are
  // added to it (benchmarks compare the run with that many bare log calls).
  std::uint64_t* logCalls;
  // When given: the hybrid-index model's passes over an individual's loci
  // (values and derivatives) are added to it.
  std::uint64_t* passes = nullptr;
  // The searches inside the brackets of the hybrid-index model's study.
  // The text command keeps Brent's; the genome run asks for Newton's,
  // which take a third of the passes (see estimate/newton_search.hpp).
  Search search = Search::Bracketing;
  // Whether the hybrid-index model's rows get their support limits; an
  // analysis that needs the estimates alone skips them (Limits::kSkip),
  // which leaves the estimates as they are and the limits undefined.
  Limits limits = Limits::kFind;
};

// The rows of every individual of SOURCE, in source order.  A failure in
// any worker (memory running out, a progress callback that throws) stops
// the others and is rethrown here, on the calling thread.
std::vector<IndividualEstimate> studyIndividuals(const IndividualSource& source,
                                                 const ParentalModel& parents,
                                                 const HybridIndexModel& model,
                                                 const StudySettings& settings);
std::vector<JointEstimate> studyIndividuals(const IndividualSource& source,
                                            const ParentalModel& parents, const JointModel& model,
                                            const StudySettings& settings);

// Lays out TERMS (cleared first) for individual j from its designations
// under the corrections (PARENTS.sites): at a 'C' locus its likelihoods
// where LIKELIHOODS has them, else its call; at a 'D' locus its band score
// (designation[0]: 1 present, 0 absent) as the likelihoods of
// phenotypeLikelihoods.  A missing designation adds nothing, and so does a
// locus of any other type.  SCRATCH is the caller's, kept from one locus to
// the next.
void layOutCorrectedIndividual(const int* const* indGenotype, int j, const ParentalModel& parents,
                               const CompactLikelihoods* likelihoods, GlIndividual& terms,
                               std::vector<double>& scratch);

}  // namespace parmix

#endif
