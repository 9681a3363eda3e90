#ifndef PARMIX_ESTIMATE_STORED_IMAGE_HPP
#define PARMIX_ESTIMATE_STORED_IMAGE_HPP

// The genotype image of the clines of a genome-scale panel, judged straight
// from its compact store: each cell's count of R-derived copies is that of
// estimate/ancestry_image.hpp (the locus's fitted cline at the
// individual's h as the prior), but the counts are summed at once into the
// image's drawn cells.  Up to kImageFullAbove individuals and loci a drawn
// cell is one genotype; above, neighbouring individuals (by h) or loci are
// gathered into bins, at most kImageMostBins of them, and only the bins'
// sums are kept, so the memory is bounded by the drawn cells, never by the
// panel.  No I/O.

#include <cstddef>
#include <vector>

#include "estimate/cline_study.hpp"
#include "estimate/individual_study.hpp"
#include "estimate/stored_clines.hpp"

namespace parmix {

// The figure draws every cell up to this many individuals or loci, and
// above it at most kImageMostBins bins of neighbours: the drawing's own
// bounds, which the figure checks the bins against.
constexpr std::size_t kImageFullAbove = 1000;
constexpr std::size_t kImageMostBins = 500;

// Items gathered into one bin of COUNT items: 1 up to kImageFullAbove, else
// as few as keep the bins at most kImageMostBins.
std::size_t imageBinSize(std::size_t count);

struct BinnedImage {
  std::vector<int> individuals;  // each individual (store order), h falling
  std::vector<int> loci;         // each locus of the study, in its order
  std::size_t rowBin = 1;        // individuals a drawn row holds
  std::size_t columnBin = 1;     // loci a drawn column holds
  std::size_t columns = 0;       // drawn columns
  // Per drawn cell, rows one after the other: the R-derived copies summed
  // over its genotypes, and the genotypes that are not missing.
  std::vector<int> copies;
  std::vector<int> counted;

  std::size_t rows() const { return columns == 0 ? 0 : copies.size() / columns; }
  std::size_t cell(std::size_t row, std::size_t column) const { return row * columns + column; }
};

// The image of STUDY (fitted on H from PANEL, H one entry per individual
// of the store): the individuals whose h is a number, highest first (equal
// h in store order), and the study's loci.  The same result for every
// number of WORKERS (at least 1); PANEL is only read.  Throws
// std::bad_alloc when the cells cannot be had.
BinnedImage storedImageOf(const StoredLoci& panel, const std::vector<IndividualEstimate>& h,
                          const ClineStudy& study, unsigned workers);

}  // namespace parmix

#endif
