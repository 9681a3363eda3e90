#ifndef PARMIX_ESTIMATE_ANCESTRY_IMAGE_HPP
#define PARMIX_ESTIMATE_ANCESTRY_IMAGE_HPP

// The genotype image of a cline analysis: for every individual with a
// hybrid index and every fitted locus, the number of its allele copies
// there that most likely descend from R (model/ancestry_copies.hpp), the
// prior taken from the locus's fitted cline at the individual's h (from h
// itself where the fit left the cline undefined).  One byte a cell.  No I/O.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "estimate/cline_study.hpp"
#include "estimate/individual_study.hpp"
#include "input/data_set.hpp"

namespace parmix {

// A cell without a count: the individual has no genotype at the locus.
constexpr std::uint8_t kImageMissing = 3;

struct AncestryImage {
  std::vector<int> individuals;     // each row's individual (file order index), h falling
  std::vector<int> loci;            // each column's locus row, as the study lists them
  std::vector<std::uint8_t> cells;  // rows one after the other: 0, 1, 2 or kImageMissing

  std::uint8_t at(std::size_t row, std::size_t column) const {
    return cells[row * loci.size() + column];
  }
};

// The individuals whose H entry (one per individual, file order) is a
// number, highest h first (equal h in file order), and the loci of STUDY
// (fitted on the same H from DATA), each cell judged at the locus's cline.
// The same result for every number of WORKERS (at least 1); DATA is only
// read.  Throws std::bad_alloc when the cells cannot be had.
AncestryImage ancestryImageOf(const DataSet& data, const std::vector<IndividualEstimate>& h,
                              const ClineStudy& study, unsigned workers);

// The individuals whose H entry is a number, highest h first (equal h in
// the entries' order): the image's rows.
std::vector<int> individualsByFallingH(const std::vector<IndividualEstimate>& h);

// The ancestry of an allele copy at the fitted cline ROW for hybrid index H:
// the cline's phi, or H where v or the centre is undefined.
double imageAncestry(const ClineEstimate& row, double h);

}  // namespace parmix

#endif
