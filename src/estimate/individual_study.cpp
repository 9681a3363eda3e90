#include "estimate/individual_study.hpp"

#include <cmath>
#include <limits>

#include "estimate/ml_estimate.hpp"
#include "estimate/support_limits.hpp"
#include "model/likelihood.hpp"
#include "validate/individual_checks.hpp"

namespace parmix {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr int kMissingCode = -9999;

IndividualEstimate undefinedRow() { return {kNaN, kNaN, kNaN, {false, false}}; }

// The log calls of one Likelihood(): one per locus that adds a term.
std::uint64_t termsOf(int** indGenotype, const char* locusType, int nLoci) {
  std::uint64_t terms = 0;
  for (int i = 0; i < nLoci; ++i) {
    const int* g = indGenotype[i];
    if (locusType[i] == 'C') terms += g[0] != kMissingCode && g[1] != kMissingCode;
    if (locusType[i] == 'D') terms += g[0] == 0 || g[0] == 1;
  }
  return terms;
}

}  // namespace

IndividualEstimate studyIndividualGenotype(int** indGenotype, double** freqR, double** freqS,
                                           char* locusType, int nLoci, std::uint64_t* logCalls) {
  IndividualEstimate row = undefinedRow();
  // indGenotype has the two columns of one individual.
  if (genotypeNA(indGenotype, nLoci, 2)) return row;
  if (testSurface(indGenotype, freqR, freqS, locusType, nLoci, logCalls)) return row;
  const double h = findmaxH(indGenotype, freqR, freqS, locusType, nLoci, logCalls);
  if (std::isnan(h)) return row;
  row.h = h;
  const double maxLogL = Likelihood(h, indGenotype, freqR, freqS, locusType, nLoci);
  if (logCalls != nullptr) *logCalls += termsOf(indGenotype, locusType, nLoci);
  if (h == 0.0) {
    row.lowerBound = 0.0;
    row.truncated[0] = true;
  } else {
    row.lowerBound = findBound(indGenotype, freqR, freqS, locusType, nLoci, maxLogL, h, 0,
                               row.truncated, logCalls);
  }
  if (h == 1.0) {
    row.upperBound = 1.0;
    row.truncated[1] = true;
  } else {
    row.upperBound = findBound(indGenotype, freqR, freqS, locusType, nLoci, maxLogL, h, 1,
                               row.truncated, logCalls);
  }
  return row;
}

}  // namespace parmix
