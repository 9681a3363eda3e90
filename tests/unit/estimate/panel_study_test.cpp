// The genome-scale individual loop: from the two-byte store, on any number
// of threads, every individual's estimate is bit for bit the one the
// command's own loop gives for the same data set.

#include "estimate/panel_study.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <stdexcept>

#include "input/data_set.hpp"
#include "estimate/parallel_study.hpp"

namespace parmix {
namespace {

std::uint64_t bits(double x) {
  std::uint64_t b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}

// Codominant loci of two to four alleles (every sixth excluded), some
// genotypes missing and individual 2 without any data.
DataSet makeDataSet(int nInd, int nLoci, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  DataSet d;
  d.nLoci = nLoci;
  d.nInd = nInd;
  d.nCols = 2 * nInd;
  d.maxAlleles = 4;
  d.allocateGenotypes();
  d.allocateTheRest();
  for (int i = 0; i < nLoci; ++i) {
    const int alleles = 2 + i % 3;
    double sumR = 0.0, sumS = 0.0;
    for (int a = 0; a < alleles; ++a) {
      sumR += d.freqR.rows()[i][a] = 0.05 + unit(rng);
      sumS += d.freqS.rows()[i][a] = 0.05 + unit(rng);
    }
    for (int a = 0; a < alleles; ++a) {
      d.freqR.rows()[i][a] /= sumR;
      d.freqS.rows()[i][a] /= sumS;
    }
    d.locusType[i] = i % 6 == 5 ? 'B' : 'C';
    for (int j = 0; j < nInd; ++j) {
      const bool missing = j == 2 || unit(rng) < 0.08;
      for (int c = 0; c < 2; ++c)
        d.genotypes.rows()[i][2 * j + c] =
            missing ? kMissing : 1 + static_cast<int>(unit(rng) * alleles);
    }
  }
  return d;
}

CompactGenotypes storeOf(DataSet& d) {
  CompactGenotypes store(d.nInd);
  std::vector<std::uint8_t> pairs(static_cast<std::size_t>(d.nCols));
  for (int i = 0; i < d.nLoci; ++i) {
    for (int c = 0; c < d.nCols; ++c) {
      const int a = d.genotypes.rows()[i][c];
      pairs[c] = static_cast<std::uint8_t>(a == kMissing ? 0 : a);
    }
    store.appendLocus(pairs.data());
  }
  return store;
}

TEST(PanelStudy, SameBitsAsTheCommandsLoopOnAnyNumberOfThreads) {
  DataSet d = makeDataSet(37, 300, 5);
  const CompactGenotypes store = storeOf(d);
  const std::vector<IndividualEstimate> expected = studyAllIndividuals(d, 1);
  const PanelParents parents{d.freqR.rows(), d.freqS.rows(), d.locusType.data()};
  for (unsigned workers : {1u, 3u, 64u}) {
    const std::vector<IndividualEstimate> rows = studyPanel(store, parents, workers);
    ASSERT_EQ(rows.size(), expected.size());
    for (std::size_t j = 0; j < rows.size(); ++j) {
      EXPECT_EQ(bits(rows[j].h), bits(expected[j].h)) << workers << " threads, individual " << j;
      EXPECT_EQ(bits(rows[j].lowerBound), bits(expected[j].lowerBound));
      EXPECT_EQ(bits(rows[j].upperBound), bits(expected[j].upperBound));
      EXPECT_EQ(rows[j].truncated[0], expected[j].truncated[0]);
      EXPECT_EQ(rows[j].truncated[1], expected[j].truncated[1]);
    }
  }
}

// The data counts from the data set's own table: a used locus with both
// alleles is data, any other used locus is missing.
std::vector<DataCount> handCounts(DataSet& d) {
  std::vector<DataCount> counts(static_cast<std::size_t>(d.nInd));
  for (int i = 0; i < d.nLoci; ++i) {
    if (d.locusType[i] == 'B') continue;
    for (int j = 0; j < d.nInd; ++j) {
      const int* pair = &d.genotypes.rows()[i][2 * j];
      const bool scored = pair[0] != kMissing && pair[1] != kMissing;
      ++(scored ? counts[j].loci : counts[j].missing);
    }
  }
  return counts;
}

TEST(PanelStudy, CountsEachIndividualsDataOverTheUsedLociOnAnyNumberOfThreads) {
  DataSet d = makeDataSet(23, 120, 3);
  const CompactGenotypes store = storeOf(d);
  const PanelParents parents{d.freqR.rows(), d.freqS.rows(), d.locusType.data()};
  const std::vector<DataCount> expected = handCounts(d);
  // Individual 2 has no genotype at any of the 100 used loci.
  ASSERT_EQ(expected[2].loci, 0);
  ASSERT_EQ(expected[2].missing, 100);
  for (unsigned workers : {1u, 4u}) {
    std::vector<DataCount> counts;
    studyPanel(store, parents, workers, nullptr, &counts);
    ASSERT_EQ(counts.size(), expected.size());
    for (std::size_t j = 0; j < counts.size(); ++j) {
      EXPECT_EQ(counts[j].loci, expected[j].loci) << workers << " threads, individual " << j;
      EXPECT_EQ(counts[j].missing, expected[j].missing) << workers << " threads, individual " << j;
    }
  }
}

TEST(PanelStudy, ADominantLocusNeedsOnlyItsBandScore) {
  int scored[2] = {1, kMissing};
  int unscored[2] = {kMissing, kMissing};
  int half[2] = {2, kMissing};
  int* rows[4] = {scored, unscored, half, scored};
  const char types[4] = {'D', 'D', 'C', 'B'};
  const DataCount count = countIndividualData(rows, 4, types);
  EXPECT_EQ(count.loci, 1);
  EXPECT_EQ(count.missing, 2);
}

TEST(PanelStudy, ReportsProgressAfterEveryIndividualInTurn) {
  DataSet d = makeDataSet(9, 20, 2);
  const CompactGenotypes store = storeOf(d);
  const PanelParents parents{d.freqR.rows(), d.freqS.rows(), d.locusType.data()};
  for (unsigned workers : {1u, 4u}) {
    std::size_t last = 0;
    studyPanel(store, parents, workers, [&](std::size_t done) {
      EXPECT_EQ(done, last + 1);
      last = done;
    });
    EXPECT_EQ(last, 9u) << workers << " threads";
  }
}

TEST(PanelStudy, AFailureInAnyWorkerReachesTheCaller) {
  DataSet d = makeDataSet(4, 10, 1);
  const CompactGenotypes store = storeOf(d);
  const PanelParents parents{d.freqR.rows(), d.freqS.rows(), d.locusType.data()};
  EXPECT_THROW(studyPanel(store, parents, 2, [](std::size_t) { throw std::runtime_error("x"); }),
               std::runtime_error);
}

}  // namespace
}  // namespace parmix
