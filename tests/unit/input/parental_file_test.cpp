#include "input/parental_file.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
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

const std::string kWorkedExample =
    "Parental\n"
    "# locus type, R frequencies, S frequencies\n"
    "L1 # C 0.5 0.3 0.2 0.1 0.1 0.8\n"
    "L2 # D 0.75 0.19\n"
    "L3 # c 0.9 0.1 0.2 0.8\n";


// A parental file with the given locus records under a header record.
std::string parentalFile(const std::vector<std::string>& records) {
  std::string text = "Parental\n# header\n";
  int n = 0;
  for (const std::string& record : records) text += "L" + std::to_string(++n) + " #" + record + "\n";
  return text;
}

// Everything a run learns from the parental file, read as the run reads it:
// terminator, record count, allele scan, then the tables.
struct ParentalRead {
  char eol = '\n';
  int nLoci = 0;
  int maxAlleles = 0;
  int scanResult = 0;
  int readResult = -1;
  std::string message;
  RowTable<double> freqR;
  RowTable<double> freqS;
  std::vector<char> type;

  double R(int i, int a) { return freqR.rows()[i][a]; }
  double S(int i, int a) { return freqS.rows()[i][a]; }
  std::string types() const { return std::string(type.begin(), type.end()); }
};

ParentalRead readParental(const std::string& path) {
  ParentalRead p;
  Status status;
  p.eol = detectLineTerminator(path);
  p.nLoci = findNumberRows(path, p.eol) - 1;
  p.scanResult = scanMaxAlleles(path, p.nLoci, &p.maxAlleles, status, p.eol);
  p.message = status.message();
  if (p.scanResult != 0 || p.nLoci < 0) return p;
  // NaN marks every slot the reader leaves alone.
  const double unset = std::numeric_limits<double>::quiet_NaN();
  p.freqR = RowTable<double>(p.nLoci, p.maxAlleles, unset);
  p.freqS = RowTable<double>(p.nLoci, p.maxAlleles, unset);
  p.type.assign(static_cast<std::size_t>(p.nLoci), '?');
  p.readResult = readParentalData(p.freqS.rows(), p.freqR.rows(), p.type.data(), p.nLoci,
                                  p.maxAlleles, path, status, p.eol);
  p.message = status.message();
  return p;
}

std::string longUnevenMessage(int line) {
  return "On line " + std::to_string(line) +
         " of the parental file, there is an uneven number of genotype frequencies, meaning that "
         "the frequency of one of the alleles is missing for one of the populations.";
}
std::string typeMessage(int line) {
  return "On line " + std::to_string(line) +
         " of the parental file, the locus type designation is not C or D.";
}
std::string unevenMessage(int line) {
  return "On line " + std::to_string(line) +
         " of the parental file, there is an uneven number of genotype frequencies.";
}
std::string countMessage(int line) {
  return "On line " + std::to_string(line) +
         " of the parental file, there is a problem with the number of genotypes.";
}
std::string genotypeAboveOneMessage(int row) {
  return "One of the genotype frequences in row " + std::to_string(row) +
         " (of the parental file) is greater than 1.";
}
std::string alleleAboveOneMessage(int row) {
  return "One of the allele frequences in row " + std::to_string(row) +
         " (of the parental file) is greater than 1.";
}
std::string genotypeNegativeMessage(int row) {
  return "One of the genotype frequences in row " + std::to_string(row) +
         " (of the parental file) is negative.";
}
std::string alleleNegativeMessage(int row) {
  return "One of the allele frequences in row " + std::to_string(row) +
         " (of the parental file) is negative.";
}

// Writes a file of the given locus records into dir and reads it.
ParentalRead readRecords(const TempDir& dir, const std::vector<std::string>& records) {
  const std::string text = parentalFile(records);
  const std::string path = dir.write(std::to_string(std::hash<std::string>{}(text)), text);
  return readParental(path);
}

void expectWorkedExample(ParentalRead& p) {
  ASSERT_EQ(p.scanResult, 0) << p.message;
  ASSERT_EQ(p.readResult, 0) << p.message;
  EXPECT_EQ(p.message, "");
  ASSERT_EQ(p.nLoci, 3);
  ASSERT_EQ(p.maxAlleles, 3);
  EXPECT_EQ(p.types(), "CDC");
  EXPECT_EQ(p.R(0, 0), 0.5);
  EXPECT_EQ(p.R(0, 1), 0.3);
  EXPECT_EQ(p.R(0, 2), 0.2);
  EXPECT_EQ(p.S(0, 0), 0.1);
  EXPECT_EQ(p.S(0, 1), 0.1);
  EXPECT_EQ(p.S(0, 2), 0.8);
  // Dominant: 1 - sqrt(1 - 0.75) = 0.5 and 1 - sqrt(1 - 0.19) = 0.1.
  EXPECT_EQ(p.R(1, 0), 0.5);
  EXPECT_NEAR(p.S(1, 0), 0.1, 1e-15);
  EXPECT_EQ(p.R(2, 0), 0.9);
  EXPECT_EQ(p.R(2, 1), 0.1);
  EXPECT_EQ(p.R(2, 2), 0.0);
  EXPECT_EQ(p.S(2, 0), 0.2);
  EXPECT_EQ(p.S(2, 1), 0.8);
  EXPECT_EQ(p.S(2, 2), 0.0);
}

// ------------------------------------------------------------- scanMaxAlleles

TEST(FindMaxAlleles, WorkedExampleGivesThreeAlleles) {
  TempDir dir;
  Status status;
  const std::string path = dir.write("p", kWorkedExample);
  int maxAlleles = 0;
  EXPECT_EQ(scanMaxAlleles(path, 3, &maxAlleles, status, '\n'), 0);
  EXPECT_EQ(maxAlleles, 3);
  EXPECT_EQ(status.message(), "");
}

TEST(FindMaxAlleles, RaisesOnlyAboveTheCallersValue) {
  TempDir dir;
  Status status;
  const std::string path = dir.write("p", kWorkedExample);
  int maxAlleles = 5;
  EXPECT_EQ(scanMaxAlleles(path, 3, &maxAlleles, status, '\n'), 0);
  EXPECT_EQ(maxAlleles, 5);
}

TEST(FindMaxAlleles, EvenWordCountNamesTheRecord) {
  TempDir dir;
  Status status;
  // Three R numbers and two S numbers on the second locus record.
  const std::string path =
      dir.write("p", parentalFile({" C 0.5 0.5 0.2 0.8", " C 0.2 0.3 0.5 0.5 0.5", " D 1 0"}));
  int maxAlleles = 0;
  EXPECT_EQ(scanMaxAlleles(path, 3, &maxAlleles, status, '\n'), 1);
  EXPECT_EQ(status.message(), longUnevenMessage(2));
}

TEST(FindMaxAlleles, EmptyRecordAndDominantWithFourNumbersAreAccepted) {
  TempDir dir;
  Status status;
  const std::string path = dir.write("p", parentalFile({"", " D 0.5 0.5 0.2 0.8", "   "}));
  int maxAlleles = 0;
  EXPECT_EQ(scanMaxAlleles(path, 3, &maxAlleles, status, '\n'), 0);
  EXPECT_EQ(maxAlleles, 2);
  EXPECT_EQ(status.message(), "");
}

TEST(FindMaxAlleles, ScansOnlyTheGivenNumberOfRecords) {
  TempDir dir;
  Status status;
  const std::string path =
      dir.write("p", parentalFile({" C 1 0", " C 0.5 0.5 0.5 0.5", " C 1 0 0 0 0 1 x"}));
  int maxAlleles = 0;
  EXPECT_EQ(scanMaxAlleles(path, 2, &maxAlleles, status, '\n'), 0);
  EXPECT_EQ(maxAlleles, 2);
}

TEST(FindMaxAlleles, UnreadableFile) {
  TempDir dir;
  Status status;
  int maxAlleles = 0;
  EXPECT_EQ(scanMaxAlleles(dir.file("absent"), 2, &maxAlleles, status, '\n'), 1);
  EXPECT_EQ(status.message(), "File " + dir.file("absent") + " could not be read");
}

// ------------------------------------------------------------ readParentalData

TEST(GetParentalData, WorkedExampleStoresTheGivenValues) {
  TempDir dir;
  ParentalRead p = readParental(dir.write("p", kWorkedExample));
  EXPECT_EQ(p.eol, '\n');
  expectWorkedExample(p);
}

TEST(GetParentalData, EachKindOfLineEndReadsTheSame) {
  TempDir dir;
  const struct {
    const char* name;
    const char* lineEnd;
    char eol;
  } kinds[] = {{"lf", "\n", '\n'}, {"cr", "\r", '\r'}, {"crlf", "\r\n", '\n'}};
  for (const auto& kind : kinds) {
    SCOPED_TRACE(kind.name);
    const std::string path = dir.write(kind.name, withLineEnd(kWorkedExample, kind.lineEnd));
    ParentalRead p = readParental(path);
    EXPECT_EQ(p.eol, kind.eol);
    expectWorkedExample(p);
  }
}

TEST(GetParentalData, LabelsAndCommentLinesChangeNothing) {
  TempDir dir;
  ParentalRead p = readParental(dir.write(
      "p",
      "Parental data of the 2008 survey\n"
      "collected by hand, see the notes\n"
      "\n"
      "# locus type, R frequencies, S frequencies\n"
      "\n"
      "   a comment line without the sign, with numbers 1 2 3\n"
      "Mdh-1 (3 alleles)# C 0.5 0.3 0.2 0.1 0.1 0.8\n"
      "\n"
      "AFLP 7   #D 0.75 0.19\n"
      "\t\n"
      "#c   0.9\t0.1 0.2 0.8   \n"
      "\n"));
  expectWorkedExample(p);
}

TEST(GetParentalData, LongLabelAndLongDataPartAreReadWhole) {
  TempDir dir;
  // The S frequencies stand after 100,000 blanks and the second locus's
  // label is 9,000 characters long; both must be read past.
  const std::string gap(100000, ' ');
  const std::string label(9000, 'x');
  ParentalRead p = readParental(dir.write(
      "p", "Parental\n# h\nL1 # C 0.25 0.75" + gap + "0.5 0.5\n" + label + " # D 0.75 0.19\n"));
  ASSERT_EQ(p.scanResult, 0) << p.message;
  ASSERT_EQ(p.readResult, 0) << p.message;
  ASSERT_EQ(p.nLoci, 2);
  ASSERT_EQ(p.maxAlleles, 2);
  EXPECT_EQ(p.R(0, 1), 0.75);
  EXPECT_EQ(p.S(0, 0), 0.5);
  EXPECT_EQ(p.S(0, 1), 0.5);
  EXPECT_EQ(p.type[1], 'D');
  EXPECT_EQ(p.R(1, 0), 0.5);
}

TEST(GetParentalData, ManyAllelesInARecordOfOverAHundredThousandCharacters) {
  TempDir dir;
  const int k = 6000;
  std::string record = " C";
  for (int a = 0; a < k; ++a) record += a == 0 ? " 0.400000" : " 0.000100";
  for (int a = 0; a < k; ++a) record += a == k - 1 ? " 0.400000" : " 0.000100";
  ASSERT_GT(record.size(), 100000u);
  ParentalRead p = readRecords(dir, {record, " D 0.5 0.2"});
  ASSERT_EQ(p.readResult, 0) << p.message;
  ASSERT_EQ(p.maxAlleles, k);
  EXPECT_EQ(p.R(0, 0), 0.4);
  EXPECT_EQ(p.R(0, k - 1), 0.0001);
  EXPECT_EQ(p.S(0, 0), 0.0001);
  EXPECT_EQ(p.S(0, k - 1), 0.4);
}

TEST(GetParentalData, CodominantSlotsPastTheLocusAllelesAreZero) {
  TempDir dir;
  ParentalRead p = readRecords(dir, {" C 0.7 0.2", " C 0.1 0.2 0.3 0.4 0.4 0.3 0.2 0.1"});
  ASSERT_EQ(p.readResult, 0) << p.message;
  ASSERT_EQ(p.maxAlleles, 4);
  EXPECT_EQ(p.R(0, 0), 0.7);
  EXPECT_EQ(p.S(0, 0), 0.2);
  for (int a = 1; a < 4; ++a) {
    EXPECT_EQ(p.R(0, a), 0.0) << a;
    EXPECT_EQ(p.S(0, a), 0.0) << a;
  }
  EXPECT_EQ(p.R(1, 3), 0.4);
  EXPECT_EQ(p.S(1, 0), 0.4);
}

TEST(GetParentalData, DominantFrequencyIsTheAlleleBehindTheDominantClass) {
  TempDir dir;
  ParentalRead p = readRecords(dir, {" D 1 0", " d 0.36 0.64", " D 0 0.999999"});
  ASSERT_EQ(p.readResult, 0) << p.message;
  EXPECT_EQ(p.types(), "DDD");
  // A class frequency of exactly 1 is allowed and stored as 1.
  EXPECT_EQ(p.R(0, 0), 1.0);
  EXPECT_EQ(p.S(0, 0), 0.0);
  // 1 - (1 - p)^2 = g: p = 0.2 for g = 0.36, p = 0.4 for g = 0.64.
  EXPECT_NEAR(p.R(1, 0), 0.2, 1e-15);
  EXPECT_NEAR(p.S(1, 0), 0.4, 1e-15);
  EXPECT_EQ(p.R(2, 0), 0.0);
  EXPECT_NEAR(p.S(2, 0), 0.999, 1e-12);
}

TEST(GetParentalData, NumberNotationsOfStreamExtraction) {
  TempDir dir;
  ParentalRead p = readRecords(dir, {" C .5 5e-1 +0.25 2.5E-1"});
  ASSERT_EQ(p.readResult, 0) << p.message;
  EXPECT_EQ(p.R(0, 0), 0.5);
  EXPECT_EQ(p.R(0, 1), 0.5);
  EXPECT_EQ(p.S(0, 0), 0.25);
  EXPECT_EQ(p.S(0, 1), 0.25);
}

TEST(GetParentalData, TypeDesignationMessage) {
  TempDir dir;
  ParentalRead noLetter = readRecords(dir, {" C 0.5 0.5 0.2 0.8", " 0.5 0.2 0.8"});
  EXPECT_EQ(noLetter.readResult, 1);
  EXPECT_EQ(noLetter.message, typeMessage(2));

  ParentalRead other = readRecords(dir, {" X 0.5 0.5"});
  EXPECT_EQ(other.readResult, 1);
  EXPECT_EQ(other.message, typeMessage(1));
}

TEST(GetParentalData, OddCountOfNumbers) {
  TempDir dir;
  // The type letter written against the first number: three numbers.
  ParentalRead attached = readRecords(dir, {" D 0.5 0.2", " C0.5 0.3 0.7"});
  EXPECT_EQ(attached.scanResult, 0);
  EXPECT_EQ(attached.readResult, 1);
  EXPECT_EQ(attached.message, unevenMessage(2));

  // A word that is not a number ends the numbers.
  ParentalRead word = readRecords(dir, {" C 0.5 x 0.5 0.5"});
  EXPECT_EQ(word.readResult, 1);
  EXPECT_EQ(word.message, unevenMessage(1));
}

TEST(GetParentalData, FrequenciesSeparatedByCommasFail) {
  TempDir dir;
  ParentalRead p = readRecords(dir, {" C 0.5, 0.5, 0.2, 0.8"});
  ASSERT_EQ(p.scanResult, 0);
  EXPECT_EQ(p.readResult, 1);
  EXPECT_EQ(p.message, unevenMessage(1));

  ParentalRead joined = readRecords(dir, {" C 0.5,0.5 0.2,0.8"});
  ASSERT_EQ(joined.scanResult, 0);
  EXPECT_EQ(joined.readResult, 1);
  EXPECT_EQ(joined.message, unevenMessage(1));
}

TEST(GetParentalData, ProblemWithTheNumberOfGenotypes) {
  TempDir dir;
  // Empty record: the allele scan lets it through, the reader does not.
  ParentalRead empty = readRecords(dir, {" C 0.5 0.5 0.2 0.8", ""});
  EXPECT_EQ(empty.scanResult, 0);
  EXPECT_EQ(empty.readResult, 1);
  EXPECT_EQ(empty.message, countMessage(2));

  ParentalRead dominantFour = readRecords(dir, {" D 0.5 0.5 0.2 0.8"});
  EXPECT_EQ(dominantFour.scanResult, 0);
  EXPECT_EQ(dominantFour.maxAlleles, 2);
  EXPECT_EQ(dominantFour.readResult, 1);
  EXPECT_EQ(dominantFour.message, countMessage(1));

  ParentalRead letterOnly = readRecords(dir, {" C 1 0", " D 1 0", " C"});
  EXPECT_EQ(letterOnly.readResult, 1);
  EXPECT_EQ(letterOnly.message, countMessage(3));

  ParentalRead spelledOut = readRecords(dir, {" Codominant 0.5 0.5"});
  EXPECT_EQ(spelledOut.readResult, 1);
  EXPECT_EQ(spelledOut.message, countMessage(1));
}

TEST(GetParentalData, FrequencyAboveOne) {
  TempDir dir;
  ParentalRead genotype = readRecords(dir, {" C 1 0", " D 0.5 1.0000001"});
  EXPECT_EQ(genotype.readResult, 1);
  EXPECT_EQ(genotype.message, genotypeAboveOneMessage(2));

  ParentalRead allele = readRecords(dir, {" C 0.2 0.8 0.5 0.5", " D 0.5 0.5", " C 0.5 0.5 0.5 1.5"});
  EXPECT_EQ(allele.readResult, 1);
  EXPECT_EQ(allele.message, alleleAboveOneMessage(3));

  // Exactly 1 is allowed.
  ParentalRead one = readRecords(dir, {" C 1 0 0 1"});
  EXPECT_EQ(one.readResult, 0) << one.message;
}

TEST(GetParentalData, NegativeFrequencies) {
  TempDir dir;
  // Allele 1 is negative in R and above 1 in S: the test against 1 first.
  ParentalRead allele = readRecords(dir, {" C 0.5 0.5 0.2 0.8", " C -0.1 0.5 1.1 0.5"});
  EXPECT_EQ(allele.readResult, 1);
  EXPECT_EQ(allele.message, alleleAboveOneMessage(2));

  ParentalRead alleleOnly = readRecords(dir, {" C 1.0 0.0", " C 0.6 0.4 -0.1 1"});
  EXPECT_EQ(alleleOnly.readResult, 1);
  EXPECT_EQ(alleleOnly.message, alleleNegativeMessage(2));

  ParentalRead genotype = readRecords(dir, {" D 0.5 -0.01"});
  EXPECT_EQ(genotype.readResult, 1);
  EXPECT_EQ(genotype.message, genotypeNegativeMessage(1));

  // The test against 1 comes first within a record.
  ParentalRead both = readRecords(dir, {" D -0.5 1.5"});
  EXPECT_EQ(both.readResult, 1);
  EXPECT_EQ(both.message, genotypeAboveOneMessage(1));

  // Zero is a frequency like any other.
  ParentalRead zero = readRecords(dir, {" C 0 1 1 0", " D 0 0.5"});
  EXPECT_EQ(zero.readResult, 0) << zero.message;
}

// A record with a negative frequency early and one above 1 later holds both
// faults; the test against 1 is meant to come first for the whole record, as
// it does for a dominant record.  The reader tests allele by allele instead
// and reports the negative one.
TEST(GetParentalData, AboveOneComesBeforeNegativeAnywhereInTheRecord) {
  TempDir dir;
  ParentalRead p = readRecords(dir, {" C -0.1 0.5 0.5 1.5"});
  EXPECT_EQ(p.readResult, 1);
  EXPECT_EQ(p.message, alleleAboveOneMessage(1));
}

// Text after the numbers is outside the format and a comma is no separator
// here, so this record must be refused rather than read as a one-allele
// locus (R 0.6, S 0.4) with the rest dropped.
TEST(GetParentalData, CommaAfterAnEvenCountOfNumbersIsRefused) {
  TempDir dir;
  ParentalRead p = readRecords(dir, {" C 0.6 0.4, 0.3 0.7"});
  ASSERT_EQ(p.scanResult, 0);
  EXPECT_EQ(p.readResult, 1);
  EXPECT_EQ(p.message,
            "On line 1 of the parental file, the frequencies are followed by text that is not a "
            "number.");
  ParentalRead word = readRecords(dir, {" D 0.5 0.2 very high"});
  EXPECT_EQ(word.readResult, 1);
  EXPECT_EQ(word.message,
            "On line 1 of the parental file, the frequencies are followed by text that is not a "
            "number.");
}

TEST(GetParentalData, LineNumbersCountLocusRecordsNotTextLines) {
  TempDir dir;
  ParentalRead p = readParental(dir.write(
      "p", "Parental\nnotes\n\n# h\n\nL1 # C 1 0\ncomment\n\nL2 # D 0.5 1.5\n"));
  EXPECT_EQ(p.readResult, 1);
  EXPECT_EQ(p.message, genotypeAboveOneMessage(2));

  ParentalRead scan = readParental(
      dir.write("q", "Parental\n# h\n\n\nL1 # C 1 0\nnote 1 2\nL2 #\nL3 # C 1 0 1\n"));
  EXPECT_EQ(scan.scanResult, 1);
  EXPECT_EQ(scan.message, longUnevenMessage(3));
}

TEST(GetParentalData, LastRecordWithoutLineEnd) {
  TempDir dir;
  for (const char* lineEnd : {"\n", "\r", "\r\n"}) {
    std::string text = withLineEnd(kWorkedExample, lineEnd);
    text.erase(text.size() - std::string(lineEnd).size());
    ParentalRead p = readParental(dir.write(std::to_string(text.size()), text));
    expectWorkedExample(p);
  }
}

TEST(GetParentalData, StopsAtTheFirstFaultyRecord) {
  TempDir dir;
  ParentalRead p = readRecords(dir, {" C 0.5 0.5 0.2 0.8", " D 2 0", " X", " C 3 0"});
  EXPECT_EQ(p.readResult, 1);
  EXPECT_EQ(p.message, genotypeAboveOneMessage(2));
  EXPECT_EQ(p.R(0, 0), 0.5);
  // Nothing of the faulty record is stored.
  EXPECT_TRUE(std::isnan(p.R(1, 0)));
  EXPECT_EQ(p.type[2], '?');
}

TEST(GetParentalData, RecordLongerThanTheRowBufferIsRefused) {
  TempDir dir;
  Status status;
  // Called with a row length that the record exceeds: the reader must
  // refuse it with a count message and store nothing past the row.
  const std::string path =
      dir.write("p", parentalFile({" C 0.1 0.2 0.3 0.4 0.4 0.3 0.2 0.1", " C 0.5 0.5 0.2 0.8"}));
  RowTable<double> freqR(2, 1, -1.0);
  RowTable<double> freqS(2, 1, -1.0);
  char type[2] = {'?', '?'};
  EXPECT_EQ(readParentalData(freqS.rows(), freqR.rows(), type, 2, 1, path, status, '\n'), 1);
  EXPECT_EQ(status.message(), countMessage(1));
  EXPECT_EQ(freqR.rows()[1][0], -1.0);
  EXPECT_EQ(freqS.rows()[1][0], -1.0);
}

TEST(GetParentalData, TypeLetterAgainstANumberNeverOverrunsTheRow) {
  TempDir dir;
  // "C0.5 0.3-0.7 0.1" is three words (one allele by the scan) but four
  // numbers for stream extraction.
  ParentalRead p = readRecords(dir, {" C0.5 0.3-0.7 0.1"});
  ASSERT_EQ(p.scanResult, 0);
  EXPECT_EQ(p.maxAlleles, 1);
  EXPECT_EQ(p.readResult, 1);
  // Four numbers, so not the uneven message.
  EXPECT_EQ(p.message, countMessage(1));
}

TEST(GetParentalData, NumbersBeyondTheDoubleRangeAreNumbers) {
  TempDir dir;
  // Stream extraction fails on them; they are still numbers, too large (or
  // too small) to be frequencies, and the record says so.
  ParentalRead dominant = readRecords(dir, {" C 1 0 0 1", " D 1e999 0"});
  EXPECT_EQ(dominant.readResult, 1);
  EXPECT_EQ(dominant.message, genotypeAboveOneMessage(2));

  ParentalRead codominant = readRecords(dir, {" C 1 0 1e999 1"});
  EXPECT_EQ(codominant.readResult, 1);
  EXPECT_EQ(codominant.message, alleleAboveOneMessage(1));

  ParentalRead negative = readRecords(dir, {" C 1 -1e999 0 1"});
  EXPECT_EQ(negative.readResult, 1);
  EXPECT_EQ(negative.message, alleleNegativeMessage(1));

  // The last number of a record (found by fuzzing: the reading never
  // ended), also before a '\r' line end.
  ParentalRead last = readRecords(dir, {" C 1 0 0 1e999"});
  EXPECT_EQ(last.readResult, 1);
  EXPECT_EQ(last.message, alleleAboveOneMessage(1));
  ParentalRead lastNegative = readRecords(dir, {" D 0.5 -1e999"});
  EXPECT_EQ(lastNegative.readResult, 1);
  EXPECT_EQ(lastNegative.message, genotypeNegativeMessage(1));
  const std::string crPath = dir.write("cr", "Parental\r#\rL1 # C 1 0 0 0.1e9995\r");
  ParentalRead cr = readParental(crPath);
  EXPECT_EQ(cr.eol, '\r');
  EXPECT_EQ(cr.readResult, 1);
  EXPECT_EQ(cr.message, alleleAboveOneMessage(1));

  // Numbers below the double range are 0 (or the nearest subnormal).
  ParentalRead tiny = readRecords(dir, {" C 1 1e-400 0 1"});
  EXPECT_EQ(tiny.readResult, 0);
  EXPECT_EQ(tiny.R(0, 1), 0.0);
}

TEST(GetParentalData, DominantLetterAgainstItsNumbersInAFileWithoutAlleles) {
  TempDir dir;
  // One word, so the scan finds no allele (maxAlleles 0) and the rows have
  // no slot; stream extraction still reads two numbers from "0.5.5" (found
  // by fuzzing: the pair was stored through the empty row).
  ParentalRead p = readRecords(dir, {" D0.5.5"});
  ASSERT_EQ(p.scanResult, 0);
  EXPECT_EQ(p.maxAlleles, 0);
  EXPECT_EQ(p.readResult, 1);
  EXPECT_EQ(p.message, countMessage(1));

  ParentalRead found = readRecords(dir, {" D1e-320.6"});
  EXPECT_EQ(found.maxAlleles, 0);
  EXPECT_EQ(found.readResult, 1);
  EXPECT_EQ(found.message, countMessage(1));
}

TEST(GetParentalData, FileShorterThanTheLociAsked) {
  TempDir dir;
  Status status;
  const std::string path = dir.write("p", parentalFile({" C 1 0"}));
  RowTable<double> freqR(2, 1, 0.0);
  RowTable<double> freqS(2, 1, 0.0);
  char type[2] = {'?', '?'};
  EXPECT_EQ(readParentalData(freqS.rows(), freqR.rows(), type, 2, 1, path, status, '\n'), 1);
  EXPECT_EQ(status.message(), countMessage(2));
}

TEST(GetParentalData, UnreadableFile) {
  TempDir dir;
  Status status;
  RowTable<double> freqR(1, 1, 0.0);
  RowTable<double> freqS(1, 1, 0.0);
  char type[1] = {'?'};
  EXPECT_EQ(readParentalData(freqS.rows(), freqR.rows(), type, 1, 1, dir.path(), status, '\n'), 1);
  EXPECT_EQ(status.message(), "File " + dir.path() + " could not be read");
}

TEST(GetParentalData, TablesOfTheDataSetAreFullyDefinedAfterReading) {
  TempDir dir;
  Status status;
  const std::string path = dir.write("p", kWorkedExample);
  DataSet d;
  d.nLoci = 3;
  d.maxAlleles = 3;
  d.allocateTheRest();
  ASSERT_EQ(readParentalData(d.freqS.rows(), d.freqR.rows(), d.locusType.data(), d.nLoci,
                             d.maxAlleles, path, status, '\n'),
            0)
      << status.message();
  // The dominant locus fills slot 0 only; the rest keeps the table's 0.0.
  EXPECT_EQ(d.freqR.rows()[1][1], 0.0);
  EXPECT_EQ(d.freqR.rows()[1][2], 0.0);
  EXPECT_EQ(d.freqS.rows()[1][1], 0.0);
  EXPECT_EQ(d.freqS.rows()[1][2], 0.0);
}

}  // namespace
}  // namespace parmix
