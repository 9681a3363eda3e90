#include "estimate/parallel_study.hpp"

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

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

// What the workers of one run share.  Only `next`, `failed` and `error`
// change, and only through atomics or the mutex.
struct SharedWork {
  SharedWork(DataSet& d, std::vector<IndividualEstimate>& r, int n)
      : data(d), rows(r), individuals(n), blocks((n + kBlock - 1) / kBlock) {}
  DataSet& data;
  std::vector<IndividualEstimate>& rows;
  int individuals;
  int blocks;
  std::atomic<int> next{0};
  std::atomic<bool> failed{false};
  std::atomic<std::uint64_t> logCalls{0};
  std::mutex errorLock;
  std::exception_ptr error;
};

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

void studyBlocks(SharedWork& work) {
  try {
    std::uint64_t logCalls = 0;
    std::vector<CompactIndividual> layouts(kBlock);
    for (CompactIndividual& layout : layouts)
      layout.reserve(static_cast<std::size_t>(work.data.nLoci));
    while (!work.failed.load(std::memory_order_relaxed)) {
      const int block = work.next.fetch_add(1);
      if (block >= work.blocks) break;
      const int first = block * kBlock;
      const int count = std::min(kBlock, work.individuals - first);
      layOutBlock(work.data, first, count, layouts);
      for (int k = 0; k < count; ++k) {
        std::size_t evaluations = 0;
        work.rows[first + k] = studyIndividual(layouts[k], &evaluations);
        logCalls += evaluations * layouts[k].terms();
      }
    }
    work.logCalls += logCalls;
  } catch (...) {
    const std::lock_guard<std::mutex> lock(work.errorLock);
    if (!work.error) work.error = std::current_exception();
    work.failed = true;
  }
}

// Starts up to `extra` helper threads; fewer when the system refuses more.
void startHelpers(SharedWork& work, unsigned extra, std::vector<std::thread>& helpers) {
  for (unsigned t = 0; t < extra; ++t) {
    try {
      helpers.emplace_back(studyBlocks, std::ref(work));
    } catch (const std::system_error&) {
      break;  // the threads already running, and this one, do the work
    }
  }
}

}  // namespace

unsigned usableCores() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) == 0) {
    const int count = CPU_COUNT(&set);
    if (count > 0) return static_cast<unsigned>(count);
  }
  const unsigned reported = std::thread::hardware_concurrency();
  return reported > 0 ? reported : 1;
}

std::vector<IndividualEstimate> studyAllIndividuals(DataSet& data, unsigned workers,
                                                    std::uint64_t* logCalls) {
  const int individuals = data.nCols / 2;
  std::vector<IndividualEstimate> rows(static_cast<std::size_t>(individuals));
  SharedWork work(data, rows, individuals);
  const unsigned useful = std::min<unsigned>(std::max(workers, 1u),
                                             static_cast<unsigned>(std::max(work.blocks, 1)));
  std::vector<std::thread> helpers;
  helpers.reserve(useful - 1);  // so starting a helper never reallocates
  startHelpers(work, useful - 1, helpers);
  studyBlocks(work);
  for (std::thread& helper : helpers) helper.join();
  if (work.error) std::rethrow_exception(work.error);
  if (logCalls != nullptr) *logCalls += work.logCalls;
  return rows;
}

}  // namespace parmix
