#include "estimate/study.hpp"

#include <algorithm>
#include <atomic>
#include <limits>
#include <memory>
#include <mutex>

#include "estimate/gl_estimate.hpp"
#include "estimate/individual_context.hpp"
#include "estimate/worker_pool.hpp"
#include "model/joint_likelihood.hpp"
#include "model/reference_uncertainty.hpp"

namespace parmix {

namespace {

// Individuals of a genotype matrix laid out together.  Their columns are
// copied out in one pass: every locus row lies in pages of its own, so a
// pass per individual would fetch each row's cache line (and page) again
// for every one of them.
constexpr int kMatrixBlock = 16;
// Rows ahead whose cells are fetched early, so the pass does not stall on
// a memory round trip per row.
constexpr int kRowsAhead = 16;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

FrequencyMoments dirichletOf(const std::vector<double>& counts, double pseudo) {
  std::vector<double> alpha;
  for (double c : counts) alpha.push_back(c == kSeenNowhere ? 0.0 : c + pseudo);
  return dirichletMoments(alpha.data(), static_cast<int>(alpha.size()), 0.0);
}

SiteGenotypes siteOf(const LocusCounts& row, double pseudo) {
  if (row.type == 'D')
    return SiteGenotypes::dominant(betaPhenotypeMoments(row.r[0], row.r[1], pseudo),
                                   betaPhenotypeMoments(row.s[0], row.s[1], pseudo));
  return SiteGenotypes(dirichletOf(row.r, pseudo), dirichletOf(row.s, pseudo));
}

// The likelihoods of one individual's locus: its own, its call's, or none.
const double* locusLikelihoods(const int* designation, int locus, int j, int k,
                               const CompactLikelihoods* stored, std::vector<double>& scratch) {
  scratch.resize(static_cast<std::size_t>(genotypeCount(k)));
  if (stored != nullptr && stored->hasLikelihoods(locus))
    return stored->likelihoods(locus, j, scratch.data()) ? scratch.data() : nullptr;
  // One allele missing counts as the whole genotype missing, as in the
  // likelihood of the frequencies themselves.
  if (designation[0] == kMissing || designation[1] == kMissing) return nullptr;
  calledGenotypeLikelihoods(designation[0] - 1, designation[1] - 1, k, scratch.data());
  return scratch.data();
}

// A dominant locus's band score as the likelihoods of its site's three
// genotypes, or none when missing (or not a score).
const double* bandLikelihoods(int score, std::vector<double>& scratch) {
  if (score != 0 && score != 1) return nullptr;
  scratch.resize(3);
  phenotypeLikelihoods(score == 1, scratch.data());
  return scratch.data();
}

IndividualEstimate rowOf(const SupportedEstimate& e) {
  return {e.h, e.lowerBound, e.upperBound, {e.truncated[0], e.truncated[1]}};
}

// The layouts of one worker, one per combination of model and parents.
// Each studies individual j from its designations (the source's LOCI rows)
// and is made once per thread, kept from one individual to the next.

// The hybrid index on exact frequencies: the analysis of the text command.
class HybridIndexOnFrequencies {
 public:
  HybridIndexOnFrequencies(const ParentalModel& parents, const HybridIndexModel&,
                           const IndividualSource&, int loci, const StudySettings& settings)
      : parents_(parents), loci_(loci), search_(settings.search), limits_(settings.limits) {}
  IndividualEstimate study(int** indGenotype, int) {
    context_.layOut(indGenotype, parents_.freqR, parents_.freqS, parents_.locusType, loci_);
    if (!context_.hasData()) return {kNaN, kNaN, kNaN, {false, false}};
    return rowOf(studyLikelihood(context_.points(), search_, limits_));
  }
  std::uint64_t logCalls() const { return context_.logCalls(); }
  std::uint64_t passes() const { return context_.passes(); }

 private:
  const ParentalModel& parents_;
  int loci_;
  Search search_;
  Limits limits_;
  IndividualContext context_;
};

// The hybrid index under the corrections.
class HybridIndexOnSites {
 public:
  HybridIndexOnSites(const ParentalModel& parents, const HybridIndexModel&,
                     const IndividualSource& source, int loci, const StudySettings& settings)
      : parents_(parents), likelihoods_(source.likelihoods()), search_(settings.search),
        limits_(settings.limits) {
    terms_.reserve(static_cast<std::size_t>(loci));
  }
  IndividualEstimate study(int** indGenotype, int j) {
    layOutCorrectedIndividual(indGenotype, j, parents_, likelihoods_, terms_, scratch_);
    return rowOf(studyGlIndividual(terms_, points_, search_, limits_));
  }
  std::uint64_t logCalls() const { return points_.logCalls(); }
  std::uint64_t passes() const { return points_.passes(); }

 private:
  const ParentalModel& parents_;
  const CompactLikelihoods* likelihoods_;
  Search search_;
  Limits limits_;
  GlIndividual terms_;
  std::vector<double> scratch_;
  RememberedLikelihood points_;
};

// The joint model on exact frequencies.
class JointOnFrequencies {
 public:
  JointOnFrequencies(const ParentalModel& parents, const JointModel& model,
                     const IndividualSource&, int loci, const StudySettings&)
      : parents_(parents), model_(model), loci_(loci) {
    layout_.reserve(static_cast<std::size_t>(loci));
  }
  JointEstimate study(int** indGenotype, int) {
    layout_.clear();
    for (int i = 0; i < loci_; ++i)
      layout_.addLocus(parents_.locusType[i], indGenotype[i][0], indGenotype[i][1],
                       parents_.freqR[i], parents_.freqS[i]);
    return studyJointIndividual(layout_, model_.thresholds);
  }
  std::uint64_t logCalls() const { return 0; }
  std::uint64_t passes() const { return 0; }

 private:
  const ParentalModel& parents_;
  const JointModel& model_;
  int loci_;
  JointIndividual layout_;
};

// The joint model under the corrections: the terms' state sums.
class JointOnSites {
 public:
  JointOnSites(const ParentalModel& parents, const JointModel& model,
               const IndividualSource& source, int loci, const StudySettings&)
      : parents_(parents), model_(model), likelihoods_(source.likelihoods()) {
    terms_.reserve(static_cast<std::size_t>(loci));
    layout_.reserve(static_cast<std::size_t>(loci));
  }
  JointEstimate study(int** indGenotype, int j) {
    layOutCorrectedIndividual(indGenotype, j, parents_, likelihoods_, terms_, scratch_);
    layOutJointFromTerms(terms_, layout_);
    return studyJointIndividual(layout_, model_.thresholds);
  }
  std::uint64_t logCalls() const { return 0; }
  std::uint64_t passes() const { return 0; }

 private:
  const ParentalModel& parents_;
  const JointModel& model_;
  const CompactLikelihoods* likelihoods_;
  GlIndividual terms_;
  JointIndividual layout_;
  std::vector<double> scratch_;
};

// One thread's working space: a block of the source's individuals, the
// one being studied, and the layout that studies it.
template <typename Layout>
struct Worker {
  template <typename Model>
  Worker(const ParentalModel& parents, const Model& model, const IndividualSource& source,
         int loci, int size, const StudySettings& settings)
      : block(loci, 2 * size), one(size > 1 ? loci : 0, 2),
        layout(parents, model, source, loci, settings) {}

  // Individual k of the block laid out last, as LOCI rows of two.
  int** designations(int k, int loci) {
    if (one.rowCount() == 0) return block.rows();
    getGenotype(one.rows(), block.rows(), loci, 2 * k);
    return one.rows();
  }

  RowTable<int> block;
  RowTable<int> one;
  Layout layout;
};

// What the loop shares between its workers beyond the rows.
struct Shared {
  std::mutex progressLock;
  std::size_t done = 0;
  std::atomic<std::uint64_t> logCalls{0};
  std::atomic<std::uint64_t> passes{0};
};

// The loop: every task lays out a block of individuals, then studies each
// with the worker's own layout, and writes only its own rows.
template <typename Layout, typename Model>
std::vector<typename Model::Row> studyEach(const IndividualSource& source,
                                           const ParentalModel& parents, const Model& model,
                                           const StudySettings& settings) {
  const int individuals = source.individuals();
  const int loci = source.loci();
  const int block = std::max(1, source.blockSize());
  std::vector<typename Model::Row> rows(static_cast<std::size_t>(individuals));
  if (settings.counts != nullptr) settings.counts->assign(rows.size(), DataCount{});
  Shared shared;
  runOnWorkers((individuals + block - 1) / block, settings.workers, [&]() -> TaskBody {
    auto worker =
        std::make_shared<Worker<Layout>>(parents, model, source, loci, block, settings);
    return [&, worker](int task) {
      const int first = task * block;
      const int count = std::min(block, individuals - first);
      const std::uint64_t before = worker->layout.logCalls();
      const std::uint64_t passesBefore = worker->layout.passes();
      source.layOutBlock(first, count, worker->block.rows());
      for (int k = 0; k < count; ++k) {
        const std::size_t j = static_cast<std::size_t>(first + k);
        int** indGenotype = worker->designations(k, loci);
        if (settings.counts != nullptr)
          (*settings.counts)[j] = countIndividualData(indGenotype, loci, parents.locusType);
        rows[j] = worker->layout.study(indGenotype, first + k);
        if (!settings.progress) continue;
        const std::lock_guard<std::mutex> lock(shared.progressLock);
        settings.progress(++shared.done);
      }
      shared.logCalls += worker->layout.logCalls() - before;
      shared.passes += worker->layout.passes() - passesBefore;
    };
  });
  if (settings.logCalls != nullptr) *settings.logCalls += shared.logCalls;
  if (settings.passes != nullptr) *settings.passes += shared.passes;
  return rows;
}

}  // namespace

int MatrixIndividuals::blockSize() const { return kMatrixBlock; }

void MatrixIndividuals::layOutBlock(int first, int count, int** block) const {
  for (int i = 0; i < loci_; ++i) {
    if (i + kRowsAhead < loci_) {
      const int* ahead = genotypes_[i + kRowsAhead] + 2 * first;
      __builtin_prefetch(ahead);
      __builtin_prefetch(ahead + 2 * count - 1);
    }
    const int* cells = genotypes_[i] + 2 * first;
    std::copy(cells, cells + 2 * count, block[i]);
  }
}

void StoredIndividuals::layOutBlock(int first, int, int** block) const {
  genotypes_.layOutIndividual(first, block, kMissing);
}

std::vector<SiteGenotypes> countedSites(const ReferenceCounts& counts) {
  std::vector<SiteGenotypes> sites;
  sites.reserve(counts.loci.size());
  for (const LocusCounts& row : counts.loci) sites.push_back(siteOf(row, counts.pseudoCount));
  return sites;
}

DataCount countIndividualData(const int* const* indGenotype, int loci, const char* locusType) {
  DataCount count;
  for (int i = 0; i < loci; ++i) {
    if (locusType[i] == 'B') continue;
    const bool scored = indGenotype[i][0] != kMissing &&
                        (locusType[i] == 'D' || indGenotype[i][1] != kMissing);
    ++(scored ? count.loci : count.missing);
  }
  return count;
}

void layOutCorrectedIndividual(const int* const* indGenotype, int j, const ParentalModel& parents,
                               const CompactLikelihoods* likelihoods, GlIndividual& terms,
                               std::vector<double>& scratch) {
  terms.clear();
  const std::vector<SiteGenotypes>& sites = *parents.sites;
  for (std::size_t i = 0; i < sites.size(); ++i) {
    if (parents.locusType[i] == 'C') {
      const int locus = static_cast<int>(i);
      terms.addSite(sites[i], locusLikelihoods(indGenotype[i], locus, j, sites[i].alleles(),
                                               likelihoods, scratch));
    } else if (parents.locusType[i] == 'D') {
      terms.addSite(sites[i], bandLikelihoods(indGenotype[i][0], scratch));
    }
  }
}

std::vector<IndividualEstimate> studyIndividuals(const IndividualSource& source,
                                                 const ParentalModel& parents,
                                                 const HybridIndexModel& model,
                                                 const StudySettings& settings) {
  if (parents.sites != nullptr)
    return studyEach<HybridIndexOnSites>(source, parents, model, settings);
  return studyEach<HybridIndexOnFrequencies>(source, parents, model, settings);
}

std::vector<JointEstimate> studyIndividuals(const IndividualSource& source,
                                            const ParentalModel& parents, const JointModel& model,
                                            const StudySettings& settings) {
  if (parents.sites != nullptr) return studyEach<JointOnSites>(source, parents, model, settings);
  return studyEach<JointOnFrequencies>(source, parents, model, settings);
}

}  // namespace parmix
