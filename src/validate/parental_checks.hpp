#ifndef PARMIX_VALIDATE_PARENTAL_CHECKS_HPP
#define PARMIX_VALIDATE_PARENTAL_CHECKS_HPP

// Checks of the parental frequency tables, run once after they are read.

#include <ostream>

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

}  // namespace parmix

#endif
