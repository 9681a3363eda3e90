// Splitting and merging shard reports: the parts of a report, and the
// refusals of anything that is not a report or not from the same run.

#include "report/report_merge.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "input/errors.hpp"
#include "report/report_writer.hpp"

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

// A row as the report writer writes it, in a name column of 10.
std::string row(const std::string& name, double h, double lower, double upper,
                bool lowerCut = false) {
  std::ostringstream text;
  useRowNumberFormat(text);
  const bool cut[2] = {lowerCut, false};
  writeOutputRow(text, name, h, lower, upper, cut, 10);
  return text.str();
}

// The report of shard K of N holding ROWS (COUNT of them) of TOTAL, after
// the first AFTER.
std::string shardReport(const std::string& stamp, int k, int n, int count, int total, int after,
                        const std::string& rows) {
  const std::string note = "Shard " + std::to_string(k) + " of " + std::to_string(n) + ": " +
                           std::to_string(count) + " of " + std::to_string(total) +
                           " study individuals, after the first " + std::to_string(after) +
                           ".\n\n";
  const std::size_t header = kPreamble.find("Individual");
  return "Time-stamp: " + stamp + "\n" + kPreamble.substr(0, header) + note +
         kPreamble.substr(header) + rows + kEnding;
}

const std::string kA = row("a", 0.5, 0.25, 0.75);
const std::string kB = row("b", 0.0, 0.0, 0.125, true);
const std::string kC = row("c", std::nan(""), std::nan(""), std::nan(""));

TEST(ReportMerge, SplitsAReportIntoItsParts) {
  const ReportParts parts = splitReport(report("Mon", "a 1\nb 2\n"), "r.txt");
  EXPECT_EQ(parts.timestamp, "Time-stamp: Mon\n");
  EXPECT_EQ(parts.preamble, kPreamble);
  EXPECT_EQ(parts.rows, "a 1\nb 2\n");
  EXPECT_EQ(parts.ending, kEnding);
  EXPECT_EQ(parts.shard.index, 0);
  EXPECT_EQ(parts.firstRowLine, 7);
  EXPECT_EQ(splitReport(report("Mon", ""), "r.txt").rows, "");
  const ReportParts shard = splitReport(shardReport("Mon", 2, 3, 1, 4, 2, kC), "s.txt");
  EXPECT_EQ(shard.preamble, kPreamble);
  EXPECT_EQ(shard.rows, kC);
  EXPECT_EQ(shard.firstRowLine, 9);
  const long place[] = {shard.shard.index, shard.shard.count, shard.shard.rows,
                        shard.shard.total, shard.shard.after};
  EXPECT_EQ(std::vector<long>(place, place + 5), (std::vector<long>{2, 3, 1, 4, 2}));
}

TEST(ReportMerge, JoinsTheRowsInShardOrderUnderOneTimeStamp) {
  const std::vector<ReportParts> shards = {
      splitReport(shardReport("Mon", 1, 3, 1, 3, 0, kA), "1"),
      splitReport(shardReport("Tue", 2, 3, 0, 3, 1, ""), "2"),
      splitReport(shardReport("Wed", 3, 3, 2, 3, 1, kB + kC), "3")};
  EXPECT_EQ(mergeReports(shards, {"1", "2", "3"}, "Time-stamp: Thu\n"),
            report("Thu", kA + kB + kC));
}

// Shards that are not the parts of one run, whole and in order: each case
// is merged from reports 1.txt, 2.txt (and 3.txt).
TEST(ReportMerge, RefusesShardsThatAreNotTheWholeRunInOrder) {
  struct Case {
    std::vector<std::string> texts;
    std::string message;
  };
  const std::string one = shardReport("x", 1, 2, 1, 2, 0, kA);
  const std::string two = shardReport("y", 2, 2, 1, 2, 1, kB);
  std::string edited = kB.substr(0, kB.size() - 1);
  edited[edited.find("0.0")] = 'x';
  const auto notARow = [](const std::string& shown) {
    return "Line 9 of 2.txt is not a row as parmix writes it: \"" + shown + "\"";
  };
  const std::string order = "give the reports of shards 1/N to N/N, each once, in that order";
  const Case cases[] = {
      {{one, report("y", kB)},
       "File 2.txt is not the report of a shard: it has no shard note (parmix --vcf ... "
       "--shard K/N writes one)"},
      {{one}, "File 1.txt is shard 1 of 2, but 1 reports were given: " + order},
      {{one, two, shardReport("z", 3, 3, 0, 2, 2, "")},
       "File 1.txt is shard 1 of 2, but 3 reports were given: " + order},
      {{two, one}, "File 1.txt is shard 2 of 2 where shard 1 belongs: " + order},
      {{one, shardReport("y", 2, 2, 1, 3, 1, kB)},
       "File 2.txt is shard 2 of 2 of 3 study individuals, after the first 1, which does not "
       "follow shard 1 of 1.txt: the reports do not come from shards of one run"},
      {{one, shardReport("y", 2, 2, 1, 2, 0, kB)},
       "File 2.txt is shard 2 of 2 of 2 study individuals, after the first 0, which does not "
       "follow shard 1 of 1.txt: the reports do not come from shards of one run"},
      {{one, shardReport("y", 2, 2, 0, 2, 1, "")},
       "The shards' reports hold 1 of 2 study individuals: " + order},
      {{one, shardReport("y", 2, 2, 1, 2, 1, "")},
       "File 2.txt holds 0 rows where its shard note gives 1: rows were lost or added"},
      {{one, shardReport("y", 2, 2, 1, 2, 1, kB + kC)},
       "File 2.txt holds 2 rows where its shard note gives 1: rows were lost or added"},
      {{one, shardReport("y", 2, 2, 1, 2, 1, edited + "\n")}, notARow(edited)},
      {{one, shardReport("y", 2, 2, 1, 2, 1, kB.substr(0, kB.size() - 1) + " 1\n")},
       notARow(kB.substr(0, kB.size() - 1) + " 1")},
      {{one, shardReport("y", 2, 2, 1, 2, 1, kB.substr(0, kB.size() - 2) + "01\n")},
       notARow(kB.substr(0, kB.size() - 2) + "01")},
      {{one, shardReport("y", 2, 2, 1, 2, 1, "b " + std::string(100, 'x') + "\n")},
       notARow("b " + std::string(58, 'x') + "\u2026")},
  };
  for (const Case& c : cases) {
    std::vector<ReportParts> parts;
    std::vector<std::string> paths;
    for (std::size_t k = 0; k < c.texts.size(); ++k) {
      paths.push_back(std::to_string(k + 1) + ".txt");
      parts.push_back(splitReport(c.texts[k], paths.back()));
    }
    try {
      mergeReports(parts, paths, "Time-stamp: z\n");
      ADD_FAILURE() << "merged: " << c.message;
    } catch (const importer::InputError& error) {
      EXPECT_EQ(error.what(), c.message);
    }
  }
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
      // The header's own line break taken as the closing note's first line.
      {"Time-stamp: x\nIndividual h Lower_Bound Upper_Bound" + kEnding,
       "File s.txt is not a complete parmix report"},
  };
  for (const Bad& b : bad) {
    try {
      splitReport(b.text, "s.txt");
      ADD_FAILURE() << "accepted: " << b.text;
    } catch (const importer::InputError& error) {
      EXPECT_EQ(error.what(), b.message);
    }
  }
  const ReportParts twice = splitReport(shardReport("x", 1, 2, 2, 4, 0, kA + kB), "1");
  try {
    mergeReports({twice, splitReport(shardReport("y", 2, 2, 2, 4, 2, kC + kB), "2")},
                 {"1.txt", "2.txt"}, "Time-stamp: y\n");
    ADD_FAILURE() << "a repeated row was merged";
  } catch (const importer::InputError& error) {
    EXPECT_EQ(std::string(error.what()),
              "Individual b has a row in both 1.txt and 2.txt: give each shard's report once");
  }
  // A damaged name shows no NUL (which would end the printed message
  // before the files) and no more than 40 characters.
  const std::string damaged = std::string("x\0y", 3) + std::string(50, 'z');
  try {
    mergeReports({splitReport(shardReport("x", 1, 2, 1, 2, 0, row(damaged, 0.5, 0.25, 0.75)), "1"),
                  splitReport(shardReport("y", 2, 2, 1, 2, 1, row(damaged, 0.5, 0.25, 0.75)), "2")},
                 {"1.txt", "2.txt"}, "Time-stamp: y\n");
    ADD_FAILURE() << "a repeated row was merged";
  } catch (const importer::InputError& error) {
    EXPECT_EQ(std::string(error.what()), "Individual x?y" + std::string(37, 'z') +
                                             "... has a row in both 1.txt and 2.txt: give each "
                                             "shard's report once");
  }
  const ReportParts one = splitReport(shardReport("x", 1, 2, 1, 2, 0, kA), "1");
  ReportParts other = splitReport(shardReport("y", 2, 2, 1, 2, 1, kB), "2");
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
