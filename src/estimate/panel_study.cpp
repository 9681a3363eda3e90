#include "estimate/panel_study.hpp"

#include <memory>
#include <mutex>

#include "estimate/worker_pool.hpp"
#include "input/data_set.hpp"

namespace parmix {

IndividualEstimate estimateIndividual(int** indGenotype, int loci, const PanelParents& parents,
                                      IndividualContext& context) {
  context.layOut(indGenotype, parents.freqR, parents.freqS, parents.locusType, loci);
  return studyIndividualGenotype(indGenotype, parents.freqR, parents.freqS, parents.locusType,
                                 loci, &context);
}

std::vector<IndividualEstimate> studyPanel(const CompactGenotypes& genotypes,
                                           const PanelParents& parents, unsigned workers,
                                           const StudyProgress& progress) {
  std::vector<IndividualEstimate> rows(static_cast<std::size_t>(genotypes.individuals()));
  const int loci = genotypes.loci();
  std::size_t done = 0;
  std::mutex progressLock;
  runOnWorkers(genotypes.individuals(), workers, [&]() -> TaskBody {
    // Each thread's own layout of one individual, kept from task to task.
    auto indGenotype = std::make_shared<RowTable<int>>(loci, 2, kMissing);
    auto context = std::make_shared<IndividualContext>();
    return [&, indGenotype, context](int j) {
      genotypes.layOutIndividual(j, indGenotype->rows(), kMissing);
      rows[static_cast<std::size_t>(j)] =
          estimateIndividual(indGenotype->rows(), loci, parents, *context);
      if (!progress) return;
      const std::lock_guard<std::mutex> lock(progressLock);
      progress(++done);
    };
  });
  return rows;
}

}  // namespace parmix
