#ifndef PARMIX_INPUT_INDIVIDUAL_FILE_HPP
#define PARMIX_INPUT_INDIVIDUAL_FILE_HPP

// Reader of the individual file: the names of the header record and every
// individual's designations at every locus.  Line numbers in its messages
// count locus records from 1.

#include <string>

#include "input/status.hpp"

namespace parmix {

// Fills indNames (nInd names), genotypes (nLoci rows of nCols) and raises
// *nameWidth to the longest name.  A codominant locus takes two designations
// per individual, a dominant one one (its second column gets -9999).  A
// locus marked 'B' is read with the layout of its type in the parental
// file, typeInFile ('C' or 'D'), without the zero test.
//
// Tokens that are not wholly a number, and "nan", are missing data (-9999).
// 0 on success; 1 with the message of the first faulty token: a zero or a
// negative allele number at a codominant locus, a designation above
// maxAlleles, or a record that runs out of designations.
int readIndData(int** genotypes, std::string* indNames, std::string fileName, int nLoci, int nCols,
                int nInd, int maxAlleles, const char* locusType, unsigned int* nameWidth,
                Status& status, char eol, const char* typeInFile);

}  // namespace parmix

#endif
