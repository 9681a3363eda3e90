#include "input/individual_file.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "input/data_set.hpp"
#include "input/text_scan.hpp"
#include "input/status.hpp"
#include "support/line_terminator.hpp"
#include "support/temp_files.hpp"

namespace parmix {
namespace {

using test::TempDir;
using test::withLineEnd;

constexpr int M = kMissing;
// Marks every cell the reader has not written.
constexpr int kUnwritten = 12345;

const std::string kWorkedExample =
    "Individual\n"
    "names # A1 A2 B7\n"
    "L1 # 1/2 1/1 3/3\n"
    "L2 # 1 0 NA\n"
    "L3 # 2,1 NA,NA 1;2\n";


// What the run learns from an individual file, measured and read as the run
// does it, given the locus types and allele count of the parental file.
struct IndividualRead {
  char eol = '\n';
  int nLoci = 0;
  int nInd = 0;
  int nCols = 0;
  int result = -1;
  std::string message;
  unsigned int nameWidth = 10;
  RowTable<int> genotypes;
  std::vector<std::string> names;

  std::vector<int> row(int i) {
    return std::vector<int>(genotypes.rows()[i], genotypes.rows()[i] + nCols);
  }
};

// types: one letter per locus, 'C' or 'D', or 'B' for a locus the checks
// take out; inFile: the types as the parental file gives them (empty: same
// as types, a 'B' read as codominant).
IndividualRead readIndividual(const std::string& path, const std::string& types, int maxAlleles,
                              const std::string& inFile = "") {
  IndividualRead r;
  Status status;
  r.eol = detectLineTerminator(path);
  r.nLoci = findNumberRows(path, r.eol) - 1;
  if (countColumns(path, &r.nInd, &r.nCols, status, r.eol) != 0) {
    r.message = "column scan: " + status.message();
    return r;
  }
  if (r.nLoci != static_cast<int>(types.size())) {
    r.message = "record count " + std::to_string(r.nLoci);
    return r;
  }
  r.genotypes = RowTable<int>(r.nLoci, r.nCols, kUnwritten);
  r.names.assign(static_cast<std::size_t>(r.nInd), "?");
  std::string asRead = inFile.empty() ? types : inFile;
  std::vector<char> used(types.size(), 1);
  for (std::size_t i = 0; i < types.size(); ++i) {
    if (types[i] == 'B') used[i] = 0;
    if (asRead[i] == 'B') asRead[i] = 'C';
  }
  r.result = readIndData(r.genotypes.rows(), r.names.data(), path, r.nLoci, r.nCols, r.nInd,
                         maxAlleles, asRead.data(), used.data(), &r.nameWidth, status, r.eol);
  r.message = status.message();
  return r;
}

IndividualRead readText(const TempDir& dir, const std::string& text, const std::string& types,
                        int maxAlleles, const std::string& inFile = "") {
  const std::string path = dir.write(std::to_string(std::hash<std::string>{}(text)), text);
  return readIndividual(path, types, maxAlleles, inFile);
}

std::string zeroMessage(int line) {
  return "On line " + std::to_string(line) +
         " of the individual file, an allele at a codominant locus is designated with a zero.";
}
std::string rangeMessage(int line, int allele, const std::string& shown) {
  return "On line " + std::to_string(line) +
         " of input data in the individual file, allele number " + std::to_string(allele) +
         " has a designation of " + shown +
         ", which falls outside the range of the number of alleles in the parental file. ";
}
std::string negativeMessage(int line, int individual, const std::string& shown) {
  return "On line " + std::to_string(line) + " of the individual file, individual " +
         std::to_string(individual) + " has the designation " + shown +
         ": alleles are numbered from 1, and missing data are written -9999 or NA.";
}
std::string endMessage(int line, int individual) {
  return "On line " + std::to_string(line) +
         " of the individual file, there are too few designations: they run out at individual " +
         std::to_string(individual) + ".";
}

void expectWorkedExample(IndividualRead& r) {
  ASSERT_EQ(r.result, 0) << r.message;
  EXPECT_EQ(r.message, "");
  ASSERT_EQ(r.nLoci, 3);
  ASSERT_EQ(r.nInd, 3);
  ASSERT_EQ(r.nCols, 6);
  EXPECT_EQ(r.row(0), (std::vector<int>{1, 2, 1, 1, 3, 3}));
  EXPECT_EQ(r.row(1), (std::vector<int>{1, M, 0, M, M, M}));
  EXPECT_EQ(r.row(2), (std::vector<int>{2, 1, M, M, 1, 2}));
  EXPECT_EQ(r.names, (std::vector<std::string>{"A1", "A2", "B7"}));
  EXPECT_EQ(r.nameWidth, 10u);
}

// ------------------------------------------------------------ layout of files

TEST(GetIndData, WorkedExampleStoresTheGivenValues) {
  TempDir dir;
  IndividualRead r = readIndividual(dir.write("i", kWorkedExample), "CDC", 3);
  EXPECT_EQ(r.eol, '\n');
  expectWorkedExample(r);
}

TEST(GetIndData, EachKindOfLineEndReadsTheSame) {
  TempDir dir;
  const struct {
    const char* name;
    const char* lineEnd;
    char eol;
  } kinds[] = {{"lf", "\n", '\n'}, {"cr", "\r", '\r'}, {"crlf", "\r\n", '\n'}};
  for (const auto& kind : kinds) {
    SCOPED_TRACE(kind.name);
    IndividualRead r =
        readIndividual(dir.write(kind.name, withLineEnd(kWorkedExample, kind.lineEnd)), "CDC", 3);
    EXPECT_EQ(r.eol, kind.eol);
    expectWorkedExample(r);
  }
}

TEST(GetIndData, LabelsAndCommentLinesChangeNothing) {
  TempDir dir;
  IndividualRead r = readText(dir,
                              "Individual data, survey of 2008\n"
                              "two lines of notes 1 2 3\n\n"
                              "#   A1\tA2   B7  \n"
                              "\n"
                              "comment without the sign 7/7 0 0\n"
                              "Mdh-1 (3 alleles) #1/2 1/1 3/3\n"
                              "   \n"
                              "AFLP 7#1 0 NA\n"
                              "\n\n"
                              "#2,1   NA,NA\t1;2\n"
                              "\n",
                              "CDC", 3);
  expectWorkedExample(r);
}

TEST(GetIndData, LineNumbersCountLocusRecordsNotTextLines) {
  TempDir dir;
  IndividualRead r = readText(dir,
                              "Individual\n# A B\nnote\n\nL1 # 1/2 1/2\n\nnote\n"
                              "L2 # 1 1\nL3 # 1/1 2/0\n",
                              "CDC", 2);
  EXPECT_EQ(r.result, 1);
  EXPECT_EQ(r.message, zeroMessage(3));
}

TEST(GetIndData, LongRecordAndLongLabelAreReadWhole) {
  TempDir dir;
  // 25,000 individuals, so each codominant record is 100,000 characters; the
  // dominant record has a label of 9,000 characters.
  const int nInd = 25000;
  std::string header = "#";
  std::string pairs = "#";
  std::string singles = "#";
  for (int j = 0; j < nInd; ++j) {
    header += " n" + std::to_string(j);
    pairs += j == nInd - 1 ? "2/3 " : "1/2 ";
    singles += j % 2 ? "1 " : "0 ";
  }
  ASSERT_EQ(pairs.size(), 100001u);
  const std::string label(9000, 'x');
  IndividualRead r = readText(
      dir, "Individual\n" + header + "\n" + pairs + "\n" + label + singles + "\n" + pairs + "\n",
      "CDC", 3);
  ASSERT_EQ(r.result, 0) << r.message;
  ASSERT_EQ(r.nCols, 2 * nInd);
  EXPECT_EQ(r.names[nInd - 1], "n24999");
  const int last = 2 * nInd - 2;
  EXPECT_EQ(r.genotypes.rows()[0][last], 2);
  EXPECT_EQ(r.genotypes.rows()[0][last + 1], 3);
  EXPECT_EQ(r.genotypes.rows()[1][last], 1);
  EXPECT_EQ(r.genotypes.rows()[1][last + 1], M);
  EXPECT_EQ(r.genotypes.rows()[2][last + 1], 3);
}

TEST(GetIndData, NameWidthFollowsTheLongestName) {
  TempDir dir;
  IndividualRead wide =
      readText(dir, "Individual\n# A1 Fourteen_chars B/7,x;y\nL1 # 1/2 1/1 2/2\n", "C", 2);
  ASSERT_EQ(wide.result, 0) << wide.message;
  EXPECT_EQ(wide.nameWidth, 14u);
  EXPECT_EQ(wide.names, (std::vector<std::string>{"A1", "Fourteen_chars", "B/7,x;y"}));

  IndividualRead narrow = readText(dir, "Individual\n# Ten_chars_ B\nL1 # 1/2 1/1\n", "C", 2);
  ASSERT_EQ(narrow.result, 0) << narrow.message;
  EXPECT_EQ(narrow.nameWidth, 10u);

  // The '\r' of a "\r\n" line end is no part of the last name.
  IndividualRead crlf =
      readText(dir, "Individual\r\n# A Twelve_chars\r\nL1 # 1/2 1/1\r\nL2 # 1 1\r\n", "CD", 2);
  ASSERT_EQ(crlf.result, 0) << crlf.message;
  EXPECT_EQ(crlf.names[1], "Twelve_chars");
  EXPECT_EQ(crlf.nameWidth, 12u);
}

TEST(GetIndData, LastRecordWithoutLineEnd) {
  TempDir dir;
  for (const char* lineEnd : {"\n", "\r", "\r\n"}) {
    std::string text = withLineEnd(kWorkedExample, lineEnd);
    text.erase(text.size() - std::string(lineEnd).size());
    IndividualRead r = readText(dir, text, "CDC", 3);
    expectWorkedExample(r);
  }
}

// ---------------------------------------------------------------- designations

TEST(GetIndData, TokensThatAreNotWhollyANumberAreMissing) {
  TempDir dir;
  IndividualRead r =
      readText(dir, "Individual\n# A B C D E F\nL1 # NA ? - 2x nan NaN -9999 1e 1..2 x1 NA1 -\n",
               "C", 3);
  ASSERT_EQ(r.result, 0) << r.message;
  EXPECT_EQ(r.row(0), std::vector<int>(12, M));
}

TEST(GetIndData, NumbersAreTruncatedTowardZero) {
  TempDir dir;
  IndividualRead r = readText(
      dir, "Individual\n# A B C\nL1 # 2.7 1.0 0000000000003 1.000000000000000 2e0 +1\n", "C", 3);
  ASSERT_EQ(r.result, 0) << r.message;
  EXPECT_EQ(r.row(0), (std::vector<int>{2, 1, 3, 1, 2, 1}));
}

TEST(GetIndData, MissingPairIsStoredUnchanged) {
  TempDir dir;
  IndividualRead r = readText(dir, "Individual\n# A B\nL1 # -9999/-9999 1/2\n", "C", 2);
  ASSERT_EQ(r.result, 0) << r.message;
  EXPECT_EQ(r.row(0), (std::vector<int>{M, M, 1, 2}));
}

TEST(GetIndData, ZeroAtACodominantLocus) {
  TempDir dir;
  for (const char* zero : {"0", "00", "0.0", "0.9"}) {
    SCOPED_TRACE(zero);
    IndividualRead r = readText(
        dir, std::string("Individual\n# A B\nL1 # 1/2 1/1\nL2 # 1/1 2/") + zero + "\n", "CC", 2);
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.message, zeroMessage(2));
  }
}

TEST(GetIndData, ZeroIsTheRecessiveClassAtADominantLocus) {
  TempDir dir;
  IndividualRead r = readText(dir, "Individual\n# A B C\nL1 # 0 1 00\n", "D", 1);
  ASSERT_EQ(r.result, 0) << r.message;
  EXPECT_EQ(r.row(0), (std::vector<int>{0, M, 1, M, 0, M}));
}

TEST(GetIndData, DominantRecordWithTwoTokensPerIndividual) {
  TempDir dir;
  // Only the first nInd tokens are taken, one per individual.
  IndividualRead r = readText(dir, "Individual\n# A B\nL1 # 1 1 0 0\n", "D", 1);
  ASSERT_EQ(r.result, 0) << r.message;
  EXPECT_EQ(r.row(0), (std::vector<int>{1, M, 1, M}));
}

TEST(GetIndData, TokensPastThoseTakenAreIgnored) {
  TempDir dir;
  Status status;
  // Faulty tokens after the last one taken are never looked at.
  const std::string path = dir.write("i", "Individual\n# A\nL1 # 1/2 0 99 -5 x\n");
  RowTable<int> genotypes(1, 2, kUnwritten);
  std::vector<std::string> names(1);
  unsigned int width = 10;
  EXPECT_EQ(
      readIndData(genotypes.rows(), names.data(), path, 1, 2, 1, 2, "C", "\1", &width, status, '\n'),
      0)
      << status.message();
  EXPECT_EQ(genotypes.rows()[0][0], 1);
  EXPECT_EQ(genotypes.rows()[0][1], 2);
}

TEST(GetIndData, DesignationAboveMaxAlleles) {
  TempDir dir;
  // Third token of locus record 2.
  IndividualRead cod =
      readText(dir, "Individual\n# A B\nL1 # 1/2 3/4\nL2 # 1/1 5/2\n", "CC", 4);
  EXPECT_EQ(cod.result, 1);
  EXPECT_EQ(cod.message, rangeMessage(2, 3, "5"));

  // The designation is the truncated number.
  IndividualRead fraction = readText(dir, "Individual\n# A B\nL1 # 1/2 5.9/1\n", "C", 4);
  EXPECT_EQ(fraction.result, 1);
  EXPECT_EQ(fraction.message, rangeMessage(1, 3, "5"));

  // At a dominant locus the allele number is the individual's number.
  IndividualRead dom = readText(dir, "Individual\n# A B C\nL1 # 1/2 1/1 2/2\nL2 # 1 0 4\n",
                                "CD", 3);
  EXPECT_EQ(dom.result, 1);
  EXPECT_EQ(dom.message, rangeMessage(2, 3, "4"));

  IndividualRead domOk = readText(dir, "Individual\n# A B C\nL1 # 1 3 0\n", "D", 3);
  EXPECT_EQ(domOk.result, 0) << domOk.message;
}

TEST(GetIndData, NegativeDesignationAtACodominantLocus) {
  TempDir dir;
  IndividualRead r = readText(dir, "Individual\n# A B C\nL1 # 1/2 1/1 1/2\nL2 # 1/2 2/1 1/-1\n",
                              "CC", 2);
  EXPECT_EQ(r.result, 1);
  EXPECT_EQ(r.message, negativeMessage(2, 3, "-1"));

  // The token is shown as it is written.
  IndividualRead written = readText(dir, "Individual\n# A B\nL1 # 1/2 -02.5/1\n", "C", 2);
  EXPECT_EQ(written.result, 1);
  EXPECT_EQ(written.message, negativeMessage(1, 2, "-02.5"));

  // Other negative numbers than the missing-data code pass at a dominant
  // locus, where only 0 and 1 carry information.
  IndividualRead dom = readText(dir, "Individual\n# A B\nL1 # -1 1\n", "D", 1);
  EXPECT_EQ(dom.result, 0) << dom.message;
}

TEST(GetIndData, FirstFaultyTokenWins) {
  TempDir dir;
  IndividualRead range = readText(dir, "Individual\n# A B\nL1 # 1/7 0/-3\n", "C", 2);
  EXPECT_EQ(range.message, rangeMessage(1, 2, "7"));

  IndividualRead zero = readText(dir, "Individual\n# A B\nL1 # 0/7 -3/1\n", "C", 2);
  EXPECT_EQ(zero.message, zeroMessage(1));

  IndividualRead negative = readText(dir, "Individual\n# A B\nL1 # -3/7 0/1\n", "C", 2);
  EXPECT_EQ(negative.message, negativeMessage(1, 1, "-3"));

  IndividualRead earlierRecord =
      readText(dir, "Individual\n# A B\nL1 # 1/1 1/9\nL2 # 0/0 1/1\n", "CC", 2);
  EXPECT_EQ(earlierRecord.message, rangeMessage(1, 4, "9"));
}

TEST(GetIndData, NumbersBeyondTheIntRange) {
  TempDir dir;
  for (const char* big : {"1e12", "99999999999", "inf", "2147483648"}) {
    SCOPED_TRACE(big);
    IndividualRead cod =
        readText(dir, std::string("Individual\n# A B\nL1 # 1/2 1/") + big + "\n", "C", 3);
    EXPECT_EQ(cod.result, 1);
    EXPECT_EQ(cod.message, rangeMessage(1, 4, big));

    IndividualRead dom = readText(dir, std::string("Individual\n# A B\nL1 # 1 ") + big + "\n",
                                  "D", 3);
    EXPECT_EQ(dom.result, 1);
    EXPECT_EQ(dom.message, rangeMessage(1, 2, big));
  }
  // The largest int is in range, and merely above maxAlleles.
  IndividualRead intMax = readText(dir, "Individual\n# A\nL1 # 1/2147483647\n", "C", 3);
  EXPECT_EQ(intMax.message, rangeMessage(1, 2, "2147483647"));
}

TEST(GetIndData, NegativeNumbersBeyondTheIntRangeAtEveryLocusType) {
  TempDir dir;
  for (const char* big : {"-1e12", "-99999999999", "-inf"}) {
    SCOPED_TRACE(big);
    IndividualRead cod =
        readText(dir, std::string("Individual\n# A B\nL1 # 1/2 ") + big + "/1\n", "C", 3);
    EXPECT_EQ(cod.result, 1);
    EXPECT_EQ(cod.message, negativeMessage(1, 2, big));

    IndividualRead dom =
        readText(dir, std::string("Individual\n# A B\nL1 # 1 ") + big + "\n", "D", 3);
    EXPECT_EQ(dom.result, 1);
    EXPECT_EQ(dom.message, negativeMessage(1, 2, big));

    IndividualRead excluded = readText(
        dir, std::string("Individual\n# A B\nL1 # 1/2 ") + big + "/1\n", "B", 3, "C");
    EXPECT_EQ(excluded.result, 1);
    EXPECT_EQ(excluded.message, negativeMessage(1, 2, big));
  }
}

// ------------------------------------------------------------ excluded loci

TEST(GetIndData, ExcludedDominantLocusKeepsTheDominantLayout) {
  TempDir dir;
  IndividualRead r = readText(dir, "Individual\n# A B C\nL1 # 1/2 1/1 2/2\nL2 # 1 0 NA\n", "CB",
                              2, "CD");
  ASSERT_EQ(r.result, 0) << r.message;
  EXPECT_EQ(r.row(1), (std::vector<int>{1, M, 0, M, M, M}));
}

TEST(GetIndData, ExcludedCodominantLocusHasNoZeroTest) {
  TempDir dir;
  IndividualRead r =
      readText(dir, "Individual\n# A B\nL1 # 0/0 1/2\nL2 # 0 1\n", "BD", 2, "CD");
  ASSERT_EQ(r.result, 0) << r.message;
  EXPECT_EQ(r.row(0), (std::vector<int>{0, 0, 1, 2}));
  EXPECT_EQ(r.row(1), (std::vector<int>{0, M, 1, M}));
}

TEST(GetIndData, RangeTestAtAnExcludedLocusNamesTheIndividual) {
  TempDir dir;
  IndividualRead cod = readText(dir, "Individual\n# A B C\nL1 # 1/1 1/1 1/4\n", "B", 3, "C");
  EXPECT_EQ(cod.result, 1);
  EXPECT_EQ(cod.message, rangeMessage(1, 3, "4"));

  IndividualRead dom = readText(dir, "Individual\n# A B C\nL1 # 1 4 1\n", "B", 3, "D");
  EXPECT_EQ(dom.result, 1);
  EXPECT_EQ(dom.message, rangeMessage(1, 2, "4"));
}

// ------------------------------------------------------- records too short

TEST(GetIndData, CodominantRecordWithOneTokenPerIndividual) {
  TempDir dir;
  IndividualRead r =
      readText(dir, "Individual\n# A B C\nL1 # 1/2 1/1 2/2\nL2 # 1 2 1\n", "CC", 2);
  EXPECT_EQ(r.result, 1);
  EXPECT_EQ(r.message, endMessage(2, 2));
}

TEST(GetIndData, EmptyLocusRecordRunsOutAtOnce) {
  TempDir dir;
  IndividualRead cod = readText(dir, "Individual\n# A B\nL1 #\nL2 # 1/2 2/2\n", "CC", 2);
  EXPECT_EQ(cod.result, 1);
  EXPECT_EQ(cod.message, endMessage(1, 1));

  IndividualRead dom = readText(dir, "Individual\n# A B\nL1 # 1/2 2/2\nL2 #  \n", "CD", 2);
  EXPECT_EQ(dom.result, 1);
  EXPECT_EQ(dom.message, endMessage(2, 1));
}

TEST(GetIndData, DominantRecordShortOfOneIndividual) {
  TempDir dir;
  Status status;
  const std::string path = dir.write("i", "Individual\n# A B C\nL1 # 1 0\n");
  RowTable<int> genotypes(1, 6, kUnwritten);
  std::vector<std::string> names(3);
  unsigned int width = 10;
  EXPECT_EQ(
      readIndData(genotypes.rows(), names.data(), path, 1, 6, 3, 1, "D", "\1", &width, status, '\n'),
      1);
  EXPECT_EQ(status.message(), endMessage(1, 3));
}

TEST(GetIndData, ExcludedLocusReadWithTheWrongLayoutRunsOut) {
  TempDir dir;
  // An excluded locus is laid out by the type it is given: read as
  // codominant, two tokens per individual, a dominant record ends too soon,
  // and says so.
  Status status;
  const std::string path = dir.write("i", "Individual\n# A B\nL1 # 1 0\n");
  RowTable<int> genotypes(1, 4, kUnwritten);
  std::vector<std::string> names(2);
  unsigned int width = 10;
  EXPECT_EQ(readIndData(genotypes.rows(), names.data(), path, 1, 4, 2, 1, "C", "\0", &width, status,
                        '\n'),
            1);
  EXPECT_EQ(status.message(), endMessage(1, 2));
}

TEST(GetIndData, FileWithFewerRecordsThanLoci) {
  TempDir dir;
  Status status;
  const std::string path = dir.write("i", "Individual\n# A\nL1 # 1/2\n");
  RowTable<int> genotypes(2, 2, kUnwritten);
  std::vector<std::string> names(1);
  unsigned int width = 10;
  EXPECT_EQ(readIndData(genotypes.rows(), names.data(), path, 2, 2, 1, 2, "CC", "\1\1", &width,
                        status, '\n'),
            1);
  EXPECT_EQ(status.message(), endMessage(2, 1));
}

TEST(GetIndData, NoColumnsReadsNothing) {
  TempDir dir;
  IndividualRead r = readText(dir, "Individual\n# A B\nL1 #\nL2 # \n", "CD", 2);
  EXPECT_EQ(r.result, 0) << r.message;
  EXPECT_EQ(r.nCols, 0);
  EXPECT_EQ(r.names, (std::vector<std::string>{"A", "B"}));
}

TEST(GetIndData, UnreadableFile) {
  TempDir dir;
  Status status;
  RowTable<int> genotypes(1, 2, kUnwritten);
  std::vector<std::string> names(1);
  unsigned int width = 10;
  EXPECT_EQ(readIndData(genotypes.rows(), names.data(), dir.path(), 1, 2, 1, 2, "C", "\1", &width,
                        status, '\n'),
            1);
  EXPECT_EQ(status.message(), "File " + dir.path() + " could not be read");
}

}  // namespace
}  // namespace parmix
