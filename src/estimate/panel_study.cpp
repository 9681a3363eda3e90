#include "estimate/panel_study.hpp"

#include <algorithm>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

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

namespace {

// What the workers share; only `next`, `done`, `failed` and `error` change,
// through atomics or the mutex.
struct PanelWork {
  PanelWork(const CompactGenotypes& g, const PanelParents& p, std::vector<IndividualEstimate>& r)
      : genotypes(g), parents(p), rows(r) {}
  const CompactGenotypes& genotypes;
  const PanelParents& parents;
  std::vector<IndividualEstimate>& rows;
  std::atomic<int> next{0};
  std::atomic<std::size_t> done{0};
  std::atomic<bool> failed{false};
  std::mutex errorLock;
  std::exception_ptr error;
};

void studyIndividuals(PanelWork& work, const StudyProgress* progress) {
  try {
    const int loci = work.genotypes.loci();
    RowTable<int> indGenotype(loci, 2, kMissing);
    CompactIndividual terms;
    terms.reserve(static_cast<std::size_t>(loci));
    while (!work.failed.load(std::memory_order_relaxed)) {
      const int j = work.next.fetch_add(1);
      if (j >= work.genotypes.individuals()) break;
      work.genotypes.layOutIndividual(j, indGenotype.rows(), kMissing);
      work.rows[static_cast<std::size_t>(j)] =
          estimateIndividual(indGenotype.rows(), loci, work.parents, terms);
      const std::size_t done = ++work.done;
      if (progress != nullptr && *progress) (*progress)(done);
    }
  } catch (...) {
    const std::lock_guard<std::mutex> lock(work.errorLock);
    if (!work.error) work.error = std::current_exception();
    work.failed = true;
  }
}

}  // namespace

std::vector<IndividualEstimate> studyPanel(const CompactGenotypes& genotypes,
                                           const PanelParents& parents, unsigned workers,
                                           const StudyProgress& progress) {
  std::vector<IndividualEstimate> rows(static_cast<std::size_t>(genotypes.individuals()));
  PanelWork work(genotypes, parents, rows);
  const unsigned useful = std::min<unsigned>(
      std::max(workers, 1u), static_cast<unsigned>(std::max(genotypes.individuals(), 1)));
  std::vector<std::thread> helpers;
  helpers.reserve(useful - 1);
  for (unsigned t = 1; t < useful; ++t) {
    try {
      helpers.emplace_back(studyIndividuals, std::ref(work), nullptr);
    } catch (const std::system_error&) {
      break;  // the threads already running do the work
    }
  }
  studyIndividuals(work, &progress);
  for (std::thread& helper : helpers) helper.join();
  if (work.error) std::rethrow_exception(work.error);
  return rows;
}

}  // namespace parmix
