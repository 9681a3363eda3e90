#ifndef PARMIX_INPUT_LOCUS_LABELS_HPP
#define PARMIX_INPUT_LOCUS_LABELS_HPP

// The names of the loci, as the labels of the parental file's records
// (the text before each record's '#'), for outputs made per locus.

#include <string>
#include <vector>

namespace parmix {

// NLOCI names in locus order: each locus record's label, or "row N" (N
// counted from 1) where it is empty or the file ends before it.  The file
// was read and checked by the run already; this reads nothing else.
std::vector<std::string> readLocusLabels(const std::string& parental, char eol, int nLoci);

}  // namespace parmix

#endif
