#include "estimate/stored_image.hpp"

#include <algorithm>
#include <memory>

#include "estimate/ancestry_image.hpp"
#include "estimate/worker_pool.hpp"
#include "input/data_set.hpp"
#include "model/ancestry_copies.hpp"

namespace parmix {

namespace {

// One worker's space: a locus of the store laid out for all individuals.
class ColumnSummer {
 public:
  ColumnSummer(const StoredLoci& panel, const std::vector<IndividualEstimate>& h,
               const ClineStudy& study, BinnedImage& image)
      : panel_(panel), h_(h), study_(study), image_(image),
        locus_(1, 2 * panel.genotypes->individuals(), 0) {}

  // Adds the loci of drawn column COLUMN into its cells, which no other
  // task writes.
  void sum(std::size_t column) {
    const std::size_t first = column * image_.columnBin;
    const std::size_t last = std::min(first + image_.columnBin, study_.loci.size());
    for (std::size_t k = first; k < last; ++k) addLocus(k, column);
  }

 private:
  void addLocus(std::size_t k, std::size_t column) {
    const int locus = study_.loci[k];
    panel_.genotypes->layOutLoci(locus, 1, locus_.rows(), kMissing);
    const int* designations = locus_.rows()[0];
    const char type = panel_.locusType[locus];
    const double* r = panel_.freqR[locus];
    const double* s = panel_.freqS[locus];
    const ClineEstimate& fit = study_.rows[k];
    for (std::size_t row = 0; row < image_.individuals.size(); ++row) {
      const int j = image_.individuals[row];
      const double phi = imageAncestry(fit, h_[static_cast<std::size_t>(j)].h);
      const int copies = mostLikelyRCopies(type, r, s, designations + 2 * j, phi);
      if (copies == kCopiesUnknown) continue;
      const std::size_t cell = image_.cell(row / image_.rowBin, column);
      image_.copies[cell] += copies;
      ++image_.counted[cell];
    }
  }

  const StoredLoci& panel_;
  const std::vector<IndividualEstimate>& h_;
  const ClineStudy& study_;
  BinnedImage& image_;
  RowTable<int> locus_;
};

}  // namespace

std::size_t imageBinSize(std::size_t count) {
  if (count <= kImageFullAbove) return 1;
  return (count + kImageMostBins - 1) / kImageMostBins;
}

BinnedImage storedImageOf(const StoredLoci& panel, const std::vector<IndividualEstimate>& h,
                          const ClineStudy& study, unsigned workers) {
  BinnedImage image;
  image.individuals = individualsByFallingH(h);
  image.loci = study.loci;
  image.rowBin = imageBinSize(image.individuals.size());
  image.columnBin = imageBinSize(image.loci.size());
  image.columns = (image.loci.size() + image.columnBin - 1) / image.columnBin;
  const std::size_t rows = (image.individuals.size() + image.rowBin - 1) / image.rowBin;
  image.copies.assign(rows * image.columns, 0);
  image.counted.assign(rows * image.columns, 0);
  if (rows == 0 || image.columns == 0) return image;
  runOnWorkers(static_cast<int>(image.columns), workers, [&]() -> TaskBody {
    auto summer = std::make_shared<ColumnSummer>(panel, h, study, image);
    return [summer](int task) { summer->sum(static_cast<std::size_t>(task)); };
  });
  return image;
}

}  // namespace parmix
