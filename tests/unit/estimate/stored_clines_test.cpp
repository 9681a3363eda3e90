// The clines fitted straight from a genome-scale store: the same rows, bit
// for bit, as the clines of the data set the store holds, on any number of
// workers and over any range of loci; under the corrections (certain calls
// on exact frequencies here) the same fits up to rounding; progress counts
// every fitted locus.

#include "estimate/stored_clines.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "input/data_set.hpp"
#include "model/reference_uncertainty.hpp"
#include "support/stored_panel.hpp"

namespace parmix {
namespace {

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// A panel of LOCI loci and N individuals: most loci biallelic, every
// seventh of three alleles (a wide locus of the store), a twentieth of the
// genotypes missing, every eleventh locus taken out by the checks.
struct Fixture : test::StoredPanel {
  Fixture(int loci, int n) : StoredPanel(loci, n, {12345, 7, 0.05, 2.0, 0.05, 11, 5}) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int j = 0; j < n; ++j) {
      const double h = j == 0 ? 0.0 : j == 1 ? 1.0 : j == 2 ? std::nan("") : unit(draw);
      h_.push_back({h, h, h, {false, false}});
    }
  }

  std::vector<IndividualEstimate> h_;
};

void expectSameRows(const ClineEstimate& a, const ClineEstimate& b, int locus) {
  EXPECT_EQ(a.individuals, b.individuals) << locus;
  const double x[] = {a.v, a.vLower, a.vUpper, a.centre, a.centreLower, a.centreUpper,
                      a.u, a.logL, a.neutralLogL, a.lr, a.pValue, a.qValue};
  const double y[] = {b.v, b.vLower, b.vUpper, b.centre, b.centreLower, b.centreUpper,
                      b.u, b.logL, b.neutralLogL, b.lr, b.pValue, b.qValue};
  for (std::size_t k = 0; k < std::size(x); ++k)
    EXPECT_TRUE(sameBits(x[k], y[k])) << "locus " << locus << " field " << k << ": " << x[k]
                                      << " against " << y[k];
  EXPECT_EQ(a.vCut[0], b.vCut[0]);
  EXPECT_EQ(a.vCut[1], b.vCut[1]);
  EXPECT_EQ(a.centreCut[0], b.centreCut[0]);
  EXPECT_EQ(a.centreCut[1], b.centreCut[1]);
  EXPECT_EQ(a.category, b.category) << locus;
}

TEST(StoredClines, TheRowsOfTheDataSetsClinesOnAnyNumberOfWorkers) {
  Fixture f(150, 24);
  const ClineStudy expected = studyAllClines(f.data, f.h_, 0.05, 1);
  for (unsigned workers : {1u, 3u}) {
    std::size_t lastProgress = 0;
    ClineStudy study = studyStoredClines(f.stored, f.h_, 0, 150, workers,
                                         [&](std::size_t fitted) { lastProgress = fitted; });
    judgeClines(study.rows, 0.05);
    ASSERT_EQ(study.loci, expected.loci);
    EXPECT_EQ(study.lociExcluded, expected.lociExcluded);
    EXPECT_EQ(study.individualsUsed, 23);
    EXPECT_EQ(study.individualsLeftOut, 1);
    EXPECT_EQ(lastProgress, expected.loci.size());
    for (std::size_t k = 0; k < study.rows.size(); ++k)
      expectSameRows(study.rows[k], expected.rows[k], study.loci[k]);
  }
}

TEST(StoredClines, ARangeOfLociFitsThoseLociAsTheWholeRunDoes) {
  Fixture f(150, 24);
  const ClineStudy whole = studyStoredClines(f.stored, f.h_, 0, 150, 2);
  const int ranges[][2] = {{0, 1}, {5, 6}, {60, 130}, {149, 150}, {70, 70}};
  for (const auto& range : ranges) {
    const ClineStudy part = studyStoredClines(f.stored, f.h_, range[0], range[1], 2);
    int excluded = 0;
    for (int i = range[0]; i < range[1]; ++i) excluded += f.data.locusUsed[i] ? 0 : 1;
    EXPECT_EQ(part.lociExcluded, excluded) << range[0];
    for (std::size_t k = 0; k < part.loci.size(); ++k) {
      std::size_t w = 0;
      while (whole.loci[w] != part.loci[k]) ++w;
      expectSameRows(part.rows[k], whole.rows[w], part.loci[k]);
    }
    EXPECT_EQ(part.loci.size() + static_cast<std::size_t>(excluded),
              static_cast<std::size_t>(range[1] - range[0]));
  }
}

// Each locus's terms from the likelihoods of its calls on the exact
// frequencies' moments: the same model, so the same fit up to rounding.
TEST(StoredClines, UnderTheCorrectionsCertainCallsFitAsTheirDesignations) {
  Fixture f(60, 24);
  std::vector<SiteGenotypes> sites;
  for (int i = 0; i < 60; ++i)
    sites.push_back(SiteGenotypes::fromFrequencies(f.data.freqR.rows()[i], f.data.freqS.rows()[i],
                                                   i % 7 == 0 ? 3 : 2));
  StoredLoci corrected = f.stored;
  corrected.sites = &sites;
  const ClineStudy plain = studyStoredClines(f.stored, f.h_, 0, 60, 2);
  const ClineStudy study = studyStoredClines(corrected, f.h_, 0, 60, 2);
  ASSERT_EQ(study.loci, plain.loci);
  for (std::size_t k = 0; k < study.rows.size(); ++k) {
    const ClineEstimate &a = study.rows[k], &b = plain.rows[k];
    EXPECT_EQ(a.individuals, b.individuals);
    EXPECT_NEAR(a.neutralLogL, b.neutralLogL, 1e-12 * std::fabs(b.neutralLogL));
    EXPECT_NEAR(a.logL, b.logL, 1e-8 * std::fabs(b.logL)) << study.loci[k];
  }
}

// The clines of the text files under uncertain parental frequencies (the
// moments of small reference samples' counts) are those of the genome path
// on the same calls and moments, bit for bit, and differ from the fits on
// the point frequencies.
TEST(StoredClines, TheDataSetsCorrectedClinesAreTheStoresUnderTheSameMoments) {
  Fixture f(60, 24);
  std::vector<SiteGenotypes> sites;
  for (int i = 0; i < 60; ++i) {
    const int k = i % 7 == 0 ? 3 : 2;
    std::vector<double> countsR(k), countsS(k);
    for (int a = 0; a < k; ++a) {
      countsR[a] = 8.0 * f.data.freqR.rows()[i][a];
      countsS[a] = 8.0 * f.data.freqS.rows()[i][a];
    }
    sites.emplace_back(dirichletMoments(countsR.data(), k, 0.5),
                       dirichletMoments(countsS.data(), k, 0.5));
  }
  StoredLoci corrected = f.stored;
  corrected.sites = &sites;
  ClineStudy stored = studyStoredClines(corrected, f.h_, 0, 60, 2);
  judgeClines(stored.rows, 0.05);
  const ClineStudy text = studyAllClines(f.data, f.h_, 0.05, 3, {}, &sites);
  const ClineStudy plain = studyAllClines(f.data, f.h_, 0.05, 1);
  ASSERT_EQ(text.loci, stored.loci);
  std::size_t moved = 0;
  for (std::size_t k = 0; k < text.rows.size(); ++k) {
    expectSameRows(text.rows[k], stored.rows[k], text.loci[k]);
    moved += text.rows[k].neutralLogL != plain.rows[k].neutralLogL ? 1 : 0;
  }
  EXPECT_EQ(moved, text.rows.size());
}

}  // namespace
}  // namespace parmix
