#ifndef PARMIX_VALIDATE_PARENTAL_CHECKS_HPP
#define PARMIX_VALIDATE_PARENTAL_CHECKS_HPP

// Checks of the parental frequency tables, run once after they are read.

#include <ostream>

#include "input/status.hpp"

namespace parmix {

// Rejects a codominant locus whose frequencies in either population sum to
// more than 1.000001; marks 'B' (takes out of the analysis) every locus whose
// two populations differ by less than 1e-06, writing an exclusion note for
// each to report; writes one summary note when some loci differ by less than
// 0.05.  Note the order of the tables: S first.  0 when the data pass; 1 with
// a message (notes written before the failure stay in the report).
int checkParentalData(double** freqS, double** freqR, char* locusType, int nLoci, int maxAlleles,
                      Status& status, std::ostream& report);

}  // namespace parmix

#endif
