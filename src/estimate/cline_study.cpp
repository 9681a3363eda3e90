#include "estimate/cline_study.hpp"

#include <cmath>

#include "estimate/worker_pool.hpp"

namespace parmix {

namespace {

ClineEstimate fitLocus(DataSet& d, int locus, const std::vector<IndividualEstimate>& h,
                       const ClineBootstrap& bootstrap) {
  ClineLocus view(d.locusType[locus], d.freqR.rows()[locus], d.freqS.rows()[locus]);
  int* designations = d.genotypes.rows()[locus];
  for (std::size_t j = 0; j < h.size(); ++j)
    if (std::isfinite(h[j].h)) view.addIndividual(h[j].h, designations + 2 * j);
  ClineEstimate row = fitCline(view);
  if (bootstrap.replicates > 0)
    row.bootstrapP = neutralBootstrapP(view, d.maxAlleles, row.lr, bootstrap,
                                       static_cast<std::uint64_t>(locus));
  return row;
}

}  // namespace

ClineStudy studyAllClines(DataSet& data, const std::vector<IndividualEstimate>& h,
                          double threshold, unsigned workers, const ClineBootstrap& bootstrap) {
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
  // Each task writes only its own row, so the rows need no lock.
  runOnWorkers(static_cast<int>(study.loci.size()), workers, [&]() -> TaskBody {
    return [&](int task) { study.rows[task] = fitLocus(data, study.loci[task], h, bootstrap); };
  });
  judgeClines(study.rows, threshold);
  return study;
}

}  // namespace parmix
