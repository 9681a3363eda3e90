#include "report/cline_writer.hpp"

#include <algorithm>
#include <cmath>
#include <iomanip>
#include <cstdio>
#include <map>

namespace parmix {

namespace {

constexpr int kNumberWidth = 12;
constexpr int kCountWidth = 7;
constexpr const char* kPending = "pending";

// The writers take each row's label from a NameOf(k) of row k: the data
// set's labels by the row's locus, or the merge's labels one per row.
struct ByLocus {
  const std::vector<std::string>& names;
  const ClineStudy& study;
  const std::string& operator()(std::size_t k) const {
    return names[static_cast<std::size_t>(study.loci[k])];
  }
};

struct ByRow {
  const std::vector<std::string>& names;
  const std::string& operator()(std::size_t k) const { return names[k]; }
};

template <class NameOf>
int nameWidthOf(NameOf nameOf, const ClineStudy& study) {
  std::size_t width = 10;
  for (std::size_t k = 0; k < study.rows.size(); ++k)
    width = std::max(width, nameOf(k).size() + 2);
  return static_cast<int>(width);
}

void writeHeader(std::ostream& report, int nameWidth) {
  report << std::left << std::setw(nameWidth) << "Locus" << std::right;
  report << std::setw(kCountWidth) << "N";
  for (const char* column : {"v", "v_Lower", "v_Upper", "centre", "c_Lower", "c_Upper", "lnL",
                             "lnL_neutral", "LR", "p_value", "q_value"})
    report << std::setw(kNumberWidth) << column;
  report << "  Category\n";
}

void writeLimit(std::ostream& report, double value, bool cut) {
  report << std::setw(kNumberWidth) << value;
  if (cut) report << '*';
}

// PENDING: a shard's row, whose q-value and category the merge gives.
void writeRow(std::ostream& report, const std::string& name, const ClineEstimate& row,
              int nameWidth, bool pending = false) {
  report << std::left << std::setw(nameWidth) << name << std::right << std::setw(kCountWidth)
         << row.individuals << std::fixed << std::setprecision(5) << std::setw(kNumberWidth)
         << row.v;
  writeLimit(report, row.vLower, row.vCut[0]);
  writeLimit(report, row.vUpper, row.vCut[1]);
  report << std::setw(kNumberWidth) << row.centre;
  writeLimit(report, row.centreLower, row.centreCut[0]);
  writeLimit(report, row.centreUpper, row.centreCut[1]);
  for (double value : {row.logL, row.neutralLogL, row.lr}) report << std::setw(kNumberWidth) << value;
  report << std::scientific << std::setprecision(3) << std::setw(kNumberWidth) << row.pValue;
  if (pending) {
    report << std::setw(kNumberWidth) << kPending << "  " << kPending << '\n';
    return;
  }
  report << std::setw(kNumberWidth) << row.qValue;
  report << "  " << clineCategoryName(row.category) << '\n';
}

void writeNotes(std::ostream& report, const ClineStudy& study, double threshold) {
  std::map<std::string, int> counts;
  for (const ClineEstimate& row : study.rows) ++counts[clineCategoryName(row.category)];
  report << std::defaultfloat << std::setprecision(6);
  report << "\nNote: A * symbol indicates that the support limit is cut at the end of\n"
            "the range searched (v from "
         << kClineMinV << " to " << kClineMaxV << ", centre from " << kClineMinCentre << " to "
         << 1 - kClineMinCentre
         << ").\n"
            "Each locus's share of R ancestry is phi = h^v / (h^v + (1-h)^v e^u) with\n"
            "u = v logit(centre); the neutral cline (v = 1, centre = 0.5) is phi = h.\n"
            "Limits are 2-unit profile support limits; LR tests against the neutral\n"
            "cline (chi-square, 2 degrees of freedom); q-values control the false\n"
            "discovery rate over the loci (Benjamini-Hochberg).  A category other than\n"
            "neutral needs a q-value of at most "
         << threshold
         << "; steep and shallow need v's limits\n"
            "above or below 1, R-shift and S-shift the centre's limits below or above\n"
            "0.5 (R-shift: more R ancestry at the locus than in the genome).\n";
  report << "Loci fitted: " << study.rows.size() << "; left out by the parental checks: "
         << study.lociExcluded << ".\n";
  report << "Individuals used: " << study.individualsUsed
         << "; left out without an estimate of h: " << study.individualsLeftOut << ".\n";
  report << "Loci by category:";
  for (const auto& [name, count] : counts) report << ' ' << name << ' ' << count << ';';
  report << '\n';
}

std::string tsvNumber(double value) {
  if (std::isnan(value)) return "NA";
  if (std::isinf(value)) return value > 0 ? "Inf" : "-Inf";
  char text[32];
  std::snprintf(text, sizeof text, "%.10g", value);
  return text;
}

std::string tsvFlag(bool flag, double limit) {
  if (std::isnan(limit)) return "NA";
  return flag ? "TRUE" : "FALSE";
}

template <class NameOf>
void writeReport(std::ostream& report, NameOf nameOf, const ClineStudy& study, double threshold,
                 bool pending) {
  const std::ios::fmtflags flags = report.flags();
  const std::streamsize precision = report.precision();
  const int nameWidth = nameWidthOf(nameOf, study);
  writeHeader(report, nameWidth);
  for (std::size_t k = 0; k < study.rows.size(); ++k)
    writeRow(report, nameOf(k), study.rows[k], nameWidth, pending);
  if (!pending) writeNotes(report, study, threshold);
  report.flags(flags);
  report.precision(precision);
}

template <class NameOf>
void writeTsv(std::ostream& tsv, NameOf nameOf, const ClineStudy& study) {
  const std::vector<std::string>& columns = clineTsvColumns();
  const bool bootstrap = study.bootstrapReplicates > 0;
  for (std::size_t c = 0; c < columns.size(); ++c) tsv << (c ? "\t" : "") << columns[c];
  tsv << (bootstrap ? "\tbootstrap_p_value\n" : "\n");
  for (std::size_t k = 0; k < study.rows.size(); ++k) {
    const ClineEstimate& r = study.rows[k];
    tsv << nameOf(k) << '\t' << study.loci[k] + 1 << '\t' << r.individuals;
    const std::string cells[] = {
        tsvNumber(r.v), tsvNumber(r.vLower), tsvNumber(r.vUpper), tsvFlag(r.vCut[0], r.vLower),
        tsvFlag(r.vCut[1], r.vUpper), tsvNumber(r.centre), tsvNumber(r.centreLower),
        tsvNumber(r.centreUpper), tsvFlag(r.centreCut[0], r.centreLower),
        tsvFlag(r.centreCut[1], r.centreUpper), tsvNumber(r.u), tsvNumber(r.logL),
        tsvNumber(r.neutralLogL), tsvNumber(r.lr), tsvNumber(r.pValue), tsvNumber(r.qValue),
        clineCategoryName(r.category)};
    for (const std::string& cell : cells) tsv << '\t' << cell;
    if (bootstrap) tsv << '\t' << tsvNumber(r.bootstrapP);
    tsv << '\n';
  }
}

}  // namespace

void writeClineReport(std::ostream& report, const std::vector<std::string>& names,
                      const ClineStudy& study, double threshold) {
  writeReport(report, ByLocus{names, study}, study, threshold, false);
}

void writeClineReportByRow(std::ostream& report, const std::vector<std::string>& rowNames,
                           const ClineStudy& study, double threshold) {
  writeReport(report, ByRow{rowNames}, study, threshold, false);
}

void writeClinePendingRows(std::ostream& report, const std::vector<std::string>& rowNames,
                           const ClineStudy& study) {
  writeReport(report, ByRow{rowNames}, study, 0.0, true);
}

const std::vector<std::string>& clineTsvColumns() {
  static const std::vector<std::string> columns{
      "locus",          "row",          "individuals",  "v",           "v_lower",
      "v_upper",        "v_lower_cut",  "v_upper_cut",  "centre",      "centre_lower",
      "centre_upper",   "centre_lower_cut", "centre_upper_cut", "u",   "lnL",
      "lnL_neutral",    "LR",           "p_value",      "q_value",     "category"};
  return columns;
}

void writeClineTsv(std::ostream& tsv, const std::vector<std::string>& names,
                   const ClineStudy& study) {
  writeTsv(tsv, ByLocus{names, study}, study);
}

void writeClineTsvByRow(std::ostream& tsv, const std::vector<std::string>& rowNames,
                        const ClineStudy& study) {
  writeTsv(tsv, ByRow{rowNames}, study);
}

}  // namespace parmix
