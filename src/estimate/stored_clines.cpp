#include "estimate/stored_clines.hpp"

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>

#include "estimate/worker_pool.hpp"
#include "input/data_set.hpp"

namespace parmix {

namespace {

// Loci laid out at a time: the run's rows (two ints per individual and
// locus) stay a few hundred kB at a thousand individuals, and consecutive
// loci share the store's cache lines.
constexpr int kRunLoci = 64;

// One worker's working space: a run of loci laid out, and the likelihoods
// of one individual at one site.
class LocusFitter {
 public:
  LocusFitter(const StoredLoci& panel, const std::vector<IndividualEstimate>& h)
      : panel_(panel), h_(clineIndividuals(h)), run_(kRunLoci, 2 * panel.genotypes->individuals(), 0) {}

  // Lays out loci FIRST .. FIRST+COUNT-1 for fit().
  void layOut(int first, int count) {
    first_ = first;
    panel_.genotypes->layOutLoci(first, count, run_.rows(), kMissing);
  }
  // The fit of LOCUS, which the last layOut covered.
  ClineEstimate fit(int locus) {
    int* designations = run_.rows()[locus - first_];
    const char type = panel_.locusType[locus];
    if (panel_.sites == nullptr) {
      ClineLocus view(type, panel_.freqR[locus], panel_.freqS[locus]);
      view.reserve(h_.size());
      for (const ClineIndividual& who : h_) view.addIndividual(who, designations + 2 * who.row);
      return fitCline(view);
    }
    ClineLocus view;
    view.reserve(h_.size());
    const SiteGenotypes& site = (*panel_.sites)[static_cast<std::size_t>(locus)];
    StateProbabilities states{};
    for (const ClineIndividual& who : h_) {
      const double* likelihoods =
          likelihoodsOf(type, site, designations + 2 * who.row, locus, who.row);
      if (likelihoods != nullptr && likelihoodStates(site, likelihoods, states))
        view.addLikelihoodTerm(who, states);
    }
    return fitCline(view);
  }

 private:
  // Individual J's likelihoods at LOCUS: its own where the store has them,
  // its call's (or band score's) elsewhere; nullptr when missing.
  const double* likelihoodsOf(char type, const SiteGenotypes& site, const int* designation,
                              int locus, std::size_t j) {
    scratch_.resize(static_cast<std::size_t>(site.genotypes()));
    double* out = scratch_.data();
    if (type == 'D') {
      if (designation[0] != 0 && designation[0] != 1) return nullptr;
      phenotypeLikelihoods(designation[0] == 1, out);
      return out;
    }
    const CompactLikelihoods* stored = panel_.likelihoods;
    if (stored != nullptr && stored->hasLikelihoods(locus))
      return stored->likelihoods(locus, static_cast<int>(j), out) ? out : nullptr;
    if (designation[0] == kMissing || designation[1] == kMissing) return nullptr;
    calledGenotypeLikelihoods(designation[0] - 1, designation[1] - 1, site.alleles(), out);
    return out;
  }

  const StoredLoci& panel_;
  const std::vector<ClineIndividual> h_;
  RowTable<int> run_;
  int first_ = 0;
  std::vector<double> scratch_;
};

}  // namespace

ClineStudy studyStoredClines(const StoredLoci& panel, const std::vector<IndividualEstimate>& h,
                             int first, int last, unsigned workers, const ClineProgress& progress) {
  ClineStudy study;
  for (const IndividualEstimate& row : h)
    ++(std::isfinite(row.h) ? study.individualsUsed : study.individualsLeftOut);
  for (int i = first; i < last; ++i) {
    if (panel.locusUsed[i])
      study.loci.push_back(i);
    else
      ++study.lociExcluded;
  }
  study.rows.resize(study.loci.size());
  const int runs = last > first ? (last - first + kRunLoci - 1) / kRunLoci : 0;
  std::mutex progressLock;
  std::size_t fitted = 0;
  // Each task fits the used loci of one run and writes only their rows.
  runOnWorkers(runs, workers, [&]() -> TaskBody {
    auto fitter = std::make_shared<LocusFitter>(panel, h);
    return [&, fitter](int task) {
      const int start = first + task * kRunLoci;
      const int count = std::min(kRunLoci, last - start);
      auto row = std::lower_bound(study.loci.begin(), study.loci.end(), start);
      if (row == study.loci.end() || *row >= start + count) return;
      fitter->layOut(start, count);
      std::size_t done = 0;
      for (; row != study.loci.end() && *row < start + count; ++row, ++done)
        study.rows[static_cast<std::size_t>(row - study.loci.begin())] = fitter->fit(*row);
      if (!progress) return;
      const std::lock_guard<std::mutex> lock(progressLock);
      fitted += done;
      progress(fitted);
    };
  });
  return study;
}

}  // namespace parmix
