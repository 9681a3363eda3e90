#include "estimate/parallel_study.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>

#include "estimate/individual_context.hpp"
#include "estimate/individual_study.hpp"
#include "input/data_set.hpp"
#include "model/compact_likelihood.hpp"

namespace parmix {
namespace {

std::uint64_t bits(double x) {
  std::uint64_t b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}

// A data set of nInd individuals at nLoci biallelic loci (every fifth one
// dominant, every seventh excluded), with some individuals lacking data.
DataSet makeDataSet(int nInd, int nLoci, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  DataSet d;
  d.nLoci = nLoci;
  d.nInd = nInd;
  d.nCols = 2 * nInd;
  d.maxAlleles = 2;
  d.allocateGenotypes();
  d.allocateTheRest();
  for (int i = 0; i < nLoci; ++i) {
    const double r = 0.05 + 0.9 * unit(rng), s = 0.05 + 0.9 * unit(rng);
    d.freqR.rows()[i][0] = r;
    d.freqR.rows()[i][1] = 1 - r;
    d.freqS.rows()[i][0] = s;
    d.freqS.rows()[i][1] = 1 - s;
    d.locusType[i] = i % 5 == 4 ? 'D' : 'C';
    d.locusUsed[i] = i % 7 != 6;
    for (int j = 0; j < nInd; ++j) {
      int* cell = d.genotypes.rows()[i] + 2 * j;
      cell[0] = cell[1] = kMissing;  // as the reader stores missing data
      if (j % 11 == 3 || unit(rng) < 0.05) continue;
      cell[0] = d.locusType[i] == 'D' ? (unit(rng) < 0.5 ? 1 : 0) : 1 + (unit(rng) < 0.5);
      if (d.locusType[i] != 'D') cell[1] = 1 + (unit(rng) < 0.5);
    }
  }
  return d;
}

// One individual studied on its own, from its columns; on the given
// context, laid out here, or without one.
IndividualEstimate studyAlone(DataSet& d, int j, IndividualContext* context = nullptr) {
  RowTable<int> indGenotype(d.nLoci, 2);
  for (int i = 0; i < d.nLoci; ++i) {
    indGenotype.rows()[i][0] = d.genotypes.rows()[i][2 * j];
    indGenotype.rows()[i][1] = d.genotypes.rows()[i][2 * j + 1];
  }
  std::vector<char> types = effectiveLocusTypes(d);
  if (context != nullptr)
    context->layOut(indGenotype.rows(), d.freqR.rows(), d.freqS.rows(), types.data(), d.nLoci);
  return studyIndividualGenotype(indGenotype.rows(), d.freqR.rows(), d.freqS.rows(), types.data(),
                                 d.nLoci, context);
}

TEST(ParallelStudy, RowsInFileOrderWhateverTheNumberOfWorkers) {
  DataSet d = makeDataSet(53, 40, 3);  // not a whole number of blocks
  std::vector<IndividualEstimate> alone;
  for (int j = 0; j < d.nInd; ++j) alone.push_back(studyAlone(d, j));
  for (unsigned workers : {1u, 2u, 5u, 64u}) {
    const std::vector<IndividualEstimate> rows = studyAllIndividuals(d, workers);
    ASSERT_EQ(rows.size(), 53u);
    for (int j = 0; j < d.nInd; ++j) {
      EXPECT_EQ(bits(rows[j].h), bits(alone[j].h)) << workers << " workers, individual " << j;
      EXPECT_EQ(bits(rows[j].lowerBound), bits(alone[j].lowerBound));
      EXPECT_EQ(bits(rows[j].upperBound), bits(alone[j].upperBound));
      EXPECT_EQ(rows[j].truncated[0], alone[j].truncated[0]);
      EXPECT_EQ(rows[j].truncated[1], alone[j].truncated[1]);
    }
  }
  // Individuals 3, 14, ... have no data at all.
  EXPECT_TRUE(std::isnan(alone[3].h));
  EXPECT_FALSE(std::isnan(alone[0].h));
}

TEST(ParallelStudy, CountsTheLogCallsOfEveryEvaluation) {
  DataSet d = makeDataSet(5, 30, 9);
  std::uint64_t calls = 0;
  studyAllIndividuals(d, 2, &calls);
  std::uint64_t expected = 0;
  for (int j = 0; j < d.nInd; ++j) {
    IndividualContext context;
    studyAlone(d, j, &context);
    expected += context.logCalls();
  }
  EXPECT_EQ(calls, expected);
  EXPECT_GT(calls, 0u);
}

TEST(ParallelStudy, NoIndividualsNoRows) {
  DataSet d = makeDataSet(0, 10, 1);
  EXPECT_TRUE(studyAllIndividuals(d, 4).empty());
  EXPECT_GE(usableCores(), 1u);
}

}  // namespace
}  // namespace parmix
