#ifndef PARMIX_ESTIMATE_HYBRID_CLASSES_HPP
#define PARMIX_ESTIMATE_HYBRID_CLASSES_HPP

// The six early-generation classes, their fixed points in (h, H), and the
// rule that assigns an individual to one of them.  Pure numerics.

#include <array>

namespace parmix {

enum class HybridClass { PureR, PureS, F1, F2, BackcrossR, BackcrossS };
constexpr int kHybridClasses = 6;

struct ClassPoint {
  double h;
  double het;
};

// pure R (1, 0), pure S (0, 0), F1 (1/2, 1), F2 (1/2, 1/2), backcross to R
// (3/4, 1/2), backcross to S (1/4, 1/2).
ClassPoint classPoint(HybridClass kind);
// "pureR", "pureS", "F1", "F2", "BCR", "BCS".
const char* className(HybridClass kind);

// An individual is assigned to its best class when that class's ln L beats
// the second best by at least minMargin and lies within maxDrop of the
// joint maximum (the class point is inside the joint support region).
struct ClassThresholds {
  double minMargin = 2.0;
  double maxDrop = 2.0;
};

// bestClass is -1 when no class is possible (every ln L is -infinity or
// NaN); margin is then NaN.  A best class whose rival is impossible has an
// infinite margin.
struct ClassVerdict {
  int bestClass;
  double margin;
  bool assigned;
};

ClassVerdict judgeClasses(const std::array<double, kHybridClasses>& classLogL, double maxLogL,
                          const ClassThresholds& thresholds);

}  // namespace parmix

#endif
