#include "model/likelihood.hpp"

#include <limits>

#include "model/genotype_prob.hpp"

namespace parmix {

namespace {

constexpr int kMissingCode = -9999;

double codominantTerm(double h, const int* g, const double* fR, const double* fS) {
  const int a = g[0];
  const int b = g[1];
  // One allele missing counts as the whole genotype missing.
  if (a == kMissingCode || b == kMissingCode) return 0.0;
  if (a == b) return fCod11(h, fR[a - 1], fS[a - 1]);
  return multAlleleHet(h, fR[a - 1], fR[b - 1], fS[a - 1], fS[b - 1]);
}

double dominantTerm(double h, const int* g, const double* fR, const double* fS) {
  if (g[0] == 0) return fRec(h, fR[0], fS[0]);
  if (g[0] == 1) return fDom(h, fR[0], fS[0]);
  return 0.0;
}

}  // namespace

bool isModelLocusType(char type) { return type == 'C' || type == 'D' || type == 'B'; }

int firstUnknownLocusType(const char* locusType, int nLoci) {
  for (int i = 0; i < nLoci; ++i)
    if (!isModelLocusType(locusType[i])) return i;
  return -1;
}

double Likelihood(double h, int** indGenotype, double** freqR, double** freqS,
                  char* locusType, int nLoci) {
  double sum = 0.0;
  for (int i = 0; i < nLoci; ++i) {
    double term = 0.0;
    if (locusType[i] == 'C') {
      term = codominantTerm(h, indGenotype[i], freqR[i], freqS[i]);
    } else if (locusType[i] == 'D') {
      term = dominantTerm(h, indGenotype[i], freqR[i], freqS[i]);
    } else if (locusType[i] != 'B') {
      return std::numeric_limits<double>::quiet_NaN();
    }
    sum += term;
  }
  return sum;
}

double maxFunction(double h, void* params) {
  const auto* lp = static_cast<const LikelihoodParams*>(params);
  return -Likelihood(h, lp->indGenotype, lp->freqR, lp->freqS, lp->locusType, lp->nLoci);
}

double ciFunction(double h, void* params) {
  const auto* bp = static_cast<const BoundParams*>(params);
  const double logL =
      Likelihood(h, bp->indGenotype, bp->freqR, bp->freqS, bp->locusType, bp->nLoci);
  return (logL - bp->maxLogL) + bp->supportDrop;
}

}  // namespace parmix
