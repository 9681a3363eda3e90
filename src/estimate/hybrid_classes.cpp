#include "estimate/hybrid_classes.hpp"

#include <cmath>
#include <limits>

namespace parmix {

ClassPoint classPoint(HybridClass kind) {
  switch (kind) {
    case HybridClass::PureR: return {1.0, 0.0};
    case HybridClass::PureS: return {0.0, 0.0};
    case HybridClass::F1: return {0.5, 1.0};
    case HybridClass::F2: return {0.5, 0.5};
    case HybridClass::BackcrossR: return {0.75, 0.5};
    case HybridClass::BackcrossS: return {0.25, 0.5};
  }
  return {std::nan(""), std::nan("")};
}

const char* className(HybridClass kind) {
  switch (kind) {
    case HybridClass::PureR: return "pureR";
    case HybridClass::PureS: return "pureS";
    case HybridClass::F1: return "F1";
    case HybridClass::F2: return "F2";
    case HybridClass::BackcrossR: return "BCR";
    case HybridClass::BackcrossS: return "BCS";
  }
  return "?";
}

ClassVerdict judgeClasses(const std::array<double, kHybridClasses>& classLogL, double maxLogL,
                          const ClassThresholds& thresholds) {
  constexpr double kNegInf = -std::numeric_limits<double>::infinity();
  int best = -1;
  double bestLogL = kNegInf, secondLogL = kNegInf;
  for (int k = 0; k < kHybridClasses; ++k) {
    const double value = classLogL[k];
    if (!(value > kNegInf)) continue;  // impossible, or NaN
    if (value > bestLogL) {
      secondLogL = bestLogL;
      bestLogL = value;
      best = k;
    } else if (value > secondLogL) {
      secondLogL = value;
    }
  }
  if (best < 0) return {-1, std::nan(""), false};
  const double margin = bestLogL - secondLogL;  // +infinity when no rival is possible
  const bool assigned =
      margin >= thresholds.minMargin && maxLogL - bestLogL <= thresholds.maxDrop;
  return {best, margin, assigned};
}

}  // namespace parmix
