#include "estimate/layout_objective.hpp"

namespace parmix {

gsl_function LayoutObjective::negated() { return {&negatedAt, this}; }

gsl_function LayoutObjective::shifted(double maxLogL, double supportDrop) {
  maxLogL_ = maxLogL;
  supportDrop_ = supportDrop;
  return {&shiftedAt, this};
}

double LayoutObjective::negatedAt(double h, void* self) {
  return -static_cast<LayoutObjective*>(self)->context_.at(h);
}

double LayoutObjective::shiftedAt(double h, void* self) {
  auto* objective = static_cast<LayoutObjective*>(self);
  return (objective->context_.at(h) - objective->maxLogL_) + objective->supportDrop_;
}

IndividualContext& contextFor(IndividualContext* given, IndividualContext& own,
                              int** indGenotype, double** freqR, double** freqS,
                              const char* locusType, int nLoci) {
  if (given != nullptr) return *given;
  own.layOut(indGenotype, freqR, freqS, locusType, nLoci);
  return own;
}

}  // namespace parmix
