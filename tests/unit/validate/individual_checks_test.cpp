#include "validate/individual_checks.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "input/data_set.hpp"
#include "input/status.hpp"

namespace parmix {
namespace {

constexpr int M = kMissing;

// A read data set: parental rows (padded with 0.0 to maxAlleles) and the
// genotype matrix, one row per locus.
struct Data {
  Data(std::string types, int maxAlleles, const std::vector<std::vector<double>>& r,
       const std::vector<std::vector<double>>& s, const std::vector<std::vector<int>>& g)
      : type(std::move(types)),
        nLoci(static_cast<int>(type.size())),
        nCols(g.empty() ? 0 : static_cast<int>(g[0].size())),
        freqR(nLoci, maxAlleles, 0.0),
        freqS(nLoci, maxAlleles, 0.0),
        genotypes(nLoci, nCols, 0) {
    for (int i = 0; i < nLoci; ++i) {
      std::copy(r[i].begin(), r[i].end(), freqR.rows()[i]);
      std::copy(s[i].begin(), s[i].end(), freqS.rows()[i]);
      std::copy(g[i].begin(), g[i].end(), genotypes.rows()[i]);
    }
  }

  // 'B' in the case's types stands for a locus the flag takes out; the check
  // gets it as a codominant locus, so only the flag can keep it unexamined.
  int verify() {
    std::string asRead = type;
    std::vector<char> used(type.size(), 1);
    for (std::size_t i = 0; i < type.size(); ++i) {
      if (type[i] != 'B') continue;
      used[i] = 0;
      asRead[i] = 'C';
    }
    return checkIndData(genotypes.rows(), freqR.rows(), freqS.rows(), asRead.data(), used.data(),
                        nLoci, nCols, status);
  }

  std::string type;
  int nLoci;
  int nCols;
  RowTable<double> freqR;
  RowTable<double> freqS;
  RowTable<int> genotypes;
  Status status;
};

std::string alleleMessage(int allele, int individual, int locus) {
  return "The allele " + std::to_string(allele) + " for individual number " +
         std::to_string(individual) + " at locus number " + std::to_string(locus) +
         " refers to an allele that does not exist in the parental populations.";
}
std::string genotypeMessage(int value, int individual, int locus) {
  return "The genotype " + std::to_string(value) + " for individual number " +
         std::to_string(individual) + " at locus number " + std::to_string(locus) +
         " refers to an allele that does not exist in the parental populations.";
}

// ------------------------------------------------------------- checkIndData

TEST(VerifyIndData, AlleleThatNeitherParentHas) {
  // Locus 2 has two alleles in a table of three slots.
  Data d("CC", 3, {{0.2, 0.3, 0.5}, {0.5, 0.5}}, {{0.4, 0.4, 0.2}, {0.9, 0.1}},
         {{1, 3, 2, 2, 3, 3}, {1, 2, 2, M, 1, 3}});
  EXPECT_EQ(d.verify(), 1);
  EXPECT_EQ(d.status.message(), alleleMessage(3, 3, 2));
}

TEST(VerifyIndData, AlleleInOneParentOnlyPasses) {
  Data d("CC", 2, {{0.0, 1.0}, {0.2, 0.8}}, {{0.2, 0.8}, {0.0, 1.0}},
         {{1, 1, 2, 1}, {1, 2, 1, 1}});
  EXPECT_EQ(d.verify(), 0) << d.status.message();
  EXPECT_EQ(d.status.message(), "");
}

TEST(VerifyIndData, AlleleListedWithZeroInBothFails) {
  Data d("C", 3, {{0.5, 0.0, 0.5}}, {{0.1, 0.0, 0.9}}, {{1, 3, 3, 2}});
  EXPECT_EQ(d.verify(), 1);
  EXPECT_EQ(d.status.message(), alleleMessage(2, 2, 1));
}

TEST(VerifyIndData, MissingDataNeverFail) {
  // Allele 1 exists nowhere and the dominant class neither: only missing
  // designations, so nothing to reject.
  Data d("CD", 2, {{0.0, 1.0}, {0.0}}, {{0.0, 1.0}, {0.0}}, {{M, M, M, 2}, {M, M, M, M}});
  EXPECT_EQ(d.verify(), 0) << d.status.message();
}

TEST(VerifyIndData, ExcludedLociAreNotExamined) {
  // Designations at the excluded loci could not even index the table.
  Data d("BCB", 2, {{0.0, 0.0}, {0.5, 0.5}, {0.0}}, {{0.0, 0.0}, {0.5, 0.5}, {0.0}},
         {{7, 0, -3, 2}, {1, 2, 2, 1}, {1, M, 0, M}});
  EXPECT_EQ(d.verify(), 0) << d.status.message();
}

TEST(VerifyIndData, FirstFaultInLocusOrderWins) {
  // Locus 2 individual 5 and locus 3 individual 1: locus 2 is reported.
  Data d("CCC", 2, {{0.5, 0.5}, {1.0, 0.0}, {1.0, 0.0}}, {{0.5, 0.5}, {1.0, 0.0}, {1.0, 0.0}},
         {{1, 2, 1, 2, 1, 2, 1, 2, 1, 2},
          {1, 1, 1, 1, 1, 1, 1, 1, 1, 2},
          {2, 1, 1, 1, 1, 1, 1, 1, 1, 1}});
  EXPECT_EQ(d.verify(), 1);
  EXPECT_EQ(d.status.message(), alleleMessage(2, 5, 2));
}

TEST(VerifyIndData, FirstFaultWithinARowWins) {
  Data d("C", 3, {{0.5, 0.5, 0.0}}, {{0.5, 0.5, 0.0}}, {{1, 2, 1, 3, 3, 1}});
  EXPECT_EQ(d.verify(), 1);
  EXPECT_EQ(d.status.message(), alleleMessage(3, 2, 1));
}

TEST(VerifyIndData, DominantClassThatNeitherParentHas) {
  // Individual 1 missing, individual 2 carries the recessive class 0: any
  // non-missing code fails where the dominant allele is absent.
  Data d("CD", 2, {{0.5, 0.5}, {0.0}}, {{0.4, 0.6}, {0.0}}, {{1, 2, 2, 2, 1, 1}, {M, M, 0, M, 1, M}});
  EXPECT_EQ(d.verify(), 1);
  EXPECT_EQ(d.status.message(), genotypeMessage(0, 2, 2));
}

TEST(VerifyIndData, DominantClassInEitherParentPassesEveryCode) {
  Data r("D", 1, {{0.3}}, {{0.0}}, {{1, M, 0, M, M, M, 5, M}});
  EXPECT_EQ(r.verify(), 0) << r.status.message();
  Data s("D", 1, {{0.0}}, {{0.3}}, {{0, M, 1, M}});
  EXPECT_EQ(s.verify(), 0) << s.status.message();
}

TEST(VerifyIndData, DesignationsThatCannotIndexTheTablesAreRefused) {
  // The reader lets no such value through; if one arrives it is reported,
  // never used as an index.
  Data negative("C", 2, {{0.5, 0.5}}, {{0.5, 0.5}}, {{1, 2, 1, -1}});
  EXPECT_EQ(negative.verify(), 1);
  EXPECT_EQ(negative.status.message(), alleleMessage(-1, 2, 1));

  Data zero("C", 2, {{0.5, 0.5}}, {{0.5, 0.5}}, {{0, 2}});
  EXPECT_EQ(zero.verify(), 1);
  EXPECT_EQ(zero.status.message(), alleleMessage(0, 1, 1));
}

TEST(VerifyIndData, UnknownTypeIsAnInternalErrorNotAnExit) {
  Data d("CXC", 2, {{0.5, 0.5}, {0.5}, {1.0, 0.0}}, {{0.5, 0.5}, {0.5}, {1.0, 0.0}},
         {{1, 2}, {1, M}, {2, 2}});
  EXPECT_EQ(d.verify(), 1);
  EXPECT_EQ(d.status.message(), "Internal error in verifyIndData(). X");

  // A fault at an earlier locus is found first.
  Data earlier("CX", 2, {{1.0, 0.0}, {0.5}}, {{1.0, 0.0}, {0.5}}, {{1, 2}, {1, M}});
  EXPECT_EQ(earlier.verify(), 1);
  EXPECT_EQ(earlier.status.message(), alleleMessage(2, 1, 1));
}

TEST(VerifyIndData, NoLociOrNoColumns) {
  Data none("", 2, {}, {}, {});
  EXPECT_EQ(none.verify(), 0);
  Data empty("CD", 2, {{0.0, 0.0}, {0.0}}, {{0.0, 0.0}, {0.0}}, {{}, {}});
  EXPECT_EQ(empty.verify(), 0);
}

// ---------------------------------------------------------------- genotypeNA

TEST(GenotypeNA, AllMissingMeansNoData) {
  RowTable<int> g(3, 2, M);
  EXPECT_EQ(genotypeNA(g.rows(), 3, 6), 1);
}

TEST(GenotypeNA, OneDesignationAnywhereIsData) {
  for (int locus = 0; locus < 3; ++locus)
    for (int column = 0; column < 2; ++column) {
      SCOPED_TRACE(locus * 2 + column);
      RowTable<int> g(3, 2, M);
      g.rows()[locus][column] = 0;
      EXPECT_EQ(genotypeNA(g.rows(), 3, 6), 0);
    }
}

TEST(GenotypeNA, NoLociMeansNoData) {
  RowTable<int> g(0, 2, M);
  EXPECT_EQ(genotypeNA(g.rows(), 0, 0), 1);
}

}  // namespace
}  // namespace parmix
