#include "estimate/corrected_study.hpp"

#include <memory>

#include "estimate/panel_study.hpp"
#include "estimate/worker_pool.hpp"
#include "model/reference_uncertainty.hpp"

namespace parmix {

namespace {

FrequencyMoments dirichletOf(const std::vector<double>& counts, double pseudo) {
  std::vector<double> alpha;
  for (double c : counts) alpha.push_back(c == kSeenNowhere ? 0.0 : c + pseudo);
  return dirichletMoments(alpha.data(), static_cast<int>(alpha.size()), 0.0);
}

SiteGenotypes siteOf(const LocusCounts& row, double pseudo) {
  if (row.type == 'D')
    return SiteGenotypes::dominant(betaPhenotypeMoments(row.r[0], row.r[1], pseudo),
                                   betaPhenotypeMoments(row.s[0], row.s[1], pseudo));
  return SiteGenotypes(dirichletOf(row.r, pseudo), dirichletOf(row.s, pseudo));
}

// One thread's working space: the individual's designations and layouts.
struct Workspace {
  explicit Workspace(int loci) : indGenotype(loci, 2) {
    terms.reserve(static_cast<std::size_t>(loci));
    joint.reserve(static_cast<std::size_t>(loci));
  }
  RowTable<int> indGenotype;
  GlIndividual terms;
  JointIndividual joint;
  std::vector<double> scratch;
};

// Runs STUDY on every individual, each on a thread's own workspace, and
// keeps the rows in file order.
template <typename Row, typename Study>
std::vector<Row> studyEachIndividual(DataSet& data, unsigned workers, const Study& study) {
  const int individuals = data.nCols / 2;
  std::vector<Row> rows(static_cast<std::size_t>(individuals));
  runOnWorkers(individuals, workers, [&]() -> TaskBody {
    auto space = std::make_shared<Workspace>(data.nLoci);
    return [&data, &rows, &study, space](int j) {
      int** indGenotype = space->indGenotype.rows();
      getGenotype(indGenotype, data.genotypes.rows(), data.nLoci, 2 * j);
      rows[static_cast<std::size_t>(j)] = study(indGenotype, j, *space);
    };
  });
  return rows;
}

}  // namespace

std::vector<SiteGenotypes> countedSites(const ReferenceCounts& counts) {
  std::vector<SiteGenotypes> sites;
  sites.reserve(counts.loci.size());
  for (const LocusCounts& row : counts.loci) sites.push_back(siteOf(row, counts.pseudoCount));
  return sites;
}

std::vector<IndividualEstimate> studyAllCorrected(DataSet& data,
                                                  const std::vector<SiteGenotypes>& sites,
                                                  unsigned workers) {
  const std::vector<char> types = effectiveLocusTypes(data);
  const CorrectedPanel panel{&sites, types.data(), nullptr};
  return studyEachIndividual<IndividualEstimate>(
      data, workers, [&](int** indGenotype, int j, Workspace& space) {
        return estimateCorrectedIndividual(indGenotype, j, panel, space.terms, space.scratch);
      });
}

std::vector<JointEstimate> studyAllCorrectedJoint(DataSet& data,
                                                  const std::vector<SiteGenotypes>& sites,
                                                  const ClassThresholds& thresholds,
                                                  unsigned workers) {
  const std::vector<char> types = effectiveLocusTypes(data);
  const CorrectedPanel panel{&sites, types.data(), nullptr};
  return studyEachIndividual<JointEstimate>(
      data, workers, [&](int** indGenotype, int j, Workspace& space) {
        return estimateCorrectedJointIndividual(indGenotype, j, panel, thresholds, space.terms,
                                                space.joint, space.scratch);
      });
}

}  // namespace parmix
