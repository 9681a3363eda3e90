#include "estimate/ancestry_image.hpp"

#include <algorithm>
#include <cmath>

#include "estimate/worker_pool.hpp"
#include "model/ancestry_copies.hpp"
#include "model/cline_likelihood.hpp"

namespace parmix {

namespace {

std::uint8_t cellOf(int copies) {
  return copies == kCopiesUnknown ? kImageMissing : static_cast<std::uint8_t>(copies);
}

// Column COLUMN of IMAGE: the study's fit COLUMN at every row's individual.
void fillColumn(const DataSet& data, const std::vector<IndividualEstimate>& h,
                const ClineStudy& study, std::size_t column, AncestryImage& image) {
  const int locus = study.loci[column];
  const ClineEstimate& fit = study.rows[column];
  const char type = data.locusType[locus];
  const double* r = data.freqR.rows()[locus];
  const double* s = data.freqS.rows()[locus];
  const int* designations = data.genotypes.rows()[locus];
  const std::size_t width = image.loci.size();
  for (std::size_t row = 0; row < image.individuals.size(); ++row) {
    const int j = image.individuals[row];
    const double phi = imageAncestry(fit, h[j].h);
    image.cells[row * width + column] =
        cellOf(mostLikelyRCopies(type, r, s, designations + 2 * j, phi));
  }
}

}  // namespace

std::vector<int> individualsByFallingH(const std::vector<IndividualEstimate>& h) {
  std::vector<int> order;
  for (std::size_t j = 0; j < h.size(); ++j)
    if (std::isfinite(h[j].h)) order.push_back(static_cast<int>(j));
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return h[a].h > h[b].h; });
  return order;
}

double imageAncestry(const ClineEstimate& row, double h) {
  if (!std::isfinite(row.v) || !std::isfinite(row.centre)) return h;
  return clineAncestry(h, row.v, logit(row.centre));
}

AncestryImage ancestryImageOf(const DataSet& data, const std::vector<IndividualEstimate>& h,
                              const ClineStudy& study, unsigned workers) {
  AncestryImage image;
  image.individuals = individualsByFallingH(h);
  image.loci = study.loci;
  image.cells.assign(image.individuals.size() * image.loci.size(), kImageMissing);
  // Each task writes only its own column's bytes, so the cells need no lock.
  runOnWorkers(static_cast<int>(image.loci.size()), workers, [&]() -> TaskBody {
    return [&](int task) { fillColumn(data, h, study, static_cast<std::size_t>(task), image); };
  });
  return image;
}

}  // namespace parmix
