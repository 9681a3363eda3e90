#include "input/reference_counts.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input/record_writer.hpp"
#include "support/temp_files.hpp"

namespace parmix {
namespace {

using test::TempDir;
using test::withLineEnd;

const std::string kHead = "pseudo-count\t0.5\nlocus\ttype\tR\tS\n";

TEST(ReferenceCounts, ReadsCommentsRowsAndMarksOfAllelesSeenNowhere) {
  const std::string text =
      "# counts behind parental.txt\n"
      "\n" + kHead +
      "Adh 1\tC\t3 - 1\t0 - 3\n"
      "# a comment between rows\n"
      "RAPD\tD\t2 1\t1 2\n";
  // Both line ends, and a byte-order mark before the first line.
  const std::pair<const char*, const char*> variants[] = {
      {"", "\n"}, {"", "\r\n"}, {"\xEF\xBB\xBF", "\n"}, {"\xEF\xBB\xBF", "\r\n"}};
  for (const auto& [start, end] : variants) {
    TempDir dir;
    const ReferenceCounts counts =
        readReferenceCounts(dir.write("c.tsv", start + withLineEnd(text, end)));
    EXPECT_EQ(counts.pseudoCount, 0.5);
    ASSERT_EQ(counts.loci.size(), 2u);
    EXPECT_EQ(counts.loci[0].label, "Adh 1");
    EXPECT_EQ(counts.loci[0].type, 'C');
    EXPECT_EQ(counts.loci[0].line, 5);
    EXPECT_EQ(counts.loci[0].r, (std::vector<double>{3, kSeenNowhere, 1}));
    EXPECT_EQ(counts.loci[0].s, (std::vector<double>{0, kSeenNowhere, 3}));
    EXPECT_EQ(counts.loci[1].type, 'D');
    EXPECT_EQ(counts.loci[1].line, 7);
    EXPECT_EQ(counts.loci[1].s, (std::vector<double>{1, 2}));
  }
}

// Every fault is told once, naming the file and the line it is on.
TEST(ReferenceCounts, RefusesEachFaultNamingItsLine) {
  const struct {
    std::string text;
    int line;
    const char* what;
  } cases[] = {
      {"", 0, "the file ends before its pseudo-count line"},
      {"pseudo-count\t-1\n", 1, "is not \"pseudo-count\", a tab and a number of 0 or more"},
      {"pseudo-count\tnan\n", 1, "is not \"pseudo-count\""},
      {"pseudo-count 0.5\n", 1, "is not \"pseudo-count\""},
      {"pseudo-count\t0\nlocus type R S\n", 2, "is not the header"},
      {kHead, 2, "the file ends before its first locus row"},
      {kHead + "L1\tC\t1 2\n", 3, "has 3 tab-separated fields"},
      {kHead + "L1\tB\t1 2\t2 1\n", 3, "the locus type is not C or D"},
      {kHead + "L1\tC\t1 x\t2 1\n", 3, "the count \"x\" in R is not a number of 0 or more nor -"},
      {kHead + "L1\tC\t1 2\t2 -1\n", 3, "the count \"-1\" in S"},
      {kHead + "L1\tC\t1 2\t2 1e999\n", 3, "the count \"1e999\" in S"},
      {kHead + "L1\tD\t1 -\t2 1\n", 3, "the count \"-\" in R is not a number of 0 or more"},
      {kHead + "L1\tC\t1 2 3\t2 1\n", 3, "R has 3 counts and S 2"},
      {kHead + "L1\tD\t1 2 3\t2 1 1\n", 3, "a dominant locus needs two counts"},
      {kHead + "L1\tC\t\t\n", 3, "a codominant locus needs a count for each allele"},
      {kHead + "L1\tC\t1 -\t2 1\n", 3, "allele 2 is marked - (seen nowhere) in one population only"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    const std::string path = dir.write("c.tsv", c.text);
    try {
      readReferenceCounts(path);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const InputError& e) {
      const std::string where =
          "On line " + std::to_string(c.line) + " of the reference counts file " + path + ", ";
      EXPECT_EQ(std::string(e.what()).rfind(where, 0), 0u) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.what), std::string::npos) << e.what();
    }
  }
}

// A missing file, a folder and a device that would never end.
TEST(ReferenceCounts, WhatIsNoFileIsRefusedByName) {
  TempDir dir;
  for (const std::string& path : {dir.file("missing.tsv"), dir.path(), std::string("/dev/zero")}) {
    try {
      readReferenceCounts(path);
      ADD_FAILURE() << path;
    } catch (const InputError& e) {
      EXPECT_EQ(std::string(e.what()),
                "The reference counts file " + path + " could not be opened as a file.");
    }
  }
}

}  // namespace
}  // namespace parmix
