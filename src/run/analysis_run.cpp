#include "run/analysis_run.hpp"

#include <filesystem>
#include <fstream>
#include <locale>
#include <new>
#include <utility>
#include <vector>

#include "estimate/panel_study.hpp"
#include "estimate/parallel_study.hpp"
#include "input/data_set.hpp"
#include "report/report_writer.hpp"
#include "validate/data_set_loader.hpp"

namespace parmix {

bool isSameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return std::filesystem::equivalent(a, b, ec) && !ec;
}

// Opening the report truncates it, so a report path that names an input
// file (by any path or link) is refused before anything is opened.
int openRunReport(const RunPaths& paths, std::ofstream& report, Status& status) {
  if (isSameFile(paths.report, paths.parental) || isSameFile(paths.report, paths.individual)) {
    status.fail("The report file %s is one of the input files; give the report another name.",
                paths.report.c_str());
    return status.setFault(Fault::kReport);
  }
  std::error_code ec;
  if (!std::filesystem::is_directory(paths.report, ec)) report.open(paths.report);
  if (!report.is_open()) {
    status.fail("The report file %s could not be opened for writing.", paths.report.c_str());
    return status.setFault(Fault::kReport);
  }
  report.imbue(std::locale::classic());
  writeTimestamp(report);
  return 0;
}

std::vector<IndividualEstimate> writeAllRows(DataSet& d, unsigned threads,
                                             std::ostream& report) {
  const int width = static_cast<int>(d.nameWidth);
  writeHeader(report, width);
  useRowNumberFormat(report);
  std::vector<IndividualEstimate> rows = studyAllIndividuals(d, threads);
  for (std::size_t j = 0; j < rows.size(); ++j)
    writeOutputRow(report, d.indNames[j], rows[j].h, rows[j].lowerBound, rows[j].upperBound,
                   rows[j].truncated, width);
  writeEndingRow(report);
  return rows;
}

int closeRunReport(const RunPaths& paths, std::ofstream& report, Status& status) {
  report.close();
  if (!report.fail()) return 0;
  status.fail("The report file %s could not be written completely.", paths.report.c_str());
  return status.setFault(Fault::kReport);
}

namespace {

// RESULT, when given, gets the rows with the names and the data counts of
// the data set the run read.
Status analyse(const RunPaths& paths, unsigned threads, AnalysisRows* result) {
  Status status;
  DataSet data;
  std::ofstream report;
  const ReportOpener opener = [&](Status& s) -> std::ostream* {
    return openRunReport(paths, report, s) ? nullptr : &report;
  };
  if (loadDataSet({paths.parental, paths.individual}, data, opener, status))
    return status;  // an opened report closes itself
  std::vector<IndividualEstimate> rows =
      writeAllRows(data, threads > 0 ? threads : usableCores(), report);
  if (closeRunReport(paths, report, status) || result == nullptr) return status;
  result->counts = countDataSet(data);
  result->names.assign(data.indNames.begin(), data.indNames.begin() + rows.size());
  result->rows = std::move(rows);
  return status;
}

}  // namespace

Status statusOfCaughtException() {
  Status status;
  try {
    throw;
  } catch (const std::bad_alloc&) {
    status.fail("There is not enough memory for this analysis.");
    status.setFault(Fault::kMemory);
  } catch (const std::exception& e) {
    status.fail("The analysis failed: %s", e.what());
    status.setFault(Fault::kInternal);
  } catch (...) {
    status.fail("The analysis failed for an unknown reason.");
    status.setFault(Fault::kInternal);
  }
  return status;
}

Status runAnalysis(const RunPaths& paths, unsigned threads) {
  try {
    return analyse(paths, threads, nullptr);
  } catch (...) {
    return statusOfCaughtException();
  }
}

Status runAnalysis(const RunPaths& paths, unsigned threads, AnalysisRows& result) {
  Status status;
  try {
    status = analyse(paths, threads, &result);
  } catch (...) {
    status = statusOfCaughtException();
  }
  if (!status.ok()) result = AnalysisRows();
  return status;
}

}  // namespace parmix
