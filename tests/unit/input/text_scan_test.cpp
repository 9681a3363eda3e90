#include "input/text_scan.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "input/status.hpp"
#include "support/line_terminator.hpp"
#include "support/temp_files.hpp"

namespace parmix {
namespace {

using test::TempDir;
using test::withLineEnd;


std::string keywordMessage(const std::string& path, const std::string& keyword) {
  return "Check that " + path + " is a text file and that " + keyword +
         " is the first word on the first line.";
}

std::string widthMessage(int nInd, int nCols, int line) {
  return "The number of column headings in the individual file (" + std::to_string(nInd) +
         ") disagrees with the number of genotypes (" + std::to_string(nCols) + ") on line " +
         std::to_string(line) + " of the same file.";
}

// ---------------------------------------------------------------- cleanString

TEST(CleanString, SeparatorsBecomeBlanks) {
  char text[] = "1/2,3;4";
  cleanString(text, kSeparatorSet);
  EXPECT_STREQ(text, "1 2 3 4");

  std::string s = "12/3 ,;/ x";
  cleanString(s, kSeparatorSet);
  EXPECT_EQ(s, "12 3     x");
}

TEST(CleanString, TextWithoutSeparatorsIsUnchanged) {
  char text[] = "1 2\t3 NA ? - 2x";
  cleanString(text, kSeparatorSet);
  EXPECT_STREQ(text, "1 2\t3 NA ? - 2x");

  char empty[] = "";
  cleanString(empty, kSeparatorSet);
  EXPECT_STREQ(empty, "");

  char noSet[] = "1/2";
  cleanString(noSet, "");
  EXPECT_STREQ(noSet, "1/2");
}

TEST(CleanString, ArbitrarySetAndBufferEnd) {
  // Only the characters before the terminating NUL are looked at.
  char text[] = "a-b:c\0/,";
  cleanString(text, ":-");
  EXPECT_EQ(std::memcmp(text, "a b c\0/,", sizeof text), 0);
}

TEST(CleanString, StringVersionCleansPastEmbeddedNul) {
  std::string s("1/2\0" "3,4", 7);
  cleanString(s, kSeparatorSet);
  EXPECT_EQ(s, std::string("1 2\0" "3 4", 7));
}

// -------------------------------------------------------------- checkKeyword

TEST(CheckFileType, KeywordFollowedByBlankTabOrLineEndPasses) {
  TempDir dir;
  Status status;
  const char* passing[] = {"Parental file\n# x\n", "Parental\tfile\n", "Parental\n# x\n",
                           "Parental\r# x\r",      "Parental\r\n# x\r\n", "Parental",
                           "\n\n  \t Parental #\n"};
  int n = 0;
  for (const char* content : passing) {
    SCOPED_TRACE(content);
    const std::string path = dir.write("p" + std::to_string(n++), content);
    EXPECT_EQ(checkKeyword(path, "Parental", status), 0);
    EXPECT_EQ(status.message(), "");
  }
}

TEST(CheckFileType, WrongFirstWordFailsNamingFileAndKeyword) {
  TempDir dir;
  const char* failing[] = {"parental\n# x\n", "PARENTAL\n", "Parental:\n# x\n", "Parental#\n",
                           "Parenta\n",       "Parentals\n", "x Parental\n",    "#Parental\n",
                           "",                " \n\t\r\n"};
  int n = 0;
  for (const char* content : failing) {
    SCOPED_TRACE(content);
    Status status;
    const std::string path = dir.write("f" + std::to_string(n++), content);
    EXPECT_EQ(checkKeyword(path, "Parental", status), 1);
    EXPECT_EQ(status.message(), keywordMessage(path, "Parental"));
  }
}

TEST(CheckFileType, ParentalFileOfferedAsIndividualFile) {
  TempDir dir;
  Status status;
  const std::string path = dir.write("swapped.txt", "Parental\n# h\nL1 # C 0.5 0.5 0.2 0.8\n");
  EXPECT_EQ(checkKeyword(path, "Individual", status), 1);
  EXPECT_EQ(status.message(), keywordMessage(path, "Individual"));

  const std::string ind = dir.write("ind.txt", "Individual\n# A B\nL1 # 1/2 2/2\n");
  Status other;
  EXPECT_EQ(checkKeyword(ind, "Individual", other), 0);
}

TEST(CheckFileType, MissingFileOrDirectoryCannotBeRead) {
  TempDir dir;
  {
    Status status;
    const std::string path = dir.file("absent.txt");
    EXPECT_EQ(checkKeyword(path, "Parental", status), 1);
    EXPECT_EQ(status.message(), "File " + path + " could not be read");
  }
  {
    Status status;
    EXPECT_EQ(checkKeyword(dir.path(), "Parental", status), 1);
    EXPECT_EQ(status.message(), "File " + dir.path() + " could not be read");
  }
}

// ------------------------------------------------------------- findNumberRows

TEST(FindNumberRows, CountsRecordsHeaderIncluded) {
  TempDir dir;
  const std::string path =
      dir.write("p.txt", "Parental\n# header\nL1 # C 0.5 0.5 0.2 0.8\nL2 # D 0.75 0.19\n");
  EXPECT_EQ(findNumberRows(path, '\n'), 3);
}

TEST(FindNumberRows, LabelsBlankLinesAndCommentLinesAddNothing) {
  TempDir dir;
  const std::string plain = dir.write("plain.txt", "Parental\n#\n# C 1 0\n# C 0 1\n");
  const std::string commented = dir.write(
      "commented.txt",
      "Parental written by hand\nsecond line of notes\n\n# titles\n\n"
      "a comment line without the sign\nLocus one  # C 1 0\n\n\n   \nLocus two # C 0 1\n\n");
  EXPECT_EQ(findNumberRows(plain, '\n'), 3);
  EXPECT_EQ(findNumberRows(commented, '\n'), 3);
}

TEST(FindNumberRows, EndOfFileCases) {
  TempDir dir;
  // A last record without a terminator still counts.
  EXPECT_EQ(findNumberRows(dir.write("a", "P\n# h\nL1 # C 1 0"), '\n'), 2);
  // So does a final '#' with nothing after it.
  EXPECT_EQ(findNumberRows(dir.write("b", "P\n# h\nL1 # C 1 0\n#"), '\n'), 3);
  // A '#' within a data part is data, not the start of a record.
  EXPECT_EQ(findNumberRows(dir.write("c", "P\n# h # h2\nL1 # a#b#c\n"), '\n'), 2);
  // Text after the last data part that holds no '#' is no record.
  EXPECT_EQ(findNumberRows(dir.write("d", "P\n# h\nL1 # x\ntrailing words\n\n"), '\n'), 2);
}

TEST(FindNumberRows, FileWithoutAnyHashHasNoRecords) {
  TempDir dir;
  EXPECT_EQ(findNumberRows(dir.write("none", "Parental\nC 0.5 0.5\n"), '\n'), 0);
  EXPECT_EQ(findNumberRows(dir.write("empty", ""), '\n'), 0);
  EXPECT_EQ(findNumberRows(dir.write("long", std::string(20000, 'x') + "\n"), '\n'), 0);
}

TEST(FindNumberRows, UnreadableFileGivesMinusOneAndTheProcessGoesOn) {
  TempDir dir;
  EXPECT_EQ(findNumberRows(dir.file("absent.txt"), '\n'), -1);
  EXPECT_EQ(findNumberRows(dir.path(), '\n'), -1);
  EXPECT_EQ(findNumberRows(dir.file("absent.txt"), '\r'), -1);
}

TEST(FindNumberRows, LabelLongerThanEightThousandCharacters) {
  TempDir dir;
  // A long label must be skipped whole; were it cut, the data part would
  // start inside the label and the file would hold one record too few or
  // too many.
  const std::string label(9000, 'L');
  const std::string path =
      dir.write("p", "Parental\n" + label + "\n# h\n" + label + " # C 1 0\n" + label + "#D 1 0\n");
  EXPECT_EQ(findNumberRows(path, '\n'), 3);
}

TEST(FindNumberRows, DataPartOfAHundredThousandCharacters) {
  TempDir dir;
  // Were the data part cut, the rest of it would be skipped as a label up
  // to the next '#' and a record would go missing.
  std::string longPart(100000, ' ');
  longPart[50000] = '#';  // data, not a record
  const std::string path = dir.write("p", "P\n#" + longPart + "\nL1 # a\nL2 # b\n");
  EXPECT_EQ(findNumberRows(path, '\n'), 3);
}

// ------------------------------------------------------- detectLineTerminator

TEST(DetectLineTerminator, EachKindOfLineEnd) {
  TempDir dir;
  const std::string text = "Parental\n# h\nL1 # C 0.5 0.5 0.2 0.8\nL2 # D 0.75 0.19\n";
  const std::string lf = dir.write("lf", text);
  const std::string cr = dir.write("cr", withLineEnd(text, "\r"));
  const std::string crlf = dir.write("crlf", withLineEnd(text, "\r\n"));

  // Read with '\n', a '\r' file is one long header record.
  EXPECT_EQ(findNumberRows(cr, '\n'), 1);

  EXPECT_EQ(detectLineTerminator(lf), '\n');
  EXPECT_EQ(detectLineTerminator(cr), '\r');
  EXPECT_EQ(detectLineTerminator(crlf), '\n');

  // Each read with its own terminator gives the same count.
  EXPECT_EQ(findNumberRows(lf, detectLineTerminator(lf)), 3);
  EXPECT_EQ(findNumberRows(cr, detectLineTerminator(cr)), 3);
  EXPECT_EQ(findNumberRows(crlf, detectLineTerminator(crlf)), 3);
}

TEST(DetectLineTerminator, HeaderOnlyFileCountsOneEitherWay) {
  TempDir dir;
  const std::string path = dir.write("h", "Individual\n# A B C\n");
  EXPECT_EQ(detectLineTerminator(path), '\r');
  EXPECT_EQ(findNumberRows(path, '\r'), 1);
  EXPECT_EQ(findNumberRows(path, '\n'), 1);
}

TEST(DetectLineTerminator, UnreadableFileDoesNotEndTheProcess) {
  TempDir dir;
  EXPECT_EQ(detectLineTerminator(dir.file("absent")), '\n');
  EXPECT_EQ(detectLineTerminator(dir.path()), '\n');
}

// ---------------------------------------------------------- countColumns

struct Columns {
  int rc;
  int nInd;
  int nCols;
  std::string message;
};

Columns scanColumns(const std::string& path, char eol = '\n') {
  Status status;
  Columns c{0, 0, -7, ""};
  c.rc = countColumns(path, &c.nInd, &c.nCols, status, eol);
  c.message = status.message();
  return c;
}

TEST(FindNumberColumns, TwoWordsPerIndividual) {
  TempDir dir;
  const Columns c = scanColumns(
      dir.write("i", "Individual\nnames # A1 A2 B7\nL1 # 1/2 1/1 3/3\nL2 # 1 0 NA\n"));
  EXPECT_EQ(c.rc, 0);
  EXPECT_EQ(c.nInd, 3);
  EXPECT_EQ(c.nCols, 6);
  EXPECT_EQ(c.message, "");
}

TEST(FindNumberColumns, NarrowerLaterRecordsAreNotMeasured) {
  TempDir dir;
  // 6 then 3 words under 3 names; then 5 words, fewer than twice 6.
  const Columns c = scanColumns(dir.write(
      "i", "Individual\n# A B C\nL1 # 1 2 1 2 1 2\nL2 # 1 0 1\nL3 # 1 2 3 4 5\nL4 # 1\n"));
  EXPECT_EQ(c.rc, 0);
  EXPECT_EQ(c.nInd, 3);
  EXPECT_EQ(c.nCols, 6);
}

TEST(FindNumberColumns, FirstLocusRecordOfWrongWidthFails) {
  TempDir dir;
  const Columns c =
      scanColumns(dir.write("i", "Individual\n# A B C\nL1 # 1 2 1 2 1\nL2 # 1 2 1 2 1 2\n"));
  EXPECT_EQ(c.rc, 1);
  EXPECT_EQ(c.message, widthMessage(3, 5, 2));
}

TEST(FindNumberColumns, LineNumberCountsHeaderAndEmptyRecords) {
  TempDir dir;
  // Comment lines without '#' are not records; the empty record L1 is.
  const Columns c = scanColumns(dir.write(
      "i", "Individual\nnotes\n# A B C\n\nL1 #\ncomment line\nL2 # 1 2 1 2 1 2 1\n"));
  EXPECT_EQ(c.rc, 1);
  EXPECT_EQ(c.message, widthMessage(3, 7, 3));
}

TEST(FindNumberColumns, ARecordTwiceAsWideIsMeasured) {
  TempDir dir;
  // One word per individual first; a record with 2 * 3 words is accepted,
  // one with 2 * 6 is measured and breaks the rule.
  const Columns ok =
      scanColumns(dir.write("ok", "Individual\n# A B C\nL1 # 1 0 1\nL2 # 1 2 1 2 1 2\n"));
  EXPECT_EQ(ok.rc, 0);
  EXPECT_EQ(ok.nCols, 6);

  const Columns bad = scanColumns(dir.write(
      "bad", "Individual\n# A B C\nL1 # 1 2 1 2 1 2\nL2 # 1 0 1\nL3 # 1 1 1 1 1 1 1 1 1 1 1 1\n"));
  EXPECT_EQ(bad.rc, 1);
  EXPECT_EQ(bad.message, widthMessage(3, 12, 4));
}

TEST(FindNumberColumns, OneWordPerIndividualEverywhereGivesTwoColumnsEach) {
  TempDir dir;
  const Columns c =
      scanColumns(dir.write("i", "Individual\n# A B C D\nL1 # 1 0 1 1\nL2 # 0 0 NA 1\n"));
  EXPECT_EQ(c.rc, 0);
  EXPECT_EQ(c.nInd, 4);
  EXPECT_EQ(c.nCols, 8);
}

TEST(FindNumberColumns, SeparatorsSplitLocusWordsButNotNames) {
  TempDir dir;
  // Names keep ',' ';' '/'; designations are split at them.
  const Columns c =
      scanColumns(dir.write("i", "Individual\n# A,1 B/2 C;3\nL1 # 1/2 1,1 3;3\nL2 #1/2,1;1/3,3\n"));
  EXPECT_EQ(c.rc, 0);
  EXPECT_EQ(c.nInd, 3);
  EXPECT_EQ(c.nCols, 6);
}

TEST(FindNumberColumns, EmptyLocusRecordsAreSkipped) {
  TempDir dir;
  const Columns some = scanColumns(
      dir.write("some", "Individual\n# A B\nL1 #\nL2 #   \t\nL3 # 1/2 2/2\nL4 #\n"));
  EXPECT_EQ(some.rc, 0);
  EXPECT_EQ(some.nInd, 2);
  EXPECT_EQ(some.nCols, 4);

  const Columns none = scanColumns(dir.write("none", "Individual\n# A B\nL1 #\nL2 # ,;/\n"));
  EXPECT_EQ(none.rc, 0);
  EXPECT_EQ(none.nInd, 2);
  EXPECT_EQ(none.nCols, 0);

  const Columns headerOnly = scanColumns(dir.write("header", "Individual\n# A B\n"));
  EXPECT_EQ(headerOnly.rc, 0);
  EXPECT_EQ(headerOnly.nInd, 2);
  EXPECT_EQ(headerOnly.nCols, 0);
}

TEST(FindNumberColumns, NamesAreCountedOnFromTheCallersValue) {
  TempDir dir;
  Status status;
  int nInd = 2;
  int nCols = 99;
  const std::string path = dir.write("i", "Individual\n# A B C\nL1 # 1 2 1 2 1 2 1 2 1 2\n");
  EXPECT_EQ(countColumns(path, &nInd, &nCols, status, '\n'), 0);
  EXPECT_EQ(nInd, 5);
  EXPECT_EQ(nCols, 10);
}

TEST(FindNumberColumns, EachKindOfLineEndGivesTheSameWidth) {
  TempDir dir;
  const std::string text = "Individual\n# A1 A2 B7\nL1 # 1/2 1/1 3/3\nL2 # 1 0 NA\n\nL3 # 2,1 NA,NA 1;2\n";
  const std::string bad = "Individual\n# A B\nL1 # 1 2 1 2\nL2 # 1 2 1 2 1 2 1 2 1 2\n";
  const char* kinds[] = {"\n", "\r", "\r\n"};
  int n = 0;
  for (const char* lineEnd : kinds) {
    SCOPED_TRACE(n);
    const std::string good = dir.write("g" + std::to_string(n), withLineEnd(text, lineEnd));
    const Columns c = scanColumns(good, detectLineTerminator(good));
    EXPECT_EQ(c.rc, 0);
    EXPECT_EQ(c.nInd, 3);
    EXPECT_EQ(c.nCols, 6);

    const std::string wrong = dir.write("b" + std::to_string(n), withLineEnd(bad, lineEnd));
    const Columns w = scanColumns(wrong, detectLineTerminator(wrong));
    EXPECT_EQ(w.rc, 1);
    EXPECT_EQ(w.message, widthMessage(2, 10, 3));
    ++n;
  }
}

TEST(FindNumberColumns, LongHeaderAndLocusRecords) {
  TempDir dir;
  // 25,000 individuals: a header of 150,000 characters and locus records of
  // 100,000, each of which must be counted whole.
  const int nInd = 25000;
  std::string header = "#";
  std::string pairs = "#";
  std::string singles = "#";
  for (int j = 0; j < nInd; ++j) {
    header += " n" + std::to_string(10000 + j);
    pairs += "1/2 ";
    singles += j % 2 ? "1 " : "0 ";
  }
  ASSERT_EQ(pairs.size(), 100001u);
  const Columns c =
      scanColumns(dir.write("i", "Individual\n" + header + "\n" + pairs + "\n" + singles + "\n"));
  EXPECT_EQ(c.rc, 0);
  EXPECT_EQ(c.nInd, nInd);
  EXPECT_EQ(c.nCols, 2 * nInd);
}

TEST(FindNumberColumns, UnreadableFile) {
  TempDir dir;
  const Columns missing = scanColumns(dir.file("absent"));
  EXPECT_EQ(missing.rc, 1);
  EXPECT_EQ(missing.message, "File " + dir.file("absent") + " could not be read");

  const Columns directory = scanColumns(dir.path());
  EXPECT_EQ(directory.rc, 1);
  EXPECT_EQ(directory.message, "File " + dir.path() + " could not be read");
}

TEST(FindNumberColumns, FileWithoutAnyHash) {
  TempDir dir;
  const Columns c = scanColumns(dir.write("i", "Individual A B C\n1 2 1 2 1 2\n"));
  EXPECT_EQ(c.rc, 0);
  EXPECT_EQ(c.nInd, 0);
  EXPECT_EQ(c.nCols, 0);
}

}  // namespace
}  // namespace parmix
