#include "validate/parental_checks.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "input/data_set.hpp"
#include "input/status.hpp"

namespace parmix {
namespace {

using Row = std::vector<double>;

// Parental tables as the reader leaves them: one row per locus, padded with
// 0.0 to the longest row.
struct Parents {
  Parents(std::string types, const std::vector<Row>& r, const std::vector<Row>& s)
      : type(std::move(types)) {
    const int nLoci = static_cast<int>(type.size());
    for (const Row& row : r) maxAlleles = std::max(maxAlleles, static_cast<int>(row.size()));
    for (const Row& row : s) maxAlleles = std::max(maxAlleles, static_cast<int>(row.size()));
    freqR = RowTable<double>(nLoci, maxAlleles, 0.0);
    freqS = RowTable<double>(nLoci, maxAlleles, 0.0);
    for (int i = 0; i < nLoci; ++i) {
      std::copy(r[i].begin(), r[i].end(), freqR.rows()[i]);
      std::copy(s[i].begin(), s[i].end(), freqS.rows()[i]);
    }
  }

  // Runs the check and keeps its outcome as the types marked 'B' where the
  // flag was cleared; the types themselves must come back as they went in.
  int verify() {
    const std::string asRead = type;
    std::vector<char> used(type.size(), 1);
    const int result = checkParentalData(freqS.rows(), freqR.rows(), type.data(), used.data(),
                                         static_cast<int>(type.size()), maxAlleles, status, report);
    EXPECT_EQ(type, asRead) << "the check rewrote the types";
    marked = effectiveLocusTypes(std::vector<char>(type.begin(), type.end()), used);
    return result;
  }
  std::string marks() const { return std::string(marked.begin(), marked.end()); }

  std::string type;
  std::vector<char> marked;
  int maxAlleles = 0;
  RowTable<double> freqR;
  RowTable<double> freqS;
  Status status;
  std::ostringstream report;
};

std::string exclusionStart(int row) {
  return "\nThe locus in row " + std::to_string(row) +
         " (of the parental file) was not used in the calculation\n"
         "of the hybrid index, because its parental allele frequencies do not\n"
         "differ by more than 1e-06.";
}
// A codominant note is followed by an empty line, a dominant one is not.
std::string codominantNote(int row) { return exclusionStart(row) + "\n\n"; }
std::string dominantNote(int row) { return exclusionStart(row) + "\n"; }
std::string summaryNote(int weak, int nLoci) {
  return "\nThe hybrid index for these data includes " + std::to_string(weak) + "/" +
         std::to_string(nLoci) +
         " loci for which parental\nallele frequencies do not differ by 0.05 or more.\n\n";
}
std::string sumMessage(int row) {
  return "For one of the parental species, the allele frequences in row " + std::to_string(row) +
         " (of the parental file) sum to greater than 1.";
}

double sumInOrder(const Row& row) {
  double sum = 0.0;
  for (double v : row) sum += v;
  return sum;
}

// ------------------------------------------------------------------ exclusion

TEST(VerifyParentalData, IdenticalCodominantLocusIsExcluded) {
  Parents p("CCD", {{0.9, 0.1}, {0.3, 0.3, 0.4}, {0.5}}, {{0.1, 0.9}, {0.3, 0.3, 0.4}, {0.1}});
  EXPECT_EQ(p.verify(), 0);
  EXPECT_EQ(p.marks(), "CBD");
  EXPECT_EQ(p.report.str(), codominantNote(2));
  EXPECT_EQ(p.status.message(), "");
}

TEST(VerifyParentalData, IdenticalDominantLocusIsExcluded) {
  Parents p("DC", {{0.3}, {1.0, 0.0}}, {{0.3}, {0.0, 1.0}});
  EXPECT_EQ(p.verify(), 0);
  EXPECT_EQ(p.marks(), "BC");
  EXPECT_EQ(p.report.str(), dominantNote(1));
}

TEST(VerifyParentalData, NotesFollowTheLocusOrder) {
  Parents p("CDCD", {{1.0, 0.0}, {0.2}, {0.4, 0.6}, {0.7}}, {{0.0, 1.0}, {0.2}, {0.4, 0.6}, {0.7}});
  EXPECT_EQ(p.verify(), 0);
  EXPECT_EQ(p.marks(), "CBBB");
  EXPECT_EQ(p.report.str(), dominantNote(2) + codominantNote(3) + dominantNote(4));
}

TEST(VerifyParentalData, DifferenceJustUnderTheThresholdIsExcluded) {
  // 0.5000004 vs 0.5 and 0.4999996 vs 0.5: the differences add to 8e-07.
  Parents p("CC", {{0.5000004, 0.4999996}, {1, 0}}, {{0.5, 0.5}, {0, 1}});
  EXPECT_EQ(p.verify(), 0);
  EXPECT_EQ(p.marks(), "BC");
  EXPECT_EQ(p.report.str(), codominantNote(1));
}

TEST(VerifyParentalData, EveryLocusExcludedGivesNoSummary) {
  Parents p("CDC", {{0.5, 0.5}, {0.2}, {1.0}}, {{0.5, 0.5}, {0.2}, {1.0}});
  EXPECT_EQ(p.verify(), 0);
  EXPECT_EQ(p.marks(), "BBB");
  EXPECT_EQ(p.report.str(), codominantNote(1) + dominantNote(2) + codominantNote(3));
}

// ------------------------------------------------------------------ sum test

TEST(VerifyParentalData, SumAboveOneFailsNamingTheRow) {
  Parents p("CDC", {{0.5, 0.5}, {0.3}, {0.2, 0.8}}, {{0.2, 0.8}, {0.6}, {0.6, 0.41}});
  EXPECT_EQ(p.verify(), 1);
  EXPECT_EQ(p.status.message(), sumMessage(3));
  EXPECT_EQ(p.report.str(), "");
}

TEST(VerifyParentalData, SumTestComesBeforeExclusion) {
  Parents p("C", {{0.6, 0.41}}, {{0.6, 0.41}});
  EXPECT_EQ(p.verify(), 1);
  EXPECT_EQ(p.status.message(), sumMessage(1));
  EXPECT_EQ(p.marks(), "C");
  EXPECT_EQ(p.report.str(), "");
}

TEST(VerifyParentalData, SumToleranceIsStrict) {
  // These doubles add up to exactly the tolerance: accepted.
  const Row atTolerance = {0.25, 0.75, 0.000001};
  ASSERT_EQ(sumInOrder(atTolerance), 1.000001);
  Parents at("C", {atTolerance}, {{0.5, 0.5, 0.0}});
  EXPECT_EQ(at.verify(), 0) << at.status.message();

  // 0.5 + 0.500001 comes out one step above the tolerance: refused.
  const Row above = {0.5, 0.500001};
  ASSERT_GT(sumInOrder(above), 1.000001);
  Parents over("CC", {{0.5, 0.5}, {0.1, 0.9}}, {{0.4, 0.6}, above});
  EXPECT_EQ(over.verify(), 1);
  EXPECT_EQ(over.status.message(), sumMessage(2));
}

TEST(VerifyParentalData, RoundingErrorAboveOneIsAccepted) {
  const Row rounded = {0.05, 0.55, 0.3, 0.1};
  ASSERT_GT(sumInOrder(rounded), 1.0);
  Parents p("C", {rounded}, {{0.25, 0.25, 0.25, 0.25}});
  EXPECT_EQ(p.verify(), 0) << p.status.message();
  EXPECT_EQ(p.marks(), "C");
}

TEST(VerifyParentalData, DominantLociHaveNoSumTest) {
  Parents p("DD", {{1.0}, {0.9}}, {{0.9}, {1.0}});
  EXPECT_EQ(p.verify(), 0) << p.status.message();
  EXPECT_EQ(p.report.str(), "");
}

TEST(VerifyParentalData, SumErrorAfterExclusionsKeepsTheirNotes) {
  // Weak loci before the error must not give a summary either.
  Parents p("CDCCCC", {{0.5, 0.5}, {0.4}, {0.1, 0.9}, {0.5, 0.5}, {0.7, 0.4}, {1.0, 0.0}},
            {{0.49, 0.51}, {0.4}, {0.1, 0.9}, {0.48, 0.52}, {0.2, 0.8}, {0.0, 1.0}});
  EXPECT_EQ(p.verify(), 1);
  EXPECT_EQ(p.status.message(), sumMessage(5));
  EXPECT_EQ(p.report.str(), dominantNote(2) + codominantNote(3));
  EXPECT_EQ(p.marks(), "CBBCCC");
}

// ------------------------------------------------------------ weak difference

TEST(VerifyParentalData, WeakLocusIsCountedAndKept) {
  Parents p("CCD", {{0.5, 0.5}, {0.9, 0.1}, {0.8}}, {{0.49, 0.51}, {0.1, 0.9}, {0.2}});
  EXPECT_EQ(p.verify(), 0);
  EXPECT_EQ(p.marks(), "CCD");
  EXPECT_EQ(p.report.str(), summaryNote(1, 3));
}

TEST(VerifyParentalData, ExcludedLociAreInTheDenominatorOnly) {
  Parents p("CDCDC", {{0.5, 0.5}, {0.3}, {0.2, 0.8}, {0.6}, {0.9, 0.1}},
            {{0.5, 0.5}, {0.33}, {0.21, 0.79}, {0.6}, {0.1, 0.9}});
  EXPECT_EQ(p.verify(), 0);
  EXPECT_EQ(p.marks(), "BDCBC");
  EXPECT_EQ(p.report.str(), codominantNote(1) + dominantNote(4) + summaryNote(2, 5));
}

TEST(VerifyParentalData, DifferenceOfExactlyTheWeakThresholdIsNotCounted) {
  const double codominantDiff = std::fabs(0.05 - 0.0) + std::fabs(0.45 - 0.45);
  ASSERT_EQ(codominantDiff, 0.05);
  Parents p("CD", {{0.05, 0.45}, {0.05}}, {{0.0, 0.45}, {0.0}});
  EXPECT_EQ(p.verify(), 0);
  EXPECT_EQ(p.marks(), "CD");
  EXPECT_EQ(p.report.str(), "");
}

TEST(VerifyParentalData, DifferenceOfExactlyTheIdentityThresholdIsWeakNotExcluded) {
  Parents p("DC", {{1e-06}, {1e-06, 0.5}}, {{0.0}, {0.0, 0.5}});
  EXPECT_EQ(p.verify(), 0);
  EXPECT_EQ(p.marks(), "DC");
  EXPECT_EQ(p.report.str(), summaryNote(2, 2));
}

TEST(VerifyParentalData, ClearlyDifferentLociWriteNothing) {
  Parents p("CDC", {{0.9, 0.1}, {0.7}, {0.2, 0.3, 0.5}}, {{0.1, 0.9}, {0.1}, {0.5, 0.3, 0.2}});
  EXPECT_EQ(p.verify(), 0);
  EXPECT_EQ(p.marks(), "CDC");
  EXPECT_EQ(p.report.str(), "");
}

TEST(VerifyParentalData, NoLoci) {
  Parents p("", {}, {});
  EXPECT_EQ(p.verify(), 0);
  EXPECT_EQ(p.report.str(), "");
}

// ------------------------------------------------------------- internal guard

TEST(VerifyParentalData, UnknownTypeIsAnInternalError) {
  Parents p("CXC", {{1.0, 0.0}, {0.5}, {0.6, 0.41}}, {{0.0, 1.0}, {0.5}, {0.6, 0.41}});
  EXPECT_EQ(p.verify(), 1);
  EXPECT_EQ(p.status.message(), "Internal error in verifyParentalData(). Locus: 1");
  EXPECT_EQ(p.report.str(), "");
}

TEST(VerifyParentalData, ExcludedMarkOnEntryIsAnInternalError) {
  // The checks run once; a 'B' before them means a second run over the data.
  Parents p("DB", {{0.5}, {0.5}}, {{0.5}, {0.4}});
  EXPECT_EQ(p.verify(), 1);
  EXPECT_EQ(p.status.message(), "Internal error in verifyParentalData(). Locus: 1");
  EXPECT_EQ(p.report.str(), dominantNote(1));
}

}  // namespace
}  // namespace parmix
