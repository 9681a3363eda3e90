#include "estimate/individual_context.hpp"

#include "model/likelihood.hpp"

namespace parmix {

void IndividualContext::layOut(const int* const* indGenotype, const double* const* freqR,
                               const double* const* freqS, const char* locusType, int nLoci) {
  layout_.clear();
  layout_.reserve(static_cast<std::size_t>(nLoci > 0 ? nLoci : 0));
  // A locus type the likelihood does not know makes every value NaN, as it
  // does Likelihood's.
  bool unknownType = false;
  for (int i = 0; i < nLoci; ++i) {
    const char type = locusType[i];
    if (type != 'C' && type != 'D' && type != 'B') unknownType = true;
    layout_.addLocus(type, indGenotype[i][0], indGenotype[i][1], freqR[i], freqS[i]);
  }
  if (unknownType) {
    points_.rememberUndefined();
  } else {
    points_.rememberFor(layout_);
  }
}

double Likelihood(double h, int** indGenotype, double** freqR, double** freqS, char* locusType,
                  int nLoci, IndividualContext* context) {
  if (context != nullptr) return context->at(h);
  return Likelihood(h, indGenotype, freqR, freqS, locusType, nLoci);
}

}  // namespace parmix
