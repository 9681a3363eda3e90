#ifndef PARMIX_INPUT_PARENTAL_FILE_HPP
#define PARMIX_INPUT_PARENTAL_FILE_HPP

// Readers of the parental file: per locus its type (C or D) and the allele
// frequencies in R and S (at a dominant locus the dominant class's genotype
// frequency).  Line numbers in messages count locus records from 1.

#include <string>

#include "input/status.hpp"

namespace parmix {

// Scans nRecords locus records and raises *maxAlleles to the largest allele
// count.  0 on success; 1 with a message when a record has an even, non-zero
// word count (a frequency missing) or the file cannot be opened.
int scanMaxAlleles(std::string fileName, int nRecords, int* maxAlleles, Status& status, char eol);

// Reads every locus record into locusType ('C' or 'D'), freqR and freqS
// (rows of maxAlleles, allocated by the caller; note S comes first).  A
// dominant locus stores the dominant allele's frequency 1 - sqrt(1 - g).
// Slots past a codominant locus's own alleles are set to 0.0.  0 on
// success; 1 with the message of the first faulty record.
int readParentalData(double** freqS, double** freqR, char* locusType, int nLoci, int maxAlleles,
                     std::string fileName, Status& status, char eol);

}  // namespace parmix

#endif
