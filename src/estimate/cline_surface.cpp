#include "estimate/cline_surface.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace parmix {

namespace {

// The same point to the bit: -0 and 0 (and two NaNs) are not confused.
bool samePoint(double a, double b, double x, double y) {
  return std::memcmp(&a, &x, sizeof a) == 0 && std::memcmp(&b, &y, sizeof b) == 0;
}

}  // namespace

double ClineSurface::logLikelihood(double v, double logitCentre) {
  const std::size_t values = std::min(valueCount_, kKept);
  for (std::size_t k = 0; k < values; ++k)
    if (samePoint(values_[k].v, values_[k].logitCentre, v, logitCentre)) return values_[k].value;
  const std::size_t curvatures = std::min(curvatureCount_, kKept);
  for (std::size_t k = 0; k < curvatures; ++k)
    if (samePoint(curvatures_[k].v, curvatures_[k].logitCentre, v, logitCentre))
      return curvatures_[k].at.value;
  ++passes_;
  const double value = locus_.logLikelihood(v, logitCentre);
  values_[valueCount_++ % kKept] = {v, logitCentre, value};
  return value;
}

// ClineLocus::curvature takes v as exp(ln v), the value logLikelihood is
// then asked at.
ClineCurvature ClineSurface::curvature(double logV, double logitCentre) {
  const double v = std::exp(logV);
  const std::size_t curvatures = std::min(curvatureCount_, kKept);
  for (std::size_t k = 0; k < curvatures; ++k)
    if (samePoint(curvatures_[k].v, curvatures_[k].logitCentre, v, logitCentre))
      return curvatures_[k].at;
  ++passes_;
  const ClineCurvature at = locus_.curvature(logV, logitCentre);
  curvatures_[curvatureCount_++ % kKept] = {v, logitCentre, at};
  return at;
}

// One ranking of a range, as long as any asked for, serves every count.
std::vector<double> ClineSurface::bestStepCentres(double lo, double hi, std::size_t count) {
  for (const Shelves& kept : shelves_)
    if (samePoint(kept.lo, kept.hi, lo, hi) && kept.count >= count)
      return {kept.centres.begin(), kept.centres.begin() + std::min(count, kept.centres.size())};
  if (!steps_) steps_ = locus_.stepTerms();
  const std::size_t ranked = std::max(count, kRanked);
  // The fit asks about a handful of ranges; a locus with more starts afresh.
  if (shelves_.size() == 8) shelves_.clear();
  shelves_.push_back({lo, hi, ranked, ClineLocus::bestStepCentres(*steps_, lo, hi, ranked)});
  const std::vector<double>& centres = shelves_.back().centres;
  return {centres.begin(), centres.begin() + std::min(count, centres.size())};
}

}  // namespace parmix
