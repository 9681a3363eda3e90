#include "estimate/parallel_study.hpp"

#include <algorithm>
#include <atomic>
#include <memory>

#include "estimate/worker_pool.hpp"

namespace parmix {

namespace {

// Individuals handed out together, so that a worker's next individual
// mostly finds its designations in cache lines the previous one fetched.
constexpr int kBlock = 16;

// One thread's share of the work: blocks of individuals, each copied into
// the thread's own indGenotype and studied there.
TaskBody blockStudier(DataSet& d, std::vector<IndividualEstimate>& rows,
                      std::atomic<std::uint64_t>* logCalls) {
  auto indGenotype = std::make_shared<RowTable<int>>(d.nLoci, 2);
  const int individuals = static_cast<int>(rows.size());
  return [&d, &rows, logCalls, indGenotype, individuals](int block) {
    const int first = block * kBlock;
    const int last = std::min(first + kBlock, individuals);
    std::uint64_t calls = 0;
    for (int j = first; j < last; ++j) {
      getGenotype(indGenotype->rows(), d.genotypes.rows(), d.nLoci, 2 * j);
      rows[j] = studyIndividualGenotype(indGenotype->rows(), d.freqR.rows(), d.freqS.rows(),
                                        d.locusType.data(), d.nLoci,
                                        logCalls != nullptr ? &calls : nullptr);
    }
    if (logCalls != nullptr) *logCalls += calls;
  };
}

}  // namespace

std::vector<IndividualEstimate> studyAllIndividuals(DataSet& data, unsigned workers,
                                                    std::uint64_t* logCalls) {
  const int individuals = data.nCols / 2;
  std::vector<IndividualEstimate> rows(static_cast<std::size_t>(individuals));
  std::atomic<std::uint64_t> calls{0};
  runOnWorkers((individuals + kBlock - 1) / kBlock, workers,
               [&] { return blockStudier(data, rows, logCalls != nullptr ? &calls : nullptr); });
  if (logCalls != nullptr) *logCalls += calls;
  return rows;
}

}  // namespace parmix
