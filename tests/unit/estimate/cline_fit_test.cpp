#include "estimate/cline_fit.hpp"

#include <gtest/gtest.h>

#include "support/cline_reference.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <ostream>
#include <string>
#include <vector>

namespace parmix {
namespace {

using test::ClineData;
using test::drawCline;

constexpr double kAgree = 1e-5;

double logistic(double z) { return 1 / (1 + std::exp(-z)); }

struct FitCase {
  const char* name;
  char type;
  std::vector<double> r, s;
  int n;
  double v, centre;
  std::uint64_t seed;
};

// Loci of every kind the model scores, clines steep, shallow, shifted and
// neutral, and few individuals, where a limit reaches the box.
const FitCase kFitCases[] = {
    {"steep shifted to R", 'C', {0.9, 0.1}, {0.15, 0.85}, 150, 3.0, 0.35, 11},
    {"shallow, three alleles", 'C', {0.7, 0.2, 0.1}, {0.1, 0.1, 0.8}, 150, 0.5, 0.55, 12},
    {"dominant, shifted to S", 'D', {0.8}, {0.1}, 200, 1.5, 0.7, 13},
    {"neutral", 'C', {1.0, 0.0}, {0.0, 1.0}, 120, 1.0, 0.5, 14},
    {"few individuals", 'C', {0.95, 0.05}, {0.05, 0.95}, 12, 6.0, 0.5, 15},
    {"step on the cap of v", 'C', {0.99, 0.01}, {0.01, 0.99}, 16, 80.0, 0.45, 17},
    {"step on the cap of v, dominant", 'D', {0.99}, {0.02}, 24, 80.0, 0.6, 18},
    // Weakly informative neutral loci whose likelihood peaks again on the
    // steep clines, away from the maximum the search from the neutral
    // cline reaches: on the cap of v, and inside the box.
    {"neutral, higher on the cap", 'C', {0.7, 0.3}, {0.3, 0.7}, 80, 1.0, 0.5, 10},
    {"neutral, higher on a steep cline", 'C', {0.7, 0.3}, {0.3, 0.7}, 40, 1.0, 0.5, 12},
    {"neutral, higher on a steep cline, more individuals", 'C', {0.7, 0.3}, {0.3, 0.7}, 80, 1.0, 0.5, 69},
};

void PrintTo(const FitCase& c, std::ostream* os) { *os << c.name; }

class ClineFit : public ::testing::TestWithParam<FitCase> {};

TEST_P(ClineFit, AgreesWithGridAndGoldenSection) {
  const FitCase& c = GetParam();
  ClineData data = drawCline(c.type, c.r, c.s, c.n, c.v, c.centre, c.seed);
  const auto locus = data.view();
  const ClineEstimate row = fitCline(*locus);

  const double lo[2] = {std::log(kClineMinV), std::log(kClineMinCentre / (1 - kClineMinCentre))};
  const double hi[2] = {std::log(kClineMaxV), -lo[1]};
  const test::ReferenceFit ref = test::referenceFit(data, lo, hi);

  EXPECT_EQ(row.individuals, c.n);
  EXPECT_NEAR(row.logL, ref.logL, 1e-8 * std::fabs(ref.logL));
  EXPECT_NEAR(row.v, std::exp(ref.logV), kAgree * std::exp(ref.logV));
  EXPECT_NEAR(row.centre, logistic(ref.logitCentre), kAgree);
  EXPECT_NEAR(row.vLower, std::exp(ref.logVLimits[0]), kAgree * row.vLower);
  EXPECT_NEAR(row.vUpper, std::exp(ref.logVLimits[1]), kAgree * row.vUpper);
  EXPECT_NEAR(row.centreLower, logistic(ref.logitCentreLimits[0]), kAgree);
  EXPECT_NEAR(row.centreUpper, logistic(ref.logitCentreLimits[1]), kAgree);
  EXPECT_EQ(row.vCut[0], ref.logVLimits[0] == lo[0]);
  EXPECT_EQ(row.vCut[1], ref.logVLimits[1] == hi[0]);
  EXPECT_EQ(row.centreCut[0], ref.logitCentreLimits[0] == lo[1]);
  EXPECT_EQ(row.centreCut[1], ref.logitCentreLimits[1] == hi[1]);

  // The test against the neutral cline, from the reference's own terms.
  const double neutral = test::referenceLogL(data, 1.0, 0.5);
  EXPECT_NEAR(row.neutralLogL, neutral, 1e-12 * std::fabs(neutral));
  EXPECT_NEAR(row.lr, 2 * (ref.logL - neutral), 1e-7);
  EXPECT_NEAR(row.pValue, std::exp(-row.lr / 2), 1e-15);
  EXPECT_NEAR(row.u, row.v * std::log(row.centre / (1 - row.centre)), 1e-9 * (1 + std::fabs(row.u)));
  EXPECT_TRUE(std::isnan(row.qValue));
}

INSTANTIATE_TEST_SUITE_P(Loci, ClineFit, ::testing::ValuesIn(kFitCases),
                         [](const ::testing::TestParamInfo<FitCase>& info) {
                           std::string name = info.param.name;
                           for (char& ch : name)
                             if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return name;
                         });

// The step cases above must reach the cap, or the search along it goes
// untested.
TEST(ClineFitCap, SortedGenotypesFitBestAtTheCapWithItsCutMark) {
  for (const FitCase& c : kFitCases) {
    if (std::string(c.name).find("cap") == std::string::npos) continue;
    ClineData data = drawCline(c.type, c.r, c.s, c.n, c.v, c.centre, c.seed);
    const ClineEstimate row = fitCline(*data.view());
    EXPECT_DOUBLE_EQ(row.v, kClineMaxV) << c.name;
    EXPECT_TRUE(row.vCut[1]) << c.name;
    EXPECT_FALSE(row.vCut[0]) << c.name;
  }
}

// Loci whose line at a box end (coordinate K at SIDE) has a lower maximum
// where the search along it starts, at the estimate's other coordinate,
// and a higher one elsewhere within 2 units of the maximum: the limit is
// cut.  Groups of individuals {h, count, genotype} at a locus where allele
// 1 has frequency 0.9 in R and 0.1 in S.
TEST(ClineFitCut, BoxEndLineReachingTheLevelAwayFromTheSearchStartIsCut) {
  const struct {
    std::vector<std::array<double, 4>> groups;
    int k, side;
  } cases[] = {
      // A shallow cline centred at the box's end fits best; on the cap of
      // v the step between 0.25 and 0.30 stands above the start's shelf.
      {{{0.25, 8, 2, 2}, {0.30, 5, 1, 1}, {0.30, 1, 2, 2}, {0.55, 3, 2, 2}}, 0, 1},
      // A step fits best; at the centre's upper end a shallow cline, for
      // the heterozygotes at 0.05, stands above the cap where it starts.
      {{{0.05, 6, 1, 2}, {0.35, 6, 2, 2}, {0.80, 4, 1, 1}, {0.90, 1, 2, 2}}, 1, 1},
  };
  const double lo[2] = {std::log(kClineMinV), std::log(kClineMinCentre / (1 - kClineMinCentre))};
  const double hi[2] = {std::log(kClineMaxV), -lo[1]};
  for (const auto& c : cases) {
    ClineData data;
    data.r = {0.9, 0.1}, data.s = {0.1, 0.9};
    for (const auto& g : c.groups)
      for (int i = 0; i < g[1]; ++i)
        data.h.push_back(g[0]), data.g.push_back({static_cast<int>(g[2]), static_cast<int>(g[3])});
    const test::ReferenceFit ref = test::referenceFit(data, lo, hi);
    const double level = ref.logL - kClineSupportDrop, end = (c.side == 0 ? lo : hi)[c.k];
    const int o = 1 - c.k;
    auto line = [&](double t) {
      double x[2];
      x[c.k] = end, x[o] = t;
      return test::referenceAt(data, x[0], x[1]);
    };
    // A grid finer than the cap's shelves (a hundredth on the logit scale).
    double top = -HUGE_VAL;
    for (int i = 0; i <= 4000; ++i) top = std::max(top, line(lo[o] + (hi[o] - lo[o]) * i / 4000));
    ASSERT_GT(top, level + 0.1) << c.k;
    ASSERT_LT(line(o == 0 ? ref.logV : ref.logitCentre), level - 0.1) << c.k;

    const ClineEstimate row = fitCline(*data.view());
    EXPECT_NEAR(row.logL, ref.logL, 1e-8 * std::fabs(ref.logL));
    EXPECT_TRUE((c.k == 0 ? row.vCut : row.centreCut)[c.side]) << c.k;
    const double limits[2][2] = {{row.vLower, row.vUpper}, {row.centreLower, row.centreUpper}};
    EXPECT_DOUBLE_EQ(limits[c.k][c.side], c.k == 0 ? std::exp(end) : logistic(end)) << c.k;
  }
}

TEST(ClineFitUndefined, NoInformingIndividualLeavesEverythingUndefined) {
  ClineData data = drawCline('C', {0.9, 0.1}, {0.1, 0.9}, 10, 1.0, 0.5, 3);
  for (auto& g : data.g) g[1] = kMissing;
  const ClineEstimate row = fitCline(*data.view());
  EXPECT_EQ(row.individuals, 0);
  for (double x : {row.v, row.vLower, row.vUpper, row.centre, row.centreLower, row.centreUpper,
                   row.u, row.logL, row.neutralLogL, row.lr, row.pValue})
    EXPECT_TRUE(std::isnan(x)) << x;
}

TEST(ClineFitUndefined, PureParentsAloneAreFlatInBothParameters) {
  // At h = 0 and h = 1 phi is h whatever the cline: nothing to fit.
  ClineData data = drawCline('C', {0.9, 0.1}, {0.1, 0.9}, 20, 1.0, 0.5, 4);
  for (std::size_t i = 0; i < data.h.size(); ++i) data.h[i] = i % 2 == 0 ? 0.0 : 1.0;
  const ClineEstimate row = fitCline(*data.view());
  EXPECT_EQ(row.individuals, 20);
  for (double x : {row.v, row.vLower, row.vUpper, row.centre, row.centreLower, row.centreUpper,
                   row.u})
    EXPECT_TRUE(std::isnan(x)) << x;
  EXPECT_NEAR(row.logL, row.neutralLogL, 1e-12 * std::fabs(row.logL));
  EXPECT_EQ(row.lr, 0.0);
  EXPECT_EQ(row.pValue, 1.0);
}

TEST(BenjaminiHochberg, StepUpOverTheDefinedPValues) {
  const double nan = std::nan("");
  const struct {
    std::vector<double> p, q;
  } cases[] = {
      // m = 4: ranks 1..4 give 0.04, 0.06, 0.04 * 4 / 3, 0.5; the second
      // takes the third's smaller value.
      {{0.01, 0.04, 0.03, nan, 0.5}, {0.04, 0.16 / 3, 0.16 / 3, nan, 0.5}},
      {{0.2}, {0.2}},
      {{0.9, 0.8}, {0.9, 0.9}},
      {{}, {}},
      {{nan, nan}, {nan, nan}},
  };
  for (const auto& c : cases) {
    const std::vector<double> q = benjaminiHochberg(c.p);
    ASSERT_EQ(q.size(), c.q.size());
    for (std::size_t i = 0; i < q.size(); ++i) {
      if (std::isnan(c.q[i]))
        EXPECT_TRUE(std::isnan(q[i]));
      else
        EXPECT_NEAR(q[i], c.q[i], 1e-15);
    }
  }
}

TEST(JudgeClines, CategoryFromTheLimitsOfSignificantLoci) {
  const struct {
    double p, vLower, vUpper, centreLower, centreUpper;
    const char* category;
  } cases[] = {
      {1e-9, 1.5, 4.0, 0.40, 0.55, "steep"},
      {1e-9, 0.2, 0.7, 0.45, 0.60, "shallow"},
      {1e-9, 0.8, 1.3, 0.20, 0.45, "R-shift"},
      {1e-9, 0.8, 1.3, 0.55, 0.80, "S-shift"},
      {1e-9, 2.0, 3.0, 0.10, 0.30, "steep+R-shift"},
      {1e-9, 0.3, 0.9, 0.60, 0.90, "shallow+S-shift"},
      {1e-9, 0.9, 1.2, 0.45, 0.55, "outlier"},
      {0.5, 2.0, 3.0, 0.10, 0.30, "neutral"},
      {std::nan(""), 2.0, 3.0, 0.10, 0.30, "neutral"},
  };
  std::vector<ClineEstimate> rows;
  for (const auto& c : cases) {
    ClineEstimate row;
    row.pValue = c.p, row.vLower = c.vLower, row.vUpper = c.vUpper;
    row.centreLower = c.centreLower, row.centreUpper = c.centreUpper;
    rows.push_back(row);
  }
  judgeClines(rows, 0.05);
  for (std::size_t i = 0; i < rows.size(); ++i)
    EXPECT_STREQ(clineCategoryName(rows[i].category), cases[i].category) << i;
  // The threshold is the user's: at 1e-12 none of them departs.
  judgeClines(rows, 1e-12);
  for (const ClineEstimate& row : rows) EXPECT_EQ(row.category, ClineCategory::kNeutral);
}

}  // namespace
}  // namespace parmix

namespace parmix {
namespace {

// Loci drawn under the neutral cline, each fitted on its individuals' true
// h: the test's p-values are then uniform up to the chi-square
// approximation, so the count below 0.05 among 200 loci is Binomial(200,
// 0.05), mean 10, standard deviation 3.08.  The band [2, 22] holds it with
// probability above 0.999 (P(X <= 1) = 4e-4, P(X >= 23) = 1e-4).
TEST(ClineCalibration, NeutralLociRejectAtTheirLevel) {
  int below = 0;
  for (int k = 0; k < 200; ++k) {
    ClineData data = drawCline('C', {0.9, 0.1}, {0.1, 0.9}, 150, 1.0, 0.5, 5000 + k);
    if (fitCline(*data.view()).pValue < 0.05) ++below;
  }
  EXPECT_GE(below, 2);
  EXPECT_LE(below, 22);
}

}  // namespace
}  // namespace parmix
