// Statistical properties of the joint analysis on individuals simulated
// from ancestry states: class assignment on strong and weak panels, and the
// coverage of the realised h and H by the 2-unit profile limits.  Seeded;
// every bound is derived here from the binomial spread of a share and from
// the asymptotic chi-square laws of the likelihood ratio, never from the
// program's own output.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "estimate/joint_study.hpp"
#include "support/joint_reference.hpp"

namespace parmix {
namespace {

using test::Locus;

// A two-allele panel whose frequency difference between R and S is drawn
// uniformly from [low, high]; which population has the higher frequency is
// drawn too.
std::vector<Locus> drawPanel(std::mt19937_64& rng, int loci, double low, double high) {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<Locus> panel;
  for (int i = 0; i < loci; ++i) {
    const double d = low + (high - low) * unit(rng);
    const double a = (1.0 - d) * unit(rng), b = a + d;
    const bool highInR = unit(rng) < 0.5;
    const double r = highInR ? b : a, s = highInR ? a : b;
    panel.push_back(test::codominant(1, 1, {r, 1.0 - r}, {s, 1.0 - s}));
  }
  return panel;
}

struct Simulated {
  std::vector<Locus> loci;
  double realisedH;    // share of allele copies from R
  double realisedHet;  // share of loci with one copy from each
};

Simulated drawIndividual(std::mt19937_64& rng, const std::vector<Locus>& panel,
                         const test::StateWeights& w) {
  Simulated one{panel, 0.0, 0.0};
  for (Locus& l : one.loci) {
    const int state = test::drawState(rng, w);
    test::drawGenotype(rng, state, l);
    one.realisedH += state / 2.0;
    one.realisedHet += state == 1;
  }
  one.realisedH /= panel.size();
  one.realisedHet /= panel.size();
  return one;
}

test::StateWeights classWeights(int k) {
  const ClassPoint p = classPoint(static_cast<HybridClass>(k));
  return test::weightsOf(p.h, p.het);
}

struct Tally {
  int individuals = 0, assigned = 0, correct = 0;
};

// Every class `perClass` times on one panel; tallies by true class.
std::vector<Tally> assignClasses(std::mt19937_64& rng, const std::vector<Locus>& panel,
                                 int perClass, const ClassThresholds& thresholds) {
  std::vector<Tally> tally(kHybridClasses);
  for (int k = 0; k < kHybridClasses; ++k) {
    for (int n = 0; n < perClass; ++n) {
      const Simulated one = drawIndividual(rng, panel, classWeights(k));
      const JointEstimate row = studyJointIndividual(test::layOutJoint(one.loci), thresholds);
      ++tally[k].individuals;
      if (row.assigned) {
        ++tally[k].assigned;
        if (row.bestClass == k) ++tally[k].correct;
      }
    }
  }
  return tally;
}

Tally pooled(const std::vector<Tally>& tally, int from, int to) {
  Tally sum;
  for (int k = from; k < to; ++k) {
    sum.individuals += tally[k].individuals;
    sum.assigned += tally[k].assigned;
    sum.correct += tally[k].correct;
  }
  return sum;
}

// Four binomial standard deviations of a count of n trials with chance p.
double fourSd(int n, double p) { return 4.0 * std::sqrt(n * p * (1.0 - p)); }

// True when the share of wrong assignments is below 5% beyond doubt: the
// observed share plus two of its binomial standard deviations (a one-sided
// 97.7% bound) stays under 0.05.
bool wrongShareBelowFivePercent(const Tally& t) {
  const double n = std::max(1, t.assigned);
  const double share = (t.assigned - t.correct) / n;
  return share + 2.0 * std::sqrt(std::max(share * (1.0 - share), 1.0 / n) / n) < 0.05;
}

// Classes F1, F2, BCR, BCS are numbered 2 to 5.
constexpr int kFirstHybrid = 2;

TEST(JointClasses, StrongPanelAssignsAlmostEveryIndividualToItsTrueClass) {
  std::mt19937_64 rng(314);
  const std::vector<Locus> panel = drawPanel(rng, 200, 0.8, 1.0);
  const std::vector<Tally> tally = assignClasses(rng, panel, 200, ClassThresholds());
  const Tally all = pooled(tally, 0, kHybridClasses);
  const Tally hybrids = pooled(tally, kFirstHybrid, kHybridClasses);
  EXPECT_TRUE(wrongShareBelowFivePercent(all)) << all.assigned - all.correct << " wrong";
  // At the default thresholds nine in ten F1, F2 and backcross individuals
  // are assigned: F1 and the backcrosses lie on the triangle's sides, where
  // the chance that the class point is inside the support region exceeds
  // the interior's 1 - e^-2 (the margins, tens of units, never bind).
  EXPECT_GE(hybrids.assigned, 0.90 * hybrids.individuals)
      << hybrids.assigned << " of " << hybrids.individuals;
  // F2 sits inside the triangle, so twice the fall of ln L from the joint
  // maximum to its point is chi-square with 2 degrees of freedom: it lies
  // within 2 units with chance 1 - e^-2.  The margin over the backcrosses,
  // tens of units on this panel, takes nothing off.
  const double withinTwo = 1.0 - std::exp(-2.0);
  EXPECT_NEAR(tally[3].assigned, withinTwo * tally[3].individuals,
              fourSd(tally[3].individuals, withinTwo));
}

TEST(JointClasses, WithAThreeUnitDropNineInTenHybridsAreAssigned) {
  std::mt19937_64 rng(2718);
  const std::vector<Locus> panel = drawPanel(rng, 200, 0.8, 1.0);
  ClassThresholds thresholds;
  thresholds.maxDrop = 3.0;
  const std::vector<Tally> tally = assignClasses(rng, panel, 200, thresholds);
  const Tally hybrids = pooled(tally, kFirstHybrid, kHybridClasses);
  const Tally all = pooled(tally, 0, kHybridClasses);
  // With a drop of 3 units even the F2 point is inside the support region
  // with chance 1 - e^-3 = 0.950; the other classes lie on the triangle's
  // sides or corners, where the chance is higher still.
  EXPECT_GE(hybrids.assigned, 0.90 * hybrids.individuals);
  EXPECT_TRUE(wrongShareBelowFivePercent(all)) << all.assigned - all.correct << " wrong";
}

// Thirty loci whose frequencies differ by 0.2 to 0.5.  A margin of 2 units
// lets a backcross pass for a pure individual in about 8% of the
// assignments on such a panel, so the margin asked for here is 3 units
// (a likelihood ratio of 20 between the best class and the next).
TEST(JointClasses, WeakPanelAssignsFewerButRarelyWrongly) {
  std::mt19937_64 rng(1618);
  const std::vector<Locus> strongPanel = drawPanel(rng, 200, 0.8, 1.0);
  const std::vector<Locus> weakPanel = drawPanel(rng, 30, 0.2, 0.5);
  ClassThresholds thresholds;
  thresholds.minMargin = 3.0;
  const Tally strong = pooled(assignClasses(rng, strongPanel, 100, thresholds), 0, 6);
  const Tally weak = pooled(assignClasses(rng, weakPanel, 1000, thresholds), 0, 6);
  EXPECT_LT(double(weak.assigned) / weak.individuals,
            0.5 * double(strong.assigned) / strong.individuals);
  // Enough assignments for the share of wrong ones to be measured.
  ASSERT_GE(weak.assigned, 200);
  EXPECT_TRUE(wrongShareBelowFivePercent(weak)) << weak.assigned - weak.correct << " wrong of "
                                                << weak.assigned;
}

TEST(JointClasses, ProfileLimitsCoverTheRealisedValues) {
  std::mt19937_64 rng(4242);
  const std::vector<Locus> panel = drawPanel(rng, 100, 0.2, 0.6);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const int n = 2000;
  int coverH = 0, coverHet = 0;
  for (int k = 0; k < n; ++k) {
    // Interior points: H in [0.2, 0.8], h at least 0.1 from the sides.
    const double het = 0.2 + 0.6 * unit(rng);
    const double lo = het / 2 + 0.1, hi = 1 - het / 2 - 0.1;
    const double h = lo + (hi - lo) * unit(rng);
    const Simulated one = drawIndividual(rng, panel, test::weightsOf(h, het));
    const JointEstimate row = studyJointIndividual(test::layOutJoint(one.loci));
    coverH += row.hLower <= one.realisedH && one.realisedH <= row.hUpper;
    coverHet += row.hetLower <= one.realisedHet && one.realisedHet <= row.hetUpper;
  }
  // 2 units of ln L: chi-square with one degree of freedom below 4.
  const double nominal = std::erf(2.0 / std::sqrt(2.0));
  EXPECT_NEAR(coverH, nominal * n, fourSd(n, nominal));
  EXPECT_NEAR(coverHet, nominal * n, fourSd(n, nominal));
}

}  // namespace
}  // namespace parmix
