#include "estimate/panel_study.hpp"

#include <memory>
#include <mutex>

#include "estimate/worker_pool.hpp"
#include "input/data_set.hpp"

namespace parmix {

IndividualEstimate estimateIndividual(int** indGenotype, int loci, const PanelParents& parents,
                                      CompactIndividual& terms) {
  terms.clear();
  for (int i = 0; i < loci; ++i)
    terms.addLocus(parents.locusType[i], indGenotype[i][0], indGenotype[i][1], parents.freqR[i],
                   parents.freqS[i]);
  return studyIndividual(terms);
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
    auto terms = std::make_shared<CompactIndividual>();
    terms->reserve(static_cast<std::size_t>(loci));
    return [&, indGenotype, terms](int j) {
      genotypes.layOutIndividual(j, indGenotype->rows(), kMissing);
      rows[static_cast<std::size_t>(j)] =
          estimateIndividual(indGenotype->rows(), loci, parents, *terms);
      if (!progress) return;
      const std::lock_guard<std::mutex> lock(progressLock);
      progress(++done);
    };
  });
  return rows;
}

}  // namespace parmix
