#include "report/ancestry_writer.hpp"

#include <cmath>
#include <iomanip>
#include <sstream>

namespace parmix {

namespace {

constexpr int kNumberWidth = 14;
constexpr int kClassWidth = 8;

const char* const kClassColumns[kHybridClasses] = {"lnL_pureR", "lnL_pureS", "lnL_F1",
                                                   "lnL_F2",    "lnL_BCR",   "lnL_BCS"};

void writeReportHeader(std::ostream& report, int nameWidth) {
  report << std::setw(nameWidth) << "Individual";
  for (const char* column : {"h", "h_Lower", "h_Upper", "het", "het_Lower", "het_Upper", "lnL",
                             "LR", "p_value"})
    report << std::setw(kNumberWidth) << column;
  for (const char* column : kClassColumns) report << std::setw(kNumberWidth) << column;
  report << std::setw(kClassWidth) << "Class" << std::setw(kNumberWidth) << "Margin"
         << std::setw(kClassWidth + 1) << "Assigned" << '\n';
}

void writeLimit(std::ostream& report, double value, bool cut) {
  report << std::setw(kNumberWidth) << value;
  if (cut) report << '*';
}

const char* classLabel(int bestClass) {
  return bestClass < 0 ? "-" : className(static_cast<HybridClass>(bestClass));
}

void writeReportRow(std::ostream& report, const std::string& name, const JointEstimate& row,
                    int nameWidth) {
  report << std::setw(nameWidth) << name << std::setw(kNumberWidth) << row.h;
  writeLimit(report, row.hLower, row.hCut[0]);
  writeLimit(report, row.hUpper, row.hCut[1]);
  report << std::setw(kNumberWidth) << row.het;
  writeLimit(report, row.hetLower, row.hetCut[0]);
  writeLimit(report, row.hetUpper, row.hetCut[1]);
  for (double value : {row.maxLogL, row.lrStatistic, row.lrPValue})
    report << std::setw(kNumberWidth) << value;
  for (double value : row.classLogL) report << std::setw(kNumberWidth) << value;
  report << std::setw(kClassWidth) << classLabel(row.bestClass) << std::setw(kNumberWidth)
         << row.classMargin << std::setw(kClassWidth + 1) << (row.assigned ? "yes" : "no")
         << '\n';
}

void writeReportNotes(std::ostream& report, const ClassThresholds& thresholds) {
  std::ostringstream margin;
  std::ostringstream drop;
  margin << thresholds.minMargin;
  drop << thresholds.maxDrop;
  report << "\nNote: A * symbol indicates that the support limit is truncated by the\n"
            "upper or lower limit of h or het (0 or 1).\n"
            "h: share of the genome from R; het: interclass heterozygosity, the share\n"
            "of loci with one allele copy from each parental population; limits are\n"
            "2-unit profile support limits.  LR: 2 (lnL - lnL of the hybrid-index\n"
            "model), p_value by chi-square with 1 degree of freedom (approximate near\n"
            "the sides of the triangle).  lnL_*: log-likelihood at the points of the\n"
            "classes pureR (1, 0), pureS (0, 0), F1 (0.5, 1), F2 (0.5, 0.5),\n"
            "BCR (0.75, 0.5) and BCS (0.25, 0.5) in (h, het).  Assigned: the best\n"
            "class beats the second by at least "
         << margin.str() << " units of lnL and its point lies\nwithin " << drop.str()
         << " units of lnL of the maximum." << std::endl;
}

std::string tsvNumber(double value) {
  if (std::isnan(value)) return "NA";
  if (std::isinf(value)) return value < 0 ? "-Inf" : "Inf";
  std::ostringstream text;
  text.imbue(std::locale::classic());
  text << std::setprecision(10) << value;
  return text.str();
}

std::string tsvFlag(double value, bool flag) {
  if (std::isnan(value)) return "NA";
  return flag ? "TRUE" : "FALSE";
}

// CORRECTIONS, when not empty, is the row's last field.
void writeTsvRow(std::ostream& tsv, const std::string& name, const JointEstimate& row,
                 const std::string& corrections) {
  const double defined = row.h;  // NaN exactly when the row is undefined
  tsv << name;
  for (const std::string& field :
       {tsvNumber(row.h), tsvNumber(row.hLower), tsvNumber(row.hUpper),
        tsvFlag(defined, row.hCut[0]), tsvFlag(defined, row.hCut[1]), tsvNumber(row.het),
        tsvNumber(row.hetLower), tsvNumber(row.hetUpper), tsvFlag(defined, row.hetCut[0]),
        tsvFlag(defined, row.hetCut[1]), tsvNumber(row.maxLogL), tsvNumber(row.hybridIndexH),
        tsvNumber(row.hybridIndexLogL), tsvNumber(row.lrStatistic), tsvNumber(row.lrPValue)})
    tsv << '\t' << field;
  for (double value : row.classLogL) tsv << '\t' << tsvNumber(value);
  tsv << '\t' << (row.bestClass < 0 ? "NA" : classLabel(row.bestClass)) << '\t'
      << tsvNumber(row.classMargin) << '\t' << tsvFlag(defined, row.assigned);
  if (!corrections.empty()) tsv << '\t' << corrections;
  tsv << '\n';
}

}  // namespace

void writeAncestryRows(std::ostream& report, const std::vector<std::string>& names,
                       const std::vector<JointEstimate>& rows, int nameWidth,
                       const ClassThresholds& thresholds) {
  const std::ios::fmtflags flags = report.flags();
  const std::streamsize precision = report.precision();
  writeReportHeader(report, nameWidth);
  report.precision(5);
  report.setf(std::ios::fixed | std::ios::showpoint);
  for (std::size_t j = 0; j < rows.size(); ++j) writeReportRow(report, names[j], rows[j], nameWidth);
  report.flags(flags);
  report.precision(precision);
  writeReportNotes(report, thresholds);
}

const std::vector<std::string>& ancestryTsvColumns() {
  static const std::vector<std::string> columns = {
      "name",     "h",         "h_lower",     "h_upper",      "h_lower_cut", "h_upper_cut",
      "het",      "het_lower", "het_upper",   "het_lower_cut", "het_upper_cut", "lnL",
      "hi_h",     "hi_lnL",    "lr",          "p_value",      "lnL_pureR",   "lnL_pureS",
      "lnL_F1",   "lnL_F2",    "lnL_BCR",     "lnL_BCS",      "class",       "margin",
      "assigned"};
  return columns;
}

void writeAncestryTsv(std::ostream& tsv, const std::vector<std::string>& names,
                      const std::vector<JointEstimate>& rows, const std::string& corrections) {
  const std::vector<std::string>& columns = ancestryTsvColumns();
  for (std::size_t c = 0; c < columns.size(); ++c) tsv << (c ? "\t" : "") << columns[c];
  tsv << (corrections.empty() ? "" : "\tcorrections") << '\n';
  for (std::size_t j = 0; j < rows.size(); ++j) writeTsvRow(tsv, names[j], rows[j], corrections);
  tsv.flush();
}

}  // namespace parmix
