#include "estimate/parallel_study.hpp"

#include <algorithm>
#include <atomic>
#include <memory>

#include "estimate/individual_context.hpp"
#include "estimate/worker_pool.hpp"

namespace parmix {

namespace {

// Individuals handed out together.  Their columns are copied out of the
// genotype matrix in one pass: every locus row lies in pages of its own, so
// a pass per individual would fetch each row's cache line (and page) again
// for every one of them.
constexpr int kBlock = 16;
// Rows ahead whose cells are fetched early, so the pass does not stall on
// a memory round trip per row.
constexpr int kRowsAhead = 16;

// Copies the designations of individuals first .. first+count-1 into the
// first 2*count columns of block.
void copyBlock(DataSet& d, int first, int count, RowTable<int>& block) {
  int** genotypes = d.genotypes.rows();
  int** rows = block.rows();
  for (int i = 0; i < d.nLoci; ++i) {
    if (i + kRowsAhead < d.nLoci) {
      const int* ahead = genotypes[i + kRowsAhead] + 2 * first;
      __builtin_prefetch(ahead);
      __builtin_prefetch(ahead + 2 * count - 1);
    }
    const int* cells = genotypes[i] + 2 * first;
    std::copy(cells, cells + 2 * count, rows[i]);
  }
}

// The worker's own tables: its block of columns, its indGenotype and the
// context of the individual held there.
struct WorkerTables {
  explicit WorkerTables(int nLoci) : block(nLoci, 2 * kBlock), indGenotype(nLoci, 2) {}
  RowTable<int> block;
  RowTable<int> indGenotype;
  IndividualContext context;
};

// One thread's share of the work: blocks of individuals, each copied out of
// the matrix in one pass, then taken one by one into the thread's own
// indGenotype with getGenotype and studied there.
TaskBody blockStudier(DataSet& d, std::vector<char>& types,
                      std::vector<IndividualEstimate>& rows, std::atomic<std::uint64_t>* logCalls) {
  auto tables = std::make_shared<WorkerTables>(d.nLoci);
  const int individuals = static_cast<int>(rows.size());
  return [&d, &types, &rows, logCalls, tables, individuals](int block) {
    const int first = block * kBlock;
    const int count = std::min(kBlock, individuals - first);
    copyBlock(d, first, count, tables->block);
    int** indGenotype = tables->indGenotype.rows();
    IndividualContext& context = tables->context;
    const std::uint64_t before = context.logCalls();
    for (int k = 0; k < count; ++k) {
      getGenotype(indGenotype, tables->block.rows(), d.nLoci, 2 * k);
      context.layOut(indGenotype, d.freqR.rows(), d.freqS.rows(), types.data(), d.nLoci);
      rows[first + k] = studyIndividualGenotype(indGenotype, d.freqR.rows(), d.freqS.rows(),
                                                types.data(), d.nLoci, &context);
    }
    if (logCalls != nullptr) *logCalls += context.logCalls() - before;
  };
}

}  // namespace

std::vector<IndividualEstimate> studyAllIndividuals(DataSet& data, unsigned workers,
                                                    std::uint64_t* logCalls) {
  const int individuals = data.nCols / 2;
  std::vector<IndividualEstimate> rows(static_cast<std::size_t>(individuals));
  std::atomic<std::uint64_t> calls{0};
  std::vector<char> types = effectiveLocusTypes(data);
  runOnWorkers((individuals + kBlock - 1) / kBlock, workers, [&] {
    return blockStudier(data, types, rows, logCalls != nullptr ? &calls : nullptr);
  });
  if (logCalls != nullptr) *logCalls += calls;
  return rows;
}

}  // namespace parmix
