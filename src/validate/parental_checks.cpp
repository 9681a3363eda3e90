#include "validate/parental_checks.hpp"

#include <cmath>

#include "input/status.hpp"

namespace parmix {

namespace {

constexpr double kSumTolerance = 1.000001;
constexpr double kWeakThreshold = 0.05;

void writeExclusionNote(std::ostream& report, int row, bool codominant) {
  report << "\nThe locus in row " << row
         << " (of the parental file) was not used in the calculation\n"
         << "of the hybrid index, because its parental allele frequencies do not\n"
         << "differ by more than " << kIdentityThreshold;
  if (codominant)
    report << ".\n" << std::endl;
  else
    report << "." << std::endl;
}

void writeSummaryNote(std::ostream& report, int weak, int nLoci) {
  report << "\nThe hybrid index for these data includes " << weak << "/" << nLoci
         << " loci for which parental\nallele frequencies do not differ by " << kWeakThreshold
         << " or more.\n"
         << std::endl;
}

// Sorts a locus by its difference measure: excluded, weak or fine.
enum class Difference { Identical, Weak, Clear };
Difference classify(double diff) {
  if (diff < kIdentityThreshold) return Difference::Identical;
  return diff < kWeakThreshold ? Difference::Weak : Difference::Clear;
}

}  // namespace

double frequencyDifference(const double* freqR, const double* freqS, int width, char type) {
  if (type == 'D') return std::fabs(freqR[0] - freqS[0]);
  double diff = 0.0;
  for (int j = 0; j < width; ++j) diff += std::fabs(freqR[j] - freqS[j]);
  return diff;
}

int classifyParentalData(double** freqS, double** freqR, const char* locusType, char* locusUsed,
                         int nLoci, int maxAlleles, Status& status, ParentalFindings& findings) {
  for (int i = 0; i < nLoci; ++i) {
    if (locusType[i] == 'C') {
      double sumR = 0.0, sumS = 0.0;
      for (int j = 0; j < maxAlleles; ++j) {
        sumR += freqR[i][j];
        sumS += freqS[i][j];
      }
      if (sumR > kSumTolerance || sumS > kSumTolerance)
        return status.fail(
            "For one of the parental species, the allele frequences in row %d (of the "
            "parental file) sum to greater than 1.",
            i + 1);
    } else if (locusType[i] != 'D') {
      return status.fail("Internal error in verifyParentalData(). Locus: %d", i);
    }
    const Difference kind =
        classify(frequencyDifference(freqR[i], freqS[i], maxAlleles, locusType[i]));
    if (kind == Difference::Identical) {
      findings.excluded.push_back(i);
      locusUsed[i] = 0;
    } else if (kind == Difference::Weak) {
      ++findings.weak;
    }
  }
  return 0;
}

void writeWeakLociNote(std::ostream& report, int weak, int nLoci) {
  if (weak >= 1) writeSummaryNote(report, weak, nLoci);
}

int checkParentalData(double** freqS, double** freqR, const char* locusType, char* locusUsed,
                      int nLoci, int maxAlleles, Status& status, std::ostream& report) {
  ParentalFindings findings;
  const int failed = classifyParentalData(freqS, freqR, locusType, locusUsed, nLoci, maxAlleles,
                                          status, findings);
  for (int i : findings.excluded) writeExclusionNote(report, i + 1, locusType[i] == 'C');
  if (failed) return failed;
  writeWeakLociNote(report, findings.weak, nLoci);
  return 0;
}

}  // namespace parmix
