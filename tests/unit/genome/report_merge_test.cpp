// Splitting and merging shard reports: the parts of a report, and the
// refusals of anything that is not a report or not from the same run.

#include "report_merge.hpp"

#include <gtest/gtest.h>

#include "errors.hpp"

namespace parmix::genome {
namespace {

const std::string kEnding =
    "\nNote: A * symbol indicates that the confidence interval is truncated by\n"
    "the upper or lower limit for h.\n";
const std::string kPreamble =
    "\n\nThe locus in row 2 (of the parental file) was not used\n\n"
    "Individual             h   Lower_Bound   Upper_Bound\n";

std::string report(const std::string& stamp, const std::string& rows) {
  return "Time-stamp: " + stamp + "\n" + kPreamble + rows + kEnding;
}

TEST(ReportMerge, SplitsAReportIntoItsParts) {
  const ReportParts parts = splitReport(report("Mon", "a 1\nb 2\n"), "r.txt");
  EXPECT_EQ(parts.timestamp, "Time-stamp: Mon\n");
  EXPECT_EQ(parts.preamble, kPreamble);
  EXPECT_EQ(parts.rows, "a 1\nb 2\n");
  EXPECT_EQ(parts.ending, kEnding);
  EXPECT_EQ(splitReport(report("Mon", ""), "r.txt").rows, "");
}

TEST(ReportMerge, JoinsTheRowsInShardOrderUnderOneTimeStamp) {
  const std::vector<ReportParts> shards = {splitReport(report("Mon", "a 1\n"), "1"),
                                           splitReport(report("Tue", ""), "2"),
                                           splitReport(report("Wed", "b 2\nc 3\n"), "3")};
  EXPECT_EQ(mergeReports(shards, {"1", "2", "3"}, "Time-stamp: Thu\n"),
            report("Thu", "a 1\nb 2\nc 3\n"));
}

TEST(ReportMerge, RefusesWhatIsNotAReportOrNotFromOneRun) {
  struct Bad {
    std::string text;
    std::string message;
  };
  const Bad bad[] = {
      {"", "File s.txt is not a complete parmix report"},
      {"Time-stamp: x\nrows\n", "File s.txt is not a complete parmix report"},
      {"Time-stamp: x\n\nno header\n" + kEnding, "File s.txt holds no header line of a parmix report"},
      {report("x", "a 1\n").substr(1), "File s.txt is not a complete parmix report"},
  };
  for (const Bad& b : bad) {
    try {
      splitReport(b.text, "s.txt");
      ADD_FAILURE() << "accepted: " << b.text;
    } catch (const importer::InputError& error) {
      EXPECT_EQ(error.what(), b.message);
    }
  }
  const ReportParts twice = splitReport(report("x", "a 1\nb 2\n"), "1");
  try {
    mergeReports({twice, splitReport(report("y", "c 3\nb 2\n"), "2")}, {"1.txt", "2.txt"},
                 "Time-stamp: y\n");
    ADD_FAILURE() << "a repeated row was merged";
  } catch (const importer::InputError& error) {
    EXPECT_EQ(std::string(error.what()),
              "Individual b has a row in both 1.txt and 2.txt: give each shard's report once");
  }
  // A damaged name shows no NUL (which would end the printed message
  // before the files) and no more than 40 characters.
  const std::string damaged = std::string("x\0y", 3) + std::string(50, 'z');
  try {
    mergeReports({splitReport(report("x", damaged + " 1\n"), "1"),
                  splitReport(report("y", damaged + " 1\n"), "2")},
                 {"1.txt", "2.txt"}, "Time-stamp: y\n");
    ADD_FAILURE() << "a repeated row was merged";
  } catch (const importer::InputError& error) {
    EXPECT_EQ(std::string(error.what()), "Individual x?y" + std::string(37, 'z') +
                                             "... has a row in both 1.txt and 2.txt: give each "
                                             "shard's report once");
  }
  const ReportParts one = splitReport(report("x", "a 1\n"), "1");
  ReportParts other = one;
  other.preamble = "\nIndividual    h   Lower_Bound   Upper_Bound\n";
  try {
    mergeReports({one, other}, {"1.txt", "2.txt"}, "Time-stamp: y\n");
    ADD_FAILURE();
  } catch (const importer::InputError& error) {
    EXPECT_EQ(std::string(error.what()),
              "The notes or the header of 2.txt differ from those of 1.txt: the reports do not "
              "come from shards of one run");
  }
}

}  // namespace
}  // namespace parmix::genome
