#ifndef PARMIX_VALIDATE_PARENTAL_CHECKS_HPP
#define PARMIX_VALIDATE_PARENTAL_CHECKS_HPP

// Checks of the parental frequency tables, run once after they are read.

#include <ostream>
#include <vector>

#include "input/status.hpp"

namespace parmix {

// Rejects a codominant locus whose frequencies in either population sum to
// more than 1.000001; clears locusUsed (takes out of the analysis) for every
// locus whose two populations differ by less than 1e-06, writing an
// exclusion note for each to report (locusType is left as read); writes one summary note when some loci differ by less than
// 0.05.  Note the order of the tables: S first.  0 when the data pass; 1 with
// a message (notes written before the failure stay in the report).
int checkParentalData(double** freqS, double** freqR, const char* locusType, char* locusUsed,
                      int nLoci, int maxAlleles, Status& status, std::ostream& report);

// Loci whose two populations differ by less than this are left out.
constexpr double kIdentityThreshold = 1e-06;

// The difference the checks judge a locus by: the summed |fR - fS| over
// WIDTH alleles at a codominant locus, |fR - fS| of the band at a dominant
// one.
double frequencyDifference(const double* freqR, const double* freqS, int width, char type);

// What the checks found, for a caller that words its own notes.
struct ParentalFindings {
  std::vector<int> excluded;  // the loci left out (0-based), in order
  int weak = 0;               // loci differing by less than 0.05
};

// The checks of checkParentalData without the notes: clears locusUsed of
// the excluded loci and lists them in FINDINGS.  0, or 1 with the message
// (the loci found before the failure stay listed).
int classifyParentalData(double** freqS, double** freqR, const char* locusType, char* locusUsed,
                         int nLoci, int maxAlleles, Status& status, ParentalFindings& findings);

// The summary note on weakly differing loci, when there are any.
void writeWeakLociNote(std::ostream& report, int weak, int nLoci);

}  // namespace parmix

#endif
