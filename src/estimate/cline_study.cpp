#include "estimate/cline_study.hpp"

#include <cmath>
#include <vector>

#include "estimate/worker_pool.hpp"

namespace parmix {

namespace {

ClineEstimate fitLocus(DataSet& d, int locus, const std::vector<ClineIndividual>& h,
                       const ClineBootstrap& bootstrap) {
  ClineLocus view(d.locusType[locus], d.freqR.rows()[locus], d.freqS.rows()[locus]);
  view.reserve(h.size());
  int* designations = d.genotypes.rows()[locus];
  for (const ClineIndividual& who : h) view.addIndividual(who, designations + 2 * who.row);
  ClineEstimate row = fitCline(view);
  if (bootstrap.replicates > 0)
    row.bootstrapP = neutralBootstrapP(view, d.maxAlleles, row.lr, bootstrap,
                                       static_cast<std::uint64_t>(locus));
  return row;
}

// The fit of LOCUS under the corrections: each individual's call (or band)
// as certain likelihoods, scored under the locus's genotype moments SITE.
ClineEstimate fitCorrectedLocus(DataSet& d, int locus, const std::vector<ClineIndividual>& h,
                                const SiteGenotypes& site) {
  const char type = d.locusType[locus];
  const int* designations = d.genotypes.rows()[locus];
  std::vector<double> likelihoods(static_cast<std::size_t>(site.genotypes()));
  StateProbabilities states{};
  ClineLocus view;
  view.reserve(h.size());
  for (const ClineIndividual& who : h) {
    const int* pair = designations + 2 * who.row;
    if (type == 'D') {
      if (pair[0] != 0 && pair[0] != 1) continue;
      phenotypeLikelihoods(pair[0] == 1, likelihoods.data());
    } else {
      if (pair[0] == kMissing || pair[1] == kMissing) continue;
      calledGenotypeLikelihoods(pair[0] - 1, pair[1] - 1, site.alleles(), likelihoods.data());
    }
    if (likelihoodStates(site, likelihoods.data(), states)) view.addLikelihoodTerm(who, states);
  }
  return fitCline(view);
}

}  // namespace

std::vector<ClineIndividual> clineIndividuals(const std::vector<IndividualEstimate>& h) {
  std::vector<ClineIndividual> out;
  for (std::size_t j = 0; j < h.size(); ++j) {
    if (!std::isfinite(h[j].h)) continue;
    out.push_back(clineIndividual(h[j].h));
    out.back().row = j;
  }
  std::stable_sort(out.begin(), out.end(),
                   [](const ClineIndividual& a, const ClineIndividual& b) { return a.h < b.h; });
  return out;
}

ClineStudy studyAllClines(DataSet& data, const std::vector<IndividualEstimate>& h,
                          double threshold, unsigned workers, const ClineBootstrap& bootstrap,
                          const std::vector<SiteGenotypes>* sites) {
  ClineStudy study;
  study.bootstrapReplicates = bootstrap.replicates;
  for (const IndividualEstimate& row : h)
    ++(std::isfinite(row.h) ? study.individualsUsed : study.individualsLeftOut);
  for (int i = 0; i < data.nLoci; ++i) {
    if (data.locusUsed[i])
      study.loci.push_back(i);
    else
      ++study.lociExcluded;
  }
  study.rows.resize(study.loci.size());
  const std::vector<ClineIndividual> individuals = clineIndividuals(h);
  // Each task writes only its own row, so the rows need no lock.
  runOnWorkers(static_cast<int>(study.loci.size()), workers, [&]() -> TaskBody {
    return [&](int task) {
      const int locus = study.loci[task];
      study.rows[task] = sites == nullptr
                             ? fitLocus(data, locus, individuals, bootstrap)
                             : fitCorrectedLocus(data, locus, individuals, (*sites)[locus]);
    };
  });
  judgeClines(study.rows, threshold);
  return study;
}

}  // namespace parmix
