// The one run of text files over every model (hybrid index, joint, clines)
// x correction (none, reference counts) x treatment of a failed report:
// the rows follow from the data's symmetry, the data counts from the
// designations, a failure leaves the report as the treatment says and no
// table, and no output may destroy an input.

#include "run/text_run.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/temp_files.hpp"

namespace parmix {
namespace {

using test::readFile;
using test::TempDir;

// Three diagnostic-leaning loci whose frequencies the counts below give
// (4 and 0 copies with a pseudo-count of 0.5: 0.9 and 0.1), symmetric
// between R and S.
const char* kParental =
    "Parental\n"
    "# type, frequencies in R, then in S\n"
    "L1 # C 0.9 0.1 0.1 0.9\n"
    "L2 # C 0.9 0.1 0.1 0.9\n"
    "L3 # C 0.9 0.1 0.1 0.9\n";
const char* kCounts =
    "pseudo-count\t0.5\nlocus\ttype\tR\tS\n"
    "L1\tC\t4 0\t0 4\nL2\tC\t4 0\t0 4\nL3\tC\t4 0\t0 4\n";
// Pure R, pure S, heterozygous everywhere, and one with a locus missing
// and one half-missing designation: the mirror images give h and 1 - h.
const char* kIndividuals =
    "Individual\n"
    "# pR pS het gap\n"
    "L1 # 1/1 2/2 1/2 1/1\n"
    "L2 # 1/1 2/2 1/2 NA/NA\n"
    "L3 # 1/1 2/2 1/2 1/NA\n";
// An allele number the parental file does not have: a failure of the
// individual checks, after the report was opened.
const char* kBadIndividuals =
    "Individual\n"
    "# pR pS het gap\n"
    "L1 # 1/1 2/2 1/2 1/1\n"
    "L2 # 1/1 2/2 1/7 NA/NA\n"
    "L3 # 1/1 2/2 1/2 1/NA\n";

struct Cell {
  TextModel model;
  bool counts;
  ReportOnFailure onFailure;
};

const Cell kCells[] = {
    {TextModel::kHybridIndex, false, ReportOnFailure::kPartial},
    {TextModel::kHybridIndex, false, ReportOnFailure::kWhole},
    {TextModel::kHybridIndex, true, ReportOnFailure::kWhole},
    {TextModel::kJoint, false, ReportOnFailure::kWhole},
    {TextModel::kJoint, true, ReportOnFailure::kWhole},
    {TextModel::kClines, false, ReportOnFailure::kWhole},
    {TextModel::kClines, false, ReportOnFailure::kPartial},
};

std::string describe(const Cell& cell) {
  const char* models[] = {"h", "joint", "clines"};
  return std::string(models[static_cast<int>(cell.model)]) + (cell.counts ? "+counts" : "") +
         (cell.onFailure == ReportOnFailure::kPartial ? " partial" : " whole");
}

class TextRun : public ::testing::Test {
 protected:
  TempDir dir;
  std::string parental = dir.write("parental.txt", kParental);
  std::string counts = dir.write("counts.tsv", kCounts);

  TextRunRequest requestFor(const Cell& cell, const std::string& individual) const {
    TextRunRequest request;
    request.parental = parental;
    request.individual = individual;
    request.model = cell.model;
    if (cell.counts) request.referenceCounts = counts;
    request.report = dir.file("report.txt");
    if (cell.model != TextModel::kHybridIndex) request.tsv = dir.file("table.tsv");
    request.threads = 2;
    request.onFailure = cell.onFailure;
    return request;
  }
};

double hOf(const TextRunResult& result, TextModel model, std::size_t j) {
  return model == TextModel::kJoint ? result.jointRows[j].h : result.rows[j].h;
}

TEST_F(TextRun, EveryCellGivesTheRowsTheDataImplyAndItsOutputs) {
  const std::string individual = dir.write("individuals.txt", kIndividuals);
  for (const Cell& cell : kCells) {
    SCOPED_TRACE(describe(cell));
    const TextRunRequest request = requestFor(cell, individual);
    TextRunResult result;
    const Status status = runTextFiles(request, result);
    ASSERT_TRUE(status.ok()) << status.message();
    ASSERT_EQ(result.names, (std::vector<std::string>{"pR", "pS", "het", "gap"}));
    // Each locus's likelihood is increasing in h for a pure R genotype,
    // so the estimates sit on the bounds; the heterozygote's likelihood is
    // symmetric about one half.
    EXPECT_DOUBLE_EQ(hOf(result, cell.model, 0), 1.0);
    EXPECT_DOUBLE_EQ(hOf(result, cell.model, 1), 0.0);
    EXPECT_NEAR(hOf(result, cell.model, 2), 0.5, 1e-6);
    const int loci[] = {3, 3, 3, 1};
    for (std::size_t j = 0; j < 4; ++j) {
      EXPECT_EQ(result.counts[j].loci, loci[j]) << j;
      EXPECT_EQ(result.counts[j].loci + result.counts[j].missing, 3) << j;
    }
    const std::string report = readFile(request.report);
    EXPECT_EQ(report.rfind("Time-stamp: ", 0), 0u);
    EXPECT_EQ(report.find("Corrections used:") != std::string::npos, cell.counts);
    if (cell.model == TextModel::kClines) {
      EXPECT_EQ(result.locusNames.size(), 3u);
      EXPECT_EQ(result.clines.loci.size(), 3u);
    }
    if (!request.tsv.empty()) {
      EXPECT_FALSE(readFile(request.tsv).empty());
    }
  }
}

TEST_F(TextRun, AFailureLeavesTheReportAsTheRequestSaysAndNoTable) {
  const std::string bad = dir.write("bad.txt", kBadIndividuals);
  for (const Cell& cell : kCells) {
    SCOPED_TRACE(describe(cell));
    const TextRunRequest request = requestFor(cell, bad);
    dir.write("report.txt", "earlier report\n");
    std::remove(dir.file("table.tsv").c_str());
    TextRunResult result;
    result.names.push_back("left over");
    const Status status = runTextFiles(request, result);
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.fault(), Fault::kIndividual);
    EXPECT_TRUE(result.names.empty());
    const std::string report = readFile(request.report);
    if (cell.onFailure == ReportOnFailure::kPartial) {
      EXPECT_EQ(report.rfind("Time-stamp: ", 0), 0u) << report;
    } else {
      EXPECT_EQ(report, "earlier report\n");
    }
    EXPECT_EQ(readFile(dir.file("table.tsv")), "");
  }
}

TEST_F(TextRun, NoOutputMayNameAnInput) {
  const std::string individual = dir.write("individuals.txt", kIndividuals);
  for (const Cell& cell : kCells) {
    SCOPED_TRACE(describe(cell));
    struct Aim {
      const char* what;
      std::string TextRunRequest::*output;
      std::string target;
    };
    std::vector<Aim> aims = {{"report at the individuals", &TextRunRequest::report, individual}};
    if (cell.counts)
      aims.push_back({"report at the counts", &TextRunRequest::report, counts});
    if (cell.model != TextModel::kHybridIndex) {
      aims.push_back({"table at the parental file", &TextRunRequest::tsv, parental});
      aims.push_back({"table at the report", &TextRunRequest::tsv, dir.file("report.txt")});
    }
    for (const Aim& aim : aims) {
      SCOPED_TRACE(aim.what);
      dir.write("report.txt", "earlier report\n");
      TextRunRequest request = requestFor(cell, individual);
      request.*aim.output = aim.target;
      TextRunResult result;
      const Status status = runTextFiles(request, result);
      ASSERT_FALSE(status.ok());
      EXPECT_EQ(status.fault(), Fault::kReport);
      EXPECT_EQ(readFile(individual), kIndividuals);
      EXPECT_EQ(readFile(parental), kParental);
      EXPECT_EQ(readFile(counts), kCounts);
      EXPECT_EQ(readFile(dir.file("report.txt")), "earlier report\n");
    }
  }
}

}  // namespace
}  // namespace parmix
