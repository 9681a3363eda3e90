#include "estimate/layout_objective.hpp"

#include <cstring>
#include <limits>

namespace parmix {

namespace {

// A call takes a few dozen points; only a solver that runs to its
// iteration limit takes thousands, and those are not worth remembering.
constexpr std::size_t kRemembered = 512;

std::uint64_t bitsOf(double h) {
  std::uint64_t bits;
  std::memcpy(&bits, &h, sizeof bits);
  return bits;
}

}  // namespace

LayoutObjective::LayoutObjective(int** indGenotype, double** freqR, double** freqS,
                                 const char* locusType, int nLoci) {
  layout_.reserve(static_cast<std::size_t>(nLoci > 0 ? nLoci : 0));
  for (int i = 0; i < nLoci; ++i) {
    const char type = locusType[i];
    if (type != 'C' && type != 'D' && type != 'B') unknownType_ = true;
    layout_.addLocus(locusType[i], indGenotype[i][0], indGenotype[i][1], freqR[i], freqS[i]);
  }
  seen_.reserve(64);
}

double LayoutObjective::at(double h) {
  if (unknownType_) return std::numeric_limits<double>::quiet_NaN();
  const std::uint64_t key = bitsOf(h);
  for (const auto& entry : seen_)
    if (entry.first == key) return entry.second;
  const double value = layout_.logLikelihood(h);
  ++evaluations_;
  if (seen_.size() < kRemembered) seen_.emplace_back(key, value);
  return value;
}

gsl_function LayoutObjective::negated() { return {&negatedAt, this}; }

gsl_function LayoutObjective::shifted(double maxLogL, double supportDrop) {
  maxLogL_ = maxLogL;
  supportDrop_ = supportDrop;
  return {&shiftedAt, this};
}

double LayoutObjective::negatedAt(double h, void* self) {
  return -static_cast<LayoutObjective*>(self)->at(h);
}

double LayoutObjective::shiftedAt(double h, void* self) {
  auto* objective = static_cast<LayoutObjective*>(self);
  return (objective->at(h) - objective->maxLogL_) + objective->supportDrop_;
}

}  // namespace parmix
