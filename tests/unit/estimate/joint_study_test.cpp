// The joint study of every individual of a data set, on several threads.

#include <gtest/gtest.h>

#include "estimate/joint_study.hpp"

#include <cmath>
#include <cstring>
#include <iterator>
#include <random>
#include <vector>

#include "input/data_set.hpp"
#include "support/joint_reference.hpp"

namespace parmix {
namespace {

// A data set of `individuals` individuals at mixed loci, the first locus
// excluded (codominant as read, its flag cleared), one individual without
// any designation.
DataSet randomDataSet(int loci, int individuals, unsigned seed) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> unit(0.05, 0.95);
  DataSet d;
  d.nLoci = loci;
  d.maxAlleles = 3;
  d.nCols = 2 * individuals;
  d.genotypes = RowTable<int>(loci, d.nCols, kMissing);
  d.freqR = RowTable<double>(loci, 3, 0.0);
  d.freqS = RowTable<double>(loci, 3, 0.0);
  for (int i = 0; i < loci; ++i) {
    const bool dominant = i % 4 == 1;
    d.locusType.push_back(dominant ? 'D' : 'C');
    d.locusUsed.push_back(i != 0);
    const double r = unit(rng), s = unit(rng);
    test::Locus l = dominant ? test::dominant(0, r, s)
                             : test::codominant(1, 1, {r, 1 - r, 0.0}, {s, (1 - s) / 2, (1 - s) / 2});
    std::copy(l.r.begin(), l.r.end(), d.freqR.rows()[i]);
    std::copy(l.s.begin(), l.s.end(), d.freqS.rows()[i]);
    for (int k = 1; k < individuals; ++k) {
      const double h = double(k) / individuals;
      test::drawGenotype(rng, test::drawState(rng, test::weightsOf(h, 2 * h * (1 - h))), l);
      d.genotypes.rows()[i][2 * k] = l.first;
      d.genotypes.rows()[i][2 * k + 1] = l.second;
    }
  }
  return d;
}

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Bit for bit, NaN included: each row is studied by the same code.
bool sameRow(const JointEstimate& a, const JointEstimate& b) {
  const double x[] = {a.h, a.hLower, a.hUpper, a.het, a.hetLower, a.hetUpper, a.maxLogL,
                      a.hybridIndexH, a.hybridIndexLogL, a.lrStatistic, a.lrPValue, a.classMargin};
  const double y[] = {b.h, b.hLower, b.hUpper, b.het, b.hetLower, b.hetUpper, b.maxLogL,
                      b.hybridIndexH, b.hybridIndexLogL, b.lrStatistic, b.lrPValue, b.classMargin};
  for (std::size_t k = 0; k < std::size(x); ++k)
    if (!sameBits(x[k], y[k])) return false;
  for (int k = 0; k < kHybridClasses; ++k)
    if (!sameBits(a.classLogL[k], b.classLogL[k])) return false;
  return a.hCut[0] == b.hCut[0] && a.hCut[1] == b.hCut[1] && a.hetCut[0] == b.hetCut[0] &&
         a.hetCut[1] == b.hetCut[1] && a.bestClass == b.bestClass && a.assigned == b.assigned;
}

TEST(JointStudy, EveryThreadCountGivesTheRowsOfTheSingleStudies) {
  DataSet data = randomDataSet(60, 70, 3);
  std::vector<JointEstimate> expected;
  for (int k = 0; k < 70; ++k) {
    JointIndividual one;
    for (int i = 0; i < data.nLoci; ++i)
      one.addLocus(data.locusUsed[i] ? data.locusType[i] : 'B', data.genotypes.rows()[i][2 * k],
                   data.genotypes.rows()[i][2 * k + 1], data.freqR.rows()[i], data.freqS.rows()[i]);
    expected.push_back(studyJointIndividual(one));
  }
  EXPECT_TRUE(std::isnan(expected[0].h));  // the individual without data
  for (unsigned workers : {1u, 2u, 3u, 8u}) {
    const std::vector<JointEstimate> rows = studyAllJoint(data, workers);
    ASSERT_EQ(rows.size(), expected.size());
    for (std::size_t k = 0; k < rows.size(); ++k)
      EXPECT_TRUE(sameRow(rows[k], expected[k])) << "individual " << k << ", " << workers << " workers";
  }
}

TEST(JointStudy, ThresholdsReachEveryRow) {
  DataSet data = randomDataSet(200, 20, 8);
  ClassThresholds never;
  never.minMargin = INFINITY;
  never.maxDrop = -1.0;
  for (const JointEstimate& row : studyAllJoint(data, 2, never)) EXPECT_FALSE(row.assigned);
}

TEST(JointStudy, AnEmptyDataSetGivesNoRows) {
  DataSet data;
  EXPECT_TRUE(studyAllJoint(data, 2).empty());
}

}  // namespace
}  // namespace parmix
