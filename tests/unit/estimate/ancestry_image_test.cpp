#include "estimate/ancestry_image.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "model/ancestry_copies.hpp"
#include "model/cline_likelihood.hpp"

namespace parmix {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Four individuals at three biallelic codominant loci with fixed
// differences (allele 1 only in R, allele 2 only in S), so each genotype
// tells its count: 1/1 two copies from R, 1/2 one, 2/2 none.  The middle
// locus is left out of the study, as a parental check would leave it.
struct Panel {
  DataSet data;
  std::vector<IndividualEstimate> h;
  ClineStudy study;

  Panel() {
    data.nLoci = 3;
    data.nInd = 4;
    data.nCols = 8;
    data.maxAlleles = 2;
    data.allocateGenotypes();
    data.allocateTheRest();
    const int genotypes[3][8] = {{1, 2, 2, 2, kMissing, kMissing, 1, 1},
                                 {1, 1, 1, 1, 1, 1, 1, 1},
                                 {2, 2, 1, 2, 1, 1, 1, kMissing}};
    for (int i = 0; i < 3; ++i) {
      data.locusType[i] = 'C';
      data.freqR.rows()[i][0] = 1, data.freqS.rows()[i][1] = 1;
      for (int c = 0; c < 8; ++c) data.genotypes.rows()[i][c] = genotypes[i][c];
    }
    data.locusUsed[1] = 0;
    for (double x : {0.3, 0.6, kNaN, 0.6}) h.push_back({x, x, x, {false, false}});
    study.loci = {0, 2};
    study.rows.resize(2);
    study.rows[0].v = 2, study.rows[0].centre = 0.4;
    study.rows[1].v = kNaN, study.rows[1].centre = kNaN;
  }
};

TEST(AncestryImage, RowsByFallingHAndCellsByGenotype) {
  Panel panel;
  const AncestryImage image = ancestryImageOf(panel.data, panel.h, panel.study, 1);
  // Individual 2 has no estimate; 1 and 3 share h and keep file order.
  EXPECT_EQ(image.individuals, (std::vector<int>{1, 3, 0}));
  EXPECT_EQ(image.loci, (std::vector<int>{0, 2}));
  ASSERT_EQ(image.cells.size(), 6u);
  EXPECT_EQ(image.at(0, 0), 0);              // individual 1, 2/2
  EXPECT_EQ(image.at(0, 1), 1);              // individual 1, 1/2
  EXPECT_EQ(image.at(1, 0), 2);              // individual 3, 1/1
  EXPECT_EQ(image.at(1, 1), kImageMissing);  // individual 3, 1/-
  EXPECT_EQ(image.at(2, 0), 1);              // individual 0, 1/2
  EXPECT_EQ(image.at(2, 1), 0);              // individual 0, 2/2
}

TEST(AncestryImage, SameCellsOnEveryNumberOfWorkers) {
  Panel panel;
  const AncestryImage one = ancestryImageOf(panel.data, panel.h, panel.study, 1);
  for (unsigned workers : {2u, 3u, 8u}) {
    const AncestryImage many = ancestryImageOf(panel.data, panel.h, panel.study, workers);
    EXPECT_EQ(many.individuals, one.individuals) << workers;
    EXPECT_EQ(many.cells, one.cells) << workers;
  }
}

TEST(ImageAncestry, TheFittedClineOrHWhereItIsUndefined) {
  ClineEstimate fit;
  fit.v = 3, fit.centre = 0.25;
  for (double h : {0.0, 0.1, 0.25, 0.7, 1.0})
    EXPECT_DOUBLE_EQ(imageAncestry(fit, h), clineAncestry(h, 3, logit(0.25))) << h;
  EXPECT_DOUBLE_EQ(imageAncestry(fit, 0.25), 0.5);
  for (const auto& undefined : {std::pair{kNaN, 0.3}, std::pair{2.0, kNaN}, std::pair{kNaN, kNaN}}) {
    fit.v = undefined.first, fit.centre = undefined.second;
    EXPECT_EQ(imageAncestry(fit, 0.37), 0.37);
  }
}

// An informative genotype's count follows the cline: where a steep cline
// puts phi near 1, a heterozygote at an uninformative locus is called
// from the prior, two copies from R; with phi near 0, none.
TEST(AncestryImage, UninformativeGenotypesFollowTheCline) {
  Panel panel;
  for (int i = 0; i < 3; ++i) {
    panel.data.freqR.rows()[i][0] = 0.5, panel.data.freqR.rows()[i][1] = 0.5;
    panel.data.freqS.rows()[i][0] = 0.5, panel.data.freqS.rows()[i][1] = 0.5;
  }
  panel.study.rows[0].v = 20, panel.study.rows[0].centre = 0.45;  // phi(0.6) ~ 1, phi(0.3) ~ 0
  const AncestryImage image = ancestryImageOf(panel.data, panel.h, panel.study, 2);
  EXPECT_EQ(image.at(0, 0), 2);
  EXPECT_EQ(image.at(1, 0), 2);
  EXPECT_EQ(image.at(2, 0), 0);
  // Undefined cline: phi = h; h = 0.6 gives 0.16, 0.48, 0.36: one copy.
  EXPECT_EQ(image.at(0, 1), 1);
}

}  // namespace
}  // namespace parmix
