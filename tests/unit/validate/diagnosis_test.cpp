#include "validate/diagnosis.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_files.hpp"

namespace parmix {
namespace {

Diagnosis diagnoseTexts(const std::string& parental, const std::string& individual) {
  test::TempDir dir;
  Diagnosis d;
  diagnose(InputPaths{dir.write("p.txt", parental), dir.write("i.txt", individual)}, d);
  return d;
}

const char* kParental =
    "Parental\n# R S\nL1 # C 0.5 0.5 0 0.2 0.8 0\nL2 # D 0.75 0.19\nL3 # C 0.6 0.4 0.6 0.4\n";

TEST(Diagnose, CountsLociIndividualsAndMissingData) {
  const Diagnosis d = diagnoseTexts(
      kParental, "Individual\n# A B C\nL1 # 1/2 x/x 2/NA\nL2 # 1 0 NA\nL3 # 1/1 1/1 2/2\n");
  ASSERT_TRUE(d.firstError.ok()) << d.firstError.message();
  EXPECT_EQ(d.parentalRecords, 4);
  EXPECT_EQ(d.individualRecords, 4);
  ASSERT_EQ(d.loci.size(), 3u);
  EXPECT_EQ(d.loci[0].alleles, 3);
  EXPECT_EQ(d.loci[1].type, 'D');
  EXPECT_TRUE(d.loci[2].excluded);
  // Missing: B (x/x) and C (half missing) at L1, C at L2; L3 is not used.
  EXPECT_EQ(d.loci[0].missing, 2);
  EXPECT_EQ(d.loci[1].missing, 1);
  EXPECT_EQ(d.loci[2].missing, 0);
  const int loci[] = {2, 1, 0};
  for (int j = 0; j < 3; ++j) {
    EXPECT_EQ(d.individuals[j].loci, loci[j]) << j;
    EXPECT_EQ(d.individuals[j].missing, 2 - loci[j]) << j;
  }
  ASSERT_EQ(d.unusualTokens.size(), 1u);
  EXPECT_EQ(d.unusualTokens[0].token, "x");
  EXPECT_EQ(d.unusualTokens[0].count, 2);
  EXPECT_EQ(d.unusualTokens[0].firstIndividual, 1);
}

TEST(Diagnose, ListsEveryRefusedGenotypeWhileTheRunStopsAtTheFirst) {
  const Diagnosis d = diagnoseTexts(
      kParental, "Individual\n# A B C\nL1 # 3/1 1/3 9/1\nL2 # 1 0 1\nL3 # 1/1 1/1 5/2\n");
  EXPECT_FALSE(d.firstError.ok());
  struct Expected {
    int locus, individual;
    const char* token;
    bool outOfRange;
  } expected[] = {{0, 0, "3", false}, {0, 1, "3", false}, {0, 2, "9", true}, {2, 2, "5", true}};
  ASSERT_EQ(d.refused.size(), 4u);
  for (std::size_t k = 0; k < 4; ++k) {
    EXPECT_EQ(d.refused[k].locus, expected[k].locus) << k;
    EXPECT_EQ(d.refused[k].individual, expected[k].individual) << k;
    EXPECT_EQ(d.refused[k].token, expected[k].token) << k;
    EXPECT_EQ(d.refused[k].outOfRange, expected[k].outOfRange) << k;
  }
  EXPECT_EQ(d.loci[0].unknown, 2);
  EXPECT_EQ(d.loci[0].outOfRange, 1);
}

TEST(Diagnose, PlacesWherePairsBreak) {
  struct Case {
    const char* record;
    int individual;
    const char* token;
  } cases[] = {
      {"1/2 NA 2/2", 1, "NA"},   // a lone NA between pairs
      {"1/2 2/2 1", 2, "1"},     // a half written alone
      {"1 2 2 2 1", 2, ""},      // no pairs to go by: where they run out
  };
  for (const Case& c : cases) {
    const Diagnosis d = diagnoseTexts(
        kParental, std::string("Individual\n# A B C\nL1 # 1/1 1/1 1/1\nL2 # 1 0 1\nL3 # ") +
                       c.record + "\n");
    ASSERT_EQ(d.pairingBreaks.size(), 1u) << c.record;
    EXPECT_EQ(d.pairingBreaks[0].locus, 2);
    EXPECT_EQ(d.pairingBreaks[0].designations, 5);
    EXPECT_EQ(d.pairingBreaks[0].individual, c.individual) << c.record;
    EXPECT_EQ(d.pairingBreaks[0].token, c.token) << c.record;
  }
}

TEST(Diagnose, DifferentRecordCountsLeaveTheIndividualsUnread) {
  const Diagnosis d =
      diagnoseTexts(kParental, "Individual\n# A\npop # 1\nL1 # 1/1\nL2 # 1\nL3 # 1/1\n");
  EXPECT_EQ(d.firstError.message(),
            "Input files appear to differ in the number of loci they contain.");
  EXPECT_EQ(d.parentalRecords, 4);
  EXPECT_EQ(d.individualRecords, 5);
  EXPECT_TRUE(d.parentalRead);
  EXPECT_FALSE(d.individualsRead);
}

TEST(Diagnose, KeepsAHundredSpellingsAndCountsEveryOne) {
  // 150 individuals, each missing with a spelling of its own: the list
  // stops at 100, the total does not.
  std::string names, row;
  for (int j = 0; j < 150; ++j) {
    names += " I" + std::to_string(j);
    row += " x" + std::to_string(j) + "/y";
  }
  const Diagnosis d = diagnoseTexts(
      "Parental\n# R S\nL1 # C 0.9 0.1 0.1 0.9\n", "Individual\n#" + names + "\nL1 #" + row + "\n");
  EXPECT_EQ(d.unusualTokens.size(), 100u);
  EXPECT_EQ(d.unusualTotal, 300);
  EXPECT_EQ(d.unusualTokens[1].token, "y");
  EXPECT_EQ(d.unusualTokens[1].count, 150);
}

TEST(Diagnose, WithoutTheFirstErrorTheFilesAreStillDiagnosed) {
  test::TempDir dir;
  Diagnosis d;
  diagnose(InputPaths{dir.write("p.txt", kParental),
                      dir.write("i.txt", "Individual\n# A\nL1 # 3/3\nL2 # 1\nL3 # 1/1\n")},
           d, false);
  EXPECT_TRUE(d.firstError.ok());
  ASSERT_EQ(d.refused.size(), 1u);
  EXPECT_EQ(d.refused[0].token, "3");
}

}  // namespace
}  // namespace parmix
