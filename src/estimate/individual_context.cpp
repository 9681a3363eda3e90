#include "estimate/individual_context.hpp"

#include <cstring>
#include <limits>

#include "model/likelihood.hpp"

namespace parmix {

namespace {

// An individual takes a hundred points or so; only a solver that runs to
// its iteration limit takes thousands, and those are not worth remembering.
constexpr std::size_t kRemembered = 512;

std::uint64_t bitsOf(double h) {
  std::uint64_t bits;
  std::memcpy(&bits, &h, sizeof bits);
  return bits;
}

}  // namespace

void IndividualContext::layOut(int** indGenotype, double** freqR, double** freqS,
                               const char* locusType, int nLoci) {
  layout_.clear();
  layout_.reserve(static_cast<std::size_t>(nLoci > 0 ? nLoci : 0));
  unknownType_ = false;
  for (int i = 0; i < nLoci; ++i) {
    const char type = locusType[i];
    if (type != 'C' && type != 'D' && type != 'B') unknownType_ = true;
    layout_.addLocus(type, indGenotype[i][0], indGenotype[i][1], freqR[i], freqS[i]);
  }
  seen_.clear();
  seen_.reserve(128);
}

double IndividualContext::at(double h) {
  if (unknownType_) return std::numeric_limits<double>::quiet_NaN();
  const std::uint64_t key = bitsOf(h);
  for (const auto& entry : seen_)
    if (entry.first == key) return entry.second;
  const double value = layout_.logLikelihood(h);
  ++evaluations_;
  logCalls_ += layout_.terms();
  if (seen_.size() < kRemembered) seen_.emplace_back(key, value);
  return value;
}

double Likelihood(double h, int** indGenotype, double** freqR, double** freqS, char* locusType,
                  int nLoci, IndividualContext* context) {
  if (context != nullptr) return context->at(h);
  return Likelihood(h, indGenotype, freqR, freqS, locusType, nLoci);
}

}  // namespace parmix
