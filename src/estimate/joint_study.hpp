#ifndef PARMIX_ESTIMATE_JOINT_STUDY_HPP
#define PARMIX_ESTIMATE_JOINT_STUDY_HPP

// The joint study of ancestry h and interclass heterozygosity H of one
// individual: the estimates with their 2-unit profile support limits, the
// test of the hybrid-index model, and the six early-generation classes.
// (estimate/study.hpp studies every individual of a run.)  No I/O.

#include <array>
#include <vector>

#include "estimate/hybrid_classes.hpp"
#include "model/joint_likelihood.hpp"

namespace parmix {

// One row of the joint analysis.  An individual without data, or whose
// log-likelihood is flat, has every number NaN, no cut mark, bestClass -1
// and is not assigned; so has one whose maximum cannot be found.
struct JointEstimate {
  double h;          // ancestry: share of the genome from R
  double hLower;     // its profile support limits, cut at 0 and 1
  double hUpper;
  bool hCut[2];      // [0] lower limit cut at 0, [1] upper cut at 1
  double het;        // interclass heterozygosity H
  double hetLower;
  double hetUpper;
  bool hetCut[2];
  double maxLogL;    // ln L at (h, het)
  double hybridIndexH;     // the hybrid-index model's estimate, on H = 2h(1 - h)
  double hybridIndexLogL;  // and its maximum ln L
  double lrStatistic;      // 2 (maxLogL - hybridIndexLogL), at least 0
  double lrPValue;         // chi-square, 1 degree of freedom (approximate near the edges)
  std::array<double, kHybridClasses> classLogL;  // by HybridClass
  int bestClass;           // a HybridClass, or -1
  double classMargin;      // best class's ln L less the second best's
  bool assigned;
};

// The fall of ln L that defines a support limit.
constexpr double kJointSupportDrop = 2.0;

JointEstimate studyJointIndividual(const JointIndividual& individual,
                                   const ClassThresholds& thresholds = ClassThresholds());

}  // namespace parmix

#endif
