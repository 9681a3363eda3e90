#include "estimate/joint_study.hpp"

#include <gsl/gsl_cdf.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "estimate/joint_estimate.hpp"

namespace parmix {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

JointEstimate undefinedRow() {
  JointEstimate row;
  row.h = row.hLower = row.hUpper = kNaN;
  row.het = row.hetLower = row.hetUpper = kNaN;
  row.hCut[0] = row.hCut[1] = row.hetCut[0] = row.hetCut[1] = false;
  row.maxLogL = row.hybridIndexH = row.hybridIndexLogL = kNaN;
  row.lrStatistic = row.lrPValue = kNaN;
  row.classLogL.fill(kNaN);
  row.bestClass = -1;
  row.classMargin = kNaN;
  row.assigned = false;
  return row;
}

void fillLimits(const JointIndividual& individual, const JointMaximum& maximum,
                JointEstimate& row) {
  const ProfileLimit limits[4] = {
      profileLimitOfH(individual, maximum, 0, kJointSupportDrop),
      profileLimitOfH(individual, maximum, 1, kJointSupportDrop),
      profileLimitOfHet(individual, maximum, 0, kJointSupportDrop),
      profileLimitOfHet(individual, maximum, 1, kJointSupportDrop)};
  row.hLower = limits[0].value;
  row.hUpper = limits[1].value;
  row.hetLower = limits[2].value;
  row.hetUpper = limits[3].value;
  row.hCut[0] = limits[0].cut;
  row.hCut[1] = limits[1].cut;
  row.hetCut[0] = limits[2].cut;
  row.hetCut[1] = limits[3].cut;
}

void fillModelTest(const JointIndividual& individual, JointEstimate& row) {
  const CurveMaximum curve = maximiseHybridIndex(individual);
  row.hybridIndexH = curve.h;
  row.hybridIndexLogL = curve.logL;
  // The curve lies in the triangle, so the joint maximum is at least as
  // high; a negative difference is rounding.
  row.lrStatistic = std::max(0.0, 2 * (row.maxLogL - curve.logL));
  row.lrPValue = std::isnan(row.lrStatistic) ? kNaN : gsl_cdf_chisq_Q(row.lrStatistic, 1.0);
}

void fillClasses(const JointIndividual& individual, const ClassThresholds& thresholds,
                 JointEstimate& row) {
  for (int k = 0; k < kHybridClasses; ++k) {
    const ClassPoint point = classPoint(static_cast<HybridClass>(k));
    row.classLogL[k] = individual.logLikelihood(point.h, point.het);
  }
  const ClassVerdict verdict = judgeClasses(row.classLogL, row.maxLogL, thresholds);
  row.bestClass = verdict.bestClass;
  row.classMargin = verdict.margin;
  row.assigned = verdict.assigned;
}

}  // namespace

JointEstimate studyJointIndividual(const JointIndividual& individual,
                                   const ClassThresholds& thresholds) {
  JointEstimate row = undefinedRow();
  if (!individual.hasData() || jointSurfaceIsFlat(individual)) return row;
  const JointMaximum maximum = maximiseJoint(individual);
  if (!maximum.found) return row;
  row.h = maximum.h;
  row.het = maximum.het;
  row.maxLogL = maximum.logL;
  fillLimits(individual, maximum, row);
  fillModelTest(individual, row);
  fillClasses(individual, thresholds, row);
  return row;
}

}  // namespace parmix
