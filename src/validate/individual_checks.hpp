#ifndef PARMIX_VALIDATE_INDIVIDUAL_CHECKS_HPP
#define PARMIX_VALIDATE_INDIVIDUAL_CHECKS_HPP

// Checks of the individuals' designations against the parental tables.

#include "input/status.hpp"

namespace parmix {

// Rejects the first designation (locus by locus, left to right) of an allele
// or dominant genotype that neither population has (frequency > 0.0 in
// neither table).  Loci whose locusUsed is 0 are skipped.  Tables in the order R, S.
// 0 when all pass; 1 with the message.  A codominant designation below 1
// (other than -9999) is reported with the allele message rather than used as
// an index; designations above the row length must have been refused by the
// reader.  A used locus of a type other than C or D is an internal error
// reported the same way, never a process exit.
int checkIndData(int** genotypes, double** freqR, double** freqS, const char* locusType,
                 const char* locusUsed, int nLoci, int nCols, Status& status);

// 1 when both designations are missing at every locus of the individual
// (whatever the locus type); 0 at its first non-missing designation.  The
// third argument is not used.
int genotypeNA(int** indGenotype, int nLoci, int nCols);

}  // namespace parmix

#endif
