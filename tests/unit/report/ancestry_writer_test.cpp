#include "report/ancestry_writer.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace parmix {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// A pure-R individual at its corner: both limits cut at the edges of the
// triangle, one class impossible, assigned.
JointEstimate pureRow() {
  JointEstimate row;
  row.h = 1.0;
  row.hLower = 0.606530659713;
  row.hUpper = 1.0;
  row.hCut[0] = false;
  row.hCut[1] = true;
  row.het = 0.0;
  row.hetLower = 0.0;
  row.hetUpper = 0.393469340287;
  row.hetCut[0] = true;
  row.hetCut[1] = false;
  row.maxLogL = 0.0;
  row.hybridIndexH = 1.0;
  row.hybridIndexLogL = 0.0;
  row.lrStatistic = 0.0;
  row.lrPValue = 1.0;
  row.classLogL = {0.0, -kInf, -5.545177444479562, -2.772588722239781, -2.772588722239781,
                   -5.545177444479562};
  row.bestClass = static_cast<int>(HybridClass::PureR);
  row.classMargin = 2.772588722239781;
  row.assigned = true;
  return row;
}

// What the study gives an individual without data.
JointEstimate undefinedRow() {
  JointEstimate row;
  row.h = row.hLower = row.hUpper = row.het = row.hetLower = row.hetUpper = kNaN;
  row.hCut[0] = row.hCut[1] = row.hetCut[0] = row.hetCut[1] = false;
  row.maxLogL = row.hybridIndexH = row.hybridIndexLogL = row.lrStatistic = row.lrPValue = kNaN;
  row.classLogL.fill(kNaN);
  row.bestClass = -1;
  row.classMargin = kNaN;
  row.assigned = false;
  return row;
}

const std::vector<std::string> kNames = {"pure", "nothing"};

TEST(AncestryWriter, ReportRowsAreFixedWidthWithCutMarksAndNan) {
  std::ostringstream out;
  writeAncestryRows(out, kNames, {pureRow(), undefinedRow()}, 10, ClassThresholds());
  const std::string text = out.str();
  const std::string expected =
      "Individual             h       h_Lower       h_Upper           het     het_Lower"
      "     het_Upper           lnL            LR       p_value     lnL_pureR     lnL_pureS"
      "        lnL_F1        lnL_F2       lnL_BCR       lnL_BCS   Class        Margin"
      " Assigned\n"
      "      pure       1.00000       0.60653       1.00000*       0.00000       0.00000*"
      "       0.39347       0.00000       0.00000       1.00000       0.00000          -inf"
      "      -5.54518      -2.77259      -2.77259      -5.54518   pureR       2.77259      yes\n"
      "   nothing           nan           nan           nan           nan           nan"
      "           nan           nan           nan           nan           nan           nan"
      "           nan           nan           nan           nan       -           nan       no\n"
      "\nNote: A * symbol indicates that the support limit is truncated by the\n";
  EXPECT_EQ(text.substr(0, expected.size()), expected);
  EXPECT_NE(text.find("by at least 2 units of lnL and its point lies\nwithin 2 units"),
            std::string::npos);
}

TEST(AncestryWriter, NotesStateTheThresholdsGiven) {
  std::ostringstream out;
  ClassThresholds thresholds;
  thresholds.minMargin = 3.5;
  thresholds.maxDrop = 1;
  writeAncestryRows(out, kNames, {pureRow(), undefinedRow()}, 10, thresholds);
  EXPECT_NE(out.str().find("by at least 3.5 units of lnL and its point lies\nwithin 1 units"),
            std::string::npos);
}

TEST(AncestryWriter, ReportLeavesTheStreamFormatAsItWas) {
  std::ostringstream out;
  out << 0.25 << ' ';
  writeAncestryRows(out, kNames, {pureRow()}, 10, ClassThresholds());
  out << 0.25;
  const std::string text = out.str();
  EXPECT_EQ(text.substr(0, 5), "0.25 ");
  EXPECT_EQ(text.substr(text.size() - 5), "\n0.25");
}

TEST(AncestryWriter, TableHasHeaderNaInfAndLogicalFlags) {
  std::ostringstream out;
  writeAncestryTsv(out, kNames, {pureRow(), undefinedRow()});
  const std::string expected =
      "name\th\th_lower\th_upper\th_lower_cut\th_upper_cut\thet\thet_lower\thet_upper\t"
      "het_lower_cut\thet_upper_cut\tlnL\thi_h\thi_lnL\tlr\tp_value\tlnL_pureR\tlnL_pureS\t"
      "lnL_F1\tlnL_F2\tlnL_BCR\tlnL_BCS\tclass\tmargin\tassigned\n"
      "pure\t1\t0.6065306597\t1\tFALSE\tTRUE\t0\t0\t0.3934693403\tTRUE\tFALSE\t0\t1\t0\t0\t1\t"
      "0\t-Inf\t-5.545177444\t-2.772588722\t-2.772588722\t-5.545177444\tpureR\t2.772588722\t"
      "TRUE\n"
      "nothing\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\tNA\t"
      "NA\tNA\tNA\tNA\n";
  EXPECT_EQ(out.str(), expected);
}

TEST(AncestryWriter, TableMarginOfAnImpossibleRivalIsInf) {
  JointEstimate row = pureRow();
  row.classMargin = kInf;
  std::ostringstream out;
  writeAncestryTsv(out, {"x"}, {row});
  EXPECT_NE(out.str().find("\tpureR\tInf\tTRUE\n"), std::string::npos);
}

TEST(AncestryWriter, ColumnsOfTheHeaderMatchEveryRow) {
  std::ostringstream out;
  writeAncestryTsv(out, kNames, {pureRow(), undefinedRow()});
  std::istringstream lines(out.str());
  std::string line;
  while (std::getline(lines, line)) {
    std::size_t tabs = 0;
    for (char c : line) tabs += c == '\t';
    EXPECT_EQ(tabs + 1, ancestryTsvColumns().size()) << line;
  }
}

// The corrections' tags go in a last column of every row, after the
// columns of the plain table, which are written as without them.
TEST(AncestryWriter, CorrectionsAddALastColumnToEveryRow) {
  const std::string tags = "genotype-likelihoods=PL,reference-frequencies=gl,reference-uncertainty";
  std::ostringstream plain, corrected;
  writeAncestryTsv(plain, kNames, {pureRow(), undefinedRow()});
  writeAncestryTsv(corrected, kNames, {pureRow(), undefinedRow()}, tags);
  std::istringstream plainLines(plain.str()), correctedLines(corrected.str());
  std::string plainLine, correctedLine;
  int lines = 0;
  while (std::getline(plainLines, plainLine)) {
    ASSERT_TRUE(std::getline(correctedLines, correctedLine));
    const std::string last = lines++ == 0 ? "corrections" : tags;
    EXPECT_EQ(correctedLine, plainLine + "\t" + last);
  }
  EXPECT_EQ(lines, 3);
  EXPECT_FALSE(std::getline(correctedLines, correctedLine));
}

}  // namespace
}  // namespace parmix
