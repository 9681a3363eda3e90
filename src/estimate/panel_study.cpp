#include "estimate/panel_study.hpp"

#include <memory>
#include <mutex>

#include "estimate/gl_estimate.hpp"
#include "estimate/worker_pool.hpp"
#include "input/data_set.hpp"

namespace parmix {

IndividualEstimate estimateIndividual(int** indGenotype, int loci, const PanelParents& parents,
                                      IndividualContext& context) {
  context.layOut(indGenotype, parents.freqR, parents.freqS, parents.locusType, loci);
  return studyIndividualGenotype(indGenotype, parents.freqR, parents.freqS, parents.locusType,
                                 loci, &context);
}

DataCount countIndividualData(int** indGenotype, int loci, const char* locusType) {
  DataCount count;
  for (int i = 0; i < loci; ++i) {
    if (locusType[i] == 'B') continue;
    const bool scored = indGenotype[i][0] != kMissing &&
                        (locusType[i] == 'D' || indGenotype[i][1] != kMissing);
    ++(scored ? count.loci : count.missing);
  }
  return count;
}

std::vector<DataCount> countDataSet(const DataSet& data) {
  std::vector<DataCount> counts(static_cast<std::size_t>(data.nCols / 2));
  const std::vector<char> types = effectiveLocusTypes(data);
  const int* const* genotypes = data.genotypes.rows();
  for (int i = 0; i < data.nLoci; ++i) {
    if (types[static_cast<std::size_t>(i)] == 'B') continue;
    const bool dominant = types[static_cast<std::size_t>(i)] == 'D';
    const int* row = genotypes[i];
    for (std::size_t j = 0; j < counts.size(); ++j) {
      const bool scored = row[2 * j] != kMissing && (dominant || row[2 * j + 1] != kMissing);
      ++(scored ? counts[j].loci : counts[j].missing);
    }
  }
  return counts;
}

namespace {

// Where the worker loop puts the data counts, if anywhere: one per
// individual, counted over LOCUSTYPE.
struct CountSink {
  std::vector<DataCount>* counts;
  const char* locusType;
};

// The worker loop shared by both analyses: WORKSPACE makes a thread's own
// working space (kept from task to task) and ESTIMATE studies individual j
// from its laid-out designations with it.
template <typename Row, typename Workspace, typename Estimate>
std::vector<Row> studyEach(const CompactGenotypes& genotypes, unsigned workers,
                           const StudyProgress& progress, Workspace workspace, Estimate estimate,
                           CountSink sink = {nullptr, nullptr}) {
  std::vector<Row> rows(static_cast<std::size_t>(genotypes.individuals()));
  const int loci = genotypes.loci();
  if (sink.counts != nullptr) sink.counts->assign(rows.size(), DataCount{});
  std::size_t done = 0;
  std::mutex progressLock;
  runOnWorkers(genotypes.individuals(), workers, [&]() -> TaskBody {
    auto indGenotype = std::make_shared<RowTable<int>>(loci, 2, kMissing);
    auto space = workspace();
    return [&, indGenotype, space](int j) {
      genotypes.layOutIndividual(j, indGenotype->rows(), kMissing);
      if (sink.counts != nullptr)
        (*sink.counts)[static_cast<std::size_t>(j)] =
            countIndividualData(indGenotype->rows(), loci, sink.locusType);
      rows[static_cast<std::size_t>(j)] = estimate(indGenotype->rows(), j, *space);
      if (!progress) return;
      const std::lock_guard<std::mutex> lock(progressLock);
      progress(++done);
    };
  });
  return rows;
}

struct CorrectedWorkspace {
  GlIndividual terms;
  std::vector<double> scratch;
};

struct CorrectedJointWorkspace {
  GlIndividual terms;
  JointIndividual layout;
  std::vector<double> scratch;
};

// The likelihoods of one individual's locus: its own, its call's, or none.
const double* locusLikelihoods(const int* designation, int locus, int j, int k,
                               const CompactLikelihoods* stored, std::vector<double>& scratch) {
  scratch.resize(static_cast<std::size_t>(genotypeCount(k)));
  if (stored != nullptr && stored->hasLikelihoods(locus))
    return stored->likelihoods(locus, j, scratch.data()) ? scratch.data() : nullptr;
  if (designation[0] == kMissing) return nullptr;
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

}  // namespace

std::vector<IndividualEstimate> studyPanel(const CompactGenotypes& genotypes,
                                           const PanelParents& parents, unsigned workers,
                                           const StudyProgress& progress,
                                           std::vector<DataCount>* counts) {
  const int loci = genotypes.loci();
  return studyEach<IndividualEstimate>(
      genotypes, workers, progress,
      [] { return std::make_shared<IndividualContext>(); },
      [&](int** indGenotype, int, IndividualContext& context) {
        return estimateIndividual(indGenotype, loci, parents, context);
      },
      CountSink{counts, parents.locusType});
}

void layOutCorrectedIndividual(int** indGenotype, int j, const CorrectedPanel& panel,
                               GlIndividual& terms, std::vector<double>& scratch) {
  terms.clear();
  const std::vector<SiteGenotypes>& sites = *panel.sites;
  for (std::size_t i = 0; i < sites.size(); ++i) {
    if (panel.locusType[i] == 'C') {
      const int locus = static_cast<int>(i);
      terms.addSite(sites[i], locusLikelihoods(indGenotype[i], locus, j, sites[i].alleles(),
                                               panel.likelihoods, scratch));
    } else if (panel.locusType[i] == 'D') {
      terms.addSite(sites[i], bandLikelihoods(indGenotype[i][0], scratch));
    }
  }
}

IndividualEstimate estimateCorrectedIndividual(int** indGenotype, int j, const CorrectedPanel& panel,
                                               GlIndividual& terms, std::vector<double>& scratch) {
  layOutCorrectedIndividual(indGenotype, j, panel, terms, scratch);
  const SupportedEstimate e = studyGlIndividual(terms);
  return IndividualEstimate{e.h, e.lowerBound, e.upperBound, {e.truncated[0], e.truncated[1]}};
}

std::vector<IndividualEstimate> studyCorrectedPanel(const CompactGenotypes& genotypes,
                                                    const CorrectedPanel& panel, unsigned workers,
                                                    const StudyProgress& progress,
                                                    std::vector<DataCount>* counts) {
  const std::size_t loci = panel.sites->size();
  return studyEach<IndividualEstimate>(
      genotypes, workers, progress,
      [loci] {
        auto space = std::make_shared<CorrectedWorkspace>();
        space->terms.reserve(loci);
        return space;
      },
      [&](int** indGenotype, int j, CorrectedWorkspace& space) {
        return estimateCorrectedIndividual(indGenotype, j, panel, space.terms, space.scratch);
      },
      CountSink{counts, panel.locusType});
}

JointEstimate estimateJointIndividual(int** indGenotype, int loci, const PanelParents& parents,
                                     const ClassThresholds& thresholds, JointIndividual& layout) {
  layout.clear();
  for (int i = 0; i < loci; ++i)
    layout.addLocus(parents.locusType[i], indGenotype[i][0], indGenotype[i][1], parents.freqR[i],
                    parents.freqS[i]);
  return studyJointIndividual(layout, thresholds);
}

std::vector<JointEstimate> studyJointPanel(const CompactGenotypes& genotypes,
                                           const PanelParents& parents,
                                           const ClassThresholds& thresholds, unsigned workers,
                                           const StudyProgress& progress) {
  const int loci = genotypes.loci();
  return studyEach<JointEstimate>(
      genotypes, workers, progress,
      [loci] {
        auto layout = std::make_shared<JointIndividual>();
        layout->reserve(static_cast<std::size_t>(loci));
        return layout;
      },
      [&](int** indGenotype, int, JointIndividual& layout) {
        return estimateJointIndividual(indGenotype, loci, parents, thresholds, layout);
      });
}

JointEstimate estimateCorrectedJointIndividual(int** indGenotype, int j,
                                               const CorrectedPanel& panel,
                                               const ClassThresholds& thresholds,
                                               GlIndividual& terms, JointIndividual& layout,
                                               std::vector<double>& scratch) {
  layOutCorrectedIndividual(indGenotype, j, panel, terms, scratch);
  layOutJointFromTerms(terms, layout);
  return studyJointIndividual(layout, thresholds);
}

std::vector<JointEstimate> studyCorrectedJointPanel(const CompactGenotypes& genotypes,
                                                    const CorrectedPanel& panel,
                                                    const ClassThresholds& thresholds,
                                                    unsigned workers,
                                                    const StudyProgress& progress) {
  const std::size_t loci = panel.sites->size();
  return studyEach<JointEstimate>(
      genotypes, workers, progress,
      [loci] {
        auto space = std::make_shared<CorrectedJointWorkspace>();
        space->terms.reserve(loci);
        space->layout.reserve(loci);
        return space;
      },
      [&](int** indGenotype, int j, CorrectedJointWorkspace& space) {
        return estimateCorrectedJointIndividual(indGenotype, j, panel, thresholds, space.terms,
                                                space.layout, space.scratch);
      });
}

}  // namespace parmix
