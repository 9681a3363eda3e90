#ifndef PARMIX_INPUT_REFERENCE_COUNTS_HPP
#define PARMIX_INPUT_REFERENCE_COUNTS_HPP

// The reference counts file: the allele (or phenotype) counts of the
// reference samples behind a parental file, which the analysis needs to
// carry the parental frequencies' uncertainty into each individual's
// likelihood.  parmix::parentalFromReference writes it beside the parental
// file.  Tab-separated lines ('\n' or "\r\n"); lines starting with '#' and
// empty lines are comments:
//
//   pseudo-count <TAB> X
//   locus <TAB> type <TAB> R <TAB> S
//   LABEL <TAB> C <TAB> 12 0 - 3 <TAB> 4 6 - 0
//   LABEL <TAB> D <TAB> 7 3 <TAB> 1 9
//
// one row per locus in the parental file's order.  A codominant row counts
// each allele 1..k in each population, '-' marking an allele seen nowhere
// (it takes no pseudo-count); a dominant row counts band present, then band
// absent.

#include <string>
#include <vector>

namespace parmix {

// An allele seen in neither reference sample nor in the study individuals.
constexpr double kSeenNowhere = -1.0;

struct LocusCounts {
  int line = 0;  // the row's line in the file, for messages
  std::string label;
  char type = 'C';
  std::vector<double> r;  // counts, or kSeenNowhere
  std::vector<double> s;
};

struct ReferenceCounts {
  std::string path;
  double pseudoCount = 0.0;
  std::vector<LocusCounts> loci;
};

// Reads the file at PATH; throws InputError ("On line N of the reference
// counts file PATH, ...") at the first fault.  Holds no more than the file.
ReferenceCounts readReferenceCounts(const std::string& path);

}  // namespace parmix

#endif
