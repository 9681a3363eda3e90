#include "estimate/parallel_study.hpp"

#include <algorithm>
#include <atomic>
#include <memory>

#include "estimate/worker_pool.hpp"
#include "model/compact_likelihood.hpp"

namespace parmix {

namespace {

// Individuals laid out together in one pass over the genotype matrix: their
// columns share cache lines, which a pass per individual would fetch again
// for every one of them.
constexpr int kBlock = 16;
// Rows ahead whose cells are fetched early: every row lies in a page of its
// own, so without a hint each one would stall the pass for a memory round
// trip.
constexpr int kRowsAhead = 16;

void layOutBlock(DataSet& d, int first, int count, std::vector<CompactIndividual>& layouts) {
  for (int k = 0; k < count; ++k) layouts[k].clear();
  int** genotypes = d.genotypes.rows();
  double** freqR = d.freqR.rows();
  double** freqS = d.freqS.rows();
  for (int i = 0; i < d.nLoci; ++i) {
    if (i + kRowsAhead < d.nLoci) {
      const int* ahead = genotypes[i + kRowsAhead] + 2 * first;
      __builtin_prefetch(ahead);
      __builtin_prefetch(ahead + 2 * count - 1);
    }
    const int* cells = genotypes[i] + 2 * first;
    const char type = d.locusType[i];
    for (int k = 0; k < count; ++k)
      layouts[k].addLocus(type, cells[2 * k], cells[2 * k + 1], freqR[i], freqS[i]);
  }
}

// One thread's share of the work: blocks of individuals, each laid out in
// one pass over the matrix and then studied one by one.
TaskBody blockStudier(DataSet& d, std::vector<IndividualEstimate>& rows,
                      std::atomic<std::uint64_t>& logCalls) {
  auto layouts = std::make_shared<std::vector<CompactIndividual>>(kBlock);
  for (CompactIndividual& layout : *layouts) layout.reserve(static_cast<std::size_t>(d.nLoci));
  const int individuals = static_cast<int>(rows.size());
  return [&d, &rows, &logCalls, layouts, individuals](int block) {
    const int first = block * kBlock;
    const int count = std::min(kBlock, individuals - first);
    layOutBlock(d, first, count, *layouts);
    std::uint64_t calls = 0;
    for (int k = 0; k < count; ++k) {
      std::size_t evaluations = 0;
      rows[first + k] = studyIndividual((*layouts)[k], &evaluations);
      calls += evaluations * (*layouts)[k].terms();
    }
    logCalls += calls;
  };
}

}  // namespace

std::vector<IndividualEstimate> studyAllIndividuals(DataSet& data, unsigned workers,
                                                    std::uint64_t* logCalls) {
  const int individuals = data.nCols / 2;
  std::vector<IndividualEstimate> rows(static_cast<std::size_t>(individuals));
  std::atomic<std::uint64_t> calls{0};
  runOnWorkers((individuals + kBlock - 1) / kBlock, workers,
               [&] { return blockStudier(data, rows, calls); });
  if (logCalls != nullptr) *logCalls += calls;
  return rows;
}

}  // namespace parmix
