// The class points and the assignment rule.

#include <gtest/gtest.h>

#include "estimate/hybrid_classes.hpp"

#include <cmath>
#include <limits>

namespace parmix {
namespace {

constexpr double kNegInf = -std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(HybridClasses, PointsAreTheExpectedAncestryAndHeterozygosity) {
  // h is the share of R alleles and H the share of loci with one copy of
  // each, in expectation, for the offspring of the crosses named.
  const struct {
    HybridClass kind;
    const char* name;
    double h, het;
  } cases[] = {{HybridClass::PureR, "pureR", 1.0, 0.0}, {HybridClass::PureS, "pureS", 0.0, 0.0},
               {HybridClass::F1, "F1", 0.5, 1.0},       {HybridClass::F2, "F2", 0.5, 0.5},
               {HybridClass::BackcrossR, "BCR", 0.75, 0.5},
               {HybridClass::BackcrossS, "BCS", 0.25, 0.5}};
  for (const auto& c : cases) {
    EXPECT_EQ(classPoint(c.kind).h, c.h);
    EXPECT_EQ(classPoint(c.kind).het, c.het);
    EXPECT_STREQ(className(c.kind), c.name);
  }
}

TEST(HybridClasses, AssignmentNeedsTheMarginAndTheClosenessToTheMaximum) {
  const ClassThresholds defaults;
  const struct {
    std::array<double, kHybridClasses> logL;
    double maxLogL;
    int best;
    double margin;
    bool assigned;
  } cases[] = {
      // clear winner, close to the maximum
      {{-10, -20, -30, -25, -12.5, -40}, -9.0, 0, 2.5, true},
      // margin exactly 2 and drop exactly 2: both limits included
      {{-20, -13, -11, -14, -30, -30}, -9.0, 2, 2.0, true},
      // margin too small
      {{-10, -11.9, -30, -30, -30, -30}, -9.5, 0, 1.9, false},
      // clear winner, but far from the joint maximum
      {{-30, -40, -50, -20.5, -45, -45}, -18.0, 3, 9.5, false},
      // the only possible class: infinite margin
      {{kNegInf, kNegInf, -5, kNegInf, kNegInf, kNegInf}, -4.0, 2, INFINITY, true},
      // an impossible class never wins, NaN counts as impossible
      {{kNegInf, kNaN, -5, -9, kNegInf, kNegInf}, -4.0, 2, 4.0, true},
      // a tie
      {{-5, -5, -30, -30, -30, -30}, -4.0, 0, 0.0, false},
  };
  for (const auto& c : cases) {
    const ClassVerdict v = judgeClasses(c.logL, c.maxLogL, defaults);
    EXPECT_EQ(v.bestClass, c.best);
    EXPECT_DOUBLE_EQ(v.margin, c.margin);
    EXPECT_EQ(v.assigned, c.assigned);
  }
}

TEST(HybridClasses, NoPossibleClassLeavesTheRowUndefined) {
  const std::array<double, kHybridClasses> none{kNegInf, kNegInf, kNaN, kNegInf, kNegInf, kNegInf};
  const ClassVerdict v = judgeClasses(none, -3.0, ClassThresholds());
  EXPECT_EQ(v.bestClass, -1);
  EXPECT_TRUE(std::isnan(v.margin));
  EXPECT_FALSE(v.assigned);
}

TEST(HybridClasses, ThresholdsAreTheCallersChoice) {
  const std::array<double, kHybridClasses> logL{-10, -12.5, -30, -30, -30, -30};
  ClassThresholds strict;
  strict.minMargin = 3.0;
  EXPECT_FALSE(judgeClasses(logL, -9.0, strict).assigned);
  ClassThresholds near;
  near.maxDrop = 0.5;
  EXPECT_FALSE(judgeClasses(logL, -9.0, near).assigned);
  EXPECT_TRUE(judgeClasses(logL, -9.0, ClassThresholds()).assigned);
}

}  // namespace
}  // namespace parmix
