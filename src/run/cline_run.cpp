#include "run/cline_run.hpp"

#include <filesystem>
#include <fstream>
#include <locale>
#include <sstream>

#include "estimate/parallel_study.hpp"
#include "estimate/worker_pool.hpp"
#include "input/locus_labels.hpp"
#include "report/cline_writer.hpp"
#include "run/analysis_run.hpp"
#include "validate/data_set_loader.hpp"

namespace parmix {

namespace {

RunPaths reportPaths(const ClineRequest& request) {
  RunPaths paths;
  paths.parental = request.parental;
  paths.individual = request.individual;
  paths.report = request.report;
  return paths;
}

// Without a report the parental checks' notes have nowhere to go; they
// are collected and dropped.
std::ostream* openReportOrSink(const ClineRequest& request, std::ofstream& report,
                               std::ostringstream& sink, Status& status) {
  if (request.report.empty()) return &sink;
  return openRunReport(reportPaths(request), report, status) ? nullptr : &report;
}

int finishFile(std::ofstream& file, const char* what, const std::string& path, Status& status) {
  file.close();
  if (!file.fail()) return 0;
  status.fail("The %s file %s could not be written completely.", what, path.c_str());
  return status.setFault(Fault::kReport);
}

// The table is written last, so a failure before it leaves no table; one
// that names an input or the report is refused before it is opened.
int writeTable(const ClineRequest& request, const ClineResult& result, Status& status) {
  for (const std::string& input : {request.parental, request.individual, request.report}) {
    if (!input.empty() && isSameFile(request.tsv, input)) {
      status.fail("The TSV file %s is one of the input or report files; give it another name.",
                  request.tsv.c_str());
      return status.setFault(Fault::kReport);
    }
  }
  std::ofstream tsv;
  std::error_code ec;
  if (!std::filesystem::is_directory(request.tsv, ec)) tsv.open(request.tsv);
  if (!tsv.is_open()) {
    status.fail("The TSV file %s could not be opened for writing.", request.tsv.c_str());
    return status.setFault(Fault::kReport);
  }
  tsv.imbue(std::locale::classic());
  writeClineTsv(tsv, result.locusNames, result.study);
  return finishFile(tsv, "TSV", request.tsv, status);
}

// Every output of the run, in one place: the report's rows, then the table.
int writeOutputs(const ClineRequest& request, const ClineResult& result, std::ofstream& report,
                 Status& status) {
  if (report.is_open()) {
    writeClineReport(report, result.locusNames, result.study, request.qThreshold);
    if (finishFile(report, "report", request.report, status)) return 1;
  }
  if (!request.tsv.empty()) return writeTable(request, result, status);
  return 0;
}

Status analyse(const ClineRequest& request, ClineResult& result) {
  Status status;
  DataSet data;
  std::ofstream report;
  std::ostringstream sink;
  const ReportOpener opener = [&](Status& s) {
    return openReportOrSink(request, report, sink, s);
  };
  if (loadDataSet({request.parental, request.individual}, data, opener, status)) return status;
  const unsigned threads = request.threads > 0 ? request.threads : usableCores();
  const std::vector<IndividualEstimate> h = studyAllIndividuals(data, threads);
  result.study = studyAllClines(data, h, request.qThreshold, threads);
  result.locusNames = readLocusLabels(request.parental, data.parentalEol, data.nLoci);
  result.individualNames = data.indNames;
  for (const IndividualEstimate& row : h) result.h.push_back(row.h);
  writeOutputs(request, result, report, status);
  return status;
}

}  // namespace

Status runClines(const ClineRequest& request, ClineResult& result) {
  Status status;
  try {
    status = analyse(request, result);
  } catch (...) {
    status = statusOfCaughtException();
  }
  if (!status.ok()) result = ClineResult();
  return status;
}

}  // namespace parmix
