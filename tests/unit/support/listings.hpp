#ifndef PARMIX_TESTS_LISTINGS_HPP
#define PARMIX_TESTS_LISTINGS_HPP

// Debugging listings of the data set as read, kept with the tests' support
// code since the package never calls them: a developer inserts a call after
// a file has been read.  They write to the standard error stream unless
// given another stream.

#include <iostream>
#include <string>

namespace parmix {

// The parental tables (S first, as the reader takes them), every slot.
void printParental(double** freqS, double** freqR, const char* locusType, int nLoci,
                   int maxAlleles, std::ostream& out = std::cerr);

// The first nAlleles entries of every genotype row; indNames is not used.
void printIndividual(int** genotypes, const std::string* indNames, int nLoci, int nAlleles,
                     std::ostream& out = std::cerr);

}  // namespace parmix

#endif
