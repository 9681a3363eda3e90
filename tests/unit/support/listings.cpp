#include "support/listings.hpp"

namespace parmix {

void printParental(double** freqS, double** freqR, const char* locusType, int nLoci,
                   int maxAlleles, std::ostream& out) {
  out << "Parental allele frequencies" << std::endl;
  out << "Max number of alleles: " << maxAlleles << std::endl;
  for (int i = 0; i < nLoci; ++i) {
    out << "Locus " << i + 1 << locusType[i] << "  R: ";
    for (int j = 0; j < maxAlleles; ++j) out << freqR[i][j] << " ";
    out << "   S: ";
    for (int j = 0; j < maxAlleles; ++j) out << freqS[i][j] << " ";
    out << std::endl;
  }
}

void printIndividual(int** genotypes, const std::string* /*indNames*/, int nLoci, int nAlleles,
                     std::ostream& out) {
  out << "Individuals:" << std::endl;
  out << "nLoci: " << nLoci << std::endl;
  out << "nAlleles: " << nAlleles << std::endl;
  for (int i = 0; i < nLoci; ++i) {
    out << "Locus " << i + 1 << ":   ";
    for (int j = 0; j < nAlleles; ++j) out << genotypes[i][j] << " ";
    out << std::endl;
  }
}

}  // namespace parmix
