#include "run/cline_run.hpp"

#include <locale>
#include <memory>
#include <sstream>

#include "estimate/parallel_study.hpp"
#include "estimate/worker_pool.hpp"
#include "input/locus_labels.hpp"
#include "report/cline_writer.hpp"
#include "report/report_writer.hpp"
#include "run/analysis_run.hpp"
#include "run/run_outputs.hpp"
#include "validate/data_set_loader.hpp"

namespace parmix {

namespace {

std::vector<NamedPath> outputsOf(const ClineRequest& request) {
  return {{"report file", request.report}, {"table file", request.tsv}};
}

std::vector<NamedPath> inputsOf(const ClineRequest& request) {
  return {{"parental file", request.parental}, {"individual file", request.individual}};
}

// Both outputs are opened before the study, so that one that cannot be
// written is told before the work; each takes its path only when whole,
// the table last, so a failure before it leaves no new table.
struct Outputs {
  std::unique_ptr<OutputFile> report;
  std::unique_ptr<OutputFile> table;
};

int openOutputs(const ClineRequest& request, Outputs& files, Status& status) {
  const std::vector<NamedPath> outputs = outputsOf(request);
  if (refuseClashes(outputs, inputsOf(request), status)) return 1;
  files.report = openOutput(outputs[0], status);
  if (!status.ok()) return 1;
  files.table = openOutput(outputs[1], status);
  return status.ok() ? 0 : 1;
}

std::string tableText(const ClineResult& result) {
  std::ostringstream tsv;
  tsv.imbue(std::locale::classic());
  writeClineTsv(tsv, result.locusNames, result.study);
  return tsv.str();
}

// Every output of the run, in one place: the report's rows, then the table.
void writeOutputs(const ClineRequest& request, const ClineResult& result, Outputs& files,
                  std::ostringstream& report, Status& status) {
  if (files.report) {
    writeClineReport(report, result.locusNames, result.study, request.qThreshold);
    if (finishOutput(*files.report, report.str(), status)) return;
  }
  if (files.table) finishOutput(*files.table, tableText(result), status);
}

Status analyse(const ClineRequest& request, ClineResult& result) {
  Status status;
  Outputs files;
  if (openOutputs(request, files, status)) return status;
  DataSet data;
  // Without a report the parental checks' notes have nowhere to go; they
  // are collected and dropped.
  std::ostringstream report;
  report.imbue(std::locale::classic());
  const ReportOpener opener = [&](Status&) -> std::ostream* {
    if (files.report) writeTimestamp(report);
    return &report;
  };
  if (loadDataSet({request.parental, request.individual}, data, opener, status)) return status;
  const unsigned threads = request.threads > 0 ? request.threads : usableCores();
  const std::vector<IndividualEstimate> h = studyAllIndividuals(data, threads);
  result.study = studyAllClines(data, h, request.qThreshold, threads);
  result.locusNames = readLocusLabels(request.parental, data.parentalEol, data.nLoci);
  result.individualNames = data.indNames;
  for (const IndividualEstimate& row : h) result.h.push_back(row.h);
  writeOutputs(request, result, files, report, status);
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
