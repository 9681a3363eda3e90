#ifndef PARMIX_VALIDATE_REFERENCE_COUNTS_CHECKS_HPP
#define PARMIX_VALIDATE_REFERENCE_COUNTS_CHECKS_HPP

// A reference counts file is used only with the parental file it was
// written with: the same loci, of the same types and allele numbers, and
// counts whose frequencies (with the pseudo-count) are the parental file's.
// A file of another run would otherwise give each locus the uncertainty of
// other samples without a word.

#include <string>

#include "input/data_set.hpp"
#include "input/reference_counts.hpp"
#include "input/status.hpp"

namespace parmix {

// The frequencies the counts give agree with the parental file's when they
// differ by no more than this (it writes ten significant digits).
constexpr double kCountsFrequencyTolerance = 1e-8;

// 0 when COUNTS belong to the loaded parental file (named PARENTAL in the
// messages); 1 with the first disagreement in status, kind kCounts.
int checkReferenceCounts(const ReferenceCounts& counts, DataSet& data, const std::string& parental,
                         Status& status);

}  // namespace parmix

#endif
