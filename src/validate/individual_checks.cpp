#include "validate/individual_checks.hpp"

#include "input/data_set.hpp"
#include "input/status.hpp"

namespace parmix {

namespace {

int failAbsent(Status& status, const char* what, int value, int column, int locus) {
  return status.fail(
      "The %s %d for individual number %d at locus number %d refers to an allele that "
      "does not exist in the parental populations.",
      what, value, column / 2 + 1, locus + 1);
}

int checkCodominantLocus(const int* row, const double* fR, const double* fS, int nCols, int locus,
                         Status& status) {
  for (int j = 0; j < nCols; ++j) {
    const int a = row[j];
    if (a == kMissing) continue;
    // The reader lets no other value below 1 through; never index with one.
    if (a < 1) return failAbsent(status, "allele", a, j, locus);
    if (fR[a - 1] <= 0.0 && fS[a - 1] <= 0.0) return failAbsent(status, "allele", a, j, locus);
  }
  return 0;
}

int checkDominantLocus(const int* row, const double* fR, const double* fS, int nCols, int locus,
                       Status& status) {
  const bool present = fR[0] > 0.0 || fS[0] > 0.0;
  for (int j = 0; j < nCols;) {
    if (row[j] == kMissing) {
      ++j;
      continue;
    }
    if (!present) return failAbsent(status, "genotype", row[j], j, locus);
    j += 2;
  }
  return 0;
}

}  // namespace

int checkIndData(int** genotypes, double** freqR, double** freqS, const char* locusType,
                 const char* locusUsed, int nLoci, int nCols, Status& status) {
  for (int i = 0; i < nLoci; ++i) {
    if (!locusUsed[i]) continue;
    int failed = 0;
    switch (locusType[i]) {
      case 'C':
        failed = checkCodominantLocus(genotypes[i], freqR[i], freqS[i], nCols, i, status);
        break;
      case 'D':
        failed = checkDominantLocus(genotypes[i], freqR[i], freqS[i], nCols, i, status);
        break;
      default:
        return status.fail("Internal error in verifyIndData(). %c", locusType[i]);
    }
    if (failed) return 1;
  }
  return 0;
}

int genotypeNA(int** indGenotype, int nLoci, int /*nCols*/) {
  for (int i = 0; i < nLoci; ++i)
    if (indGenotype[i][0] != kMissing || indGenotype[i][1] != kMissing) return 0;
  return 1;
}

}  // namespace parmix
