#include "run/ancestry_run.hpp"

#include <locale>
#include <memory>
#include <sstream>

#include "estimate/corrected_study.hpp"
#include "estimate/worker_pool.hpp"
#include "input/data_set.hpp"
#include "run/analysis_run.hpp"
#include "report/ancestry_writer.hpp"
#include "run/corrected_run.hpp"
#include "model/corrections.hpp"
#include "report/report_writer.hpp"
#include "run/run_outputs.hpp"
#include "validate/data_set_loader.hpp"

namespace parmix {

namespace {

std::vector<NamedPath> outputsOf(const AncestryRequest& request) {
  return {{"report file", request.report}, {"table file", request.tsv}};
}

std::vector<NamedPath> inputsOf(const AncestryRequest& request) {
  return {{"parental file", request.parental},
          {"individual file", request.individual},
          {"reference counts file", request.referenceCounts}};
}

// Both outputs are opened before the study, so that one that cannot be
// written is told before the work; each takes its path only when whole,
// the table last, so a failure before it leaves no new table.
struct Outputs {
  std::unique_ptr<OutputFile> report;
  std::unique_ptr<OutputFile> table;
};

int openOutputs(const AncestryRequest& request, Outputs& files, Status& status) {
  const std::vector<NamedPath> outputs = outputsOf(request);
  if (refuseClashes(outputs, inputsOf(request), status)) return 1;
  files.report = openOutput(outputs[0], status);
  if (!status.ok()) return 1;
  files.table = openOutput(outputs[1], status);
  return status.ok() ? 0 : 1;
}

std::string tableText(const AncestryRows& result, const std::string& corrections) {
  std::ostringstream tsv;
  tsv.imbue(std::locale::classic());
  writeAncestryTsv(tsv, result.names, result.rows, corrections);
  return tsv.str();
}

Status analyse(const AncestryRequest& request, AncestryRows& result) {
  Status status;
  Corrections corrections;
  corrections.referenceUncertainty = !request.referenceCounts.empty();
  Outputs files;
  if (openOutputs(request, files, status)) return status;
  ReferenceCounts counts;
  if (corrections.referenceUncertainty &&
      readCountsFile(request.referenceCounts, counts, status))
    return status;
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
  std::vector<SiteGenotypes> sites;
  if (corrections.referenceUncertainty &&
      sitesFromCounts(counts, data, request.parental, sites, status))
    return status;
  const unsigned threads = request.threads > 0 ? request.threads : usableCores();
  result.rows = corrections.referenceUncertainty
                    ? studyAllCorrectedJoint(data, sites, request.thresholds, threads)
                    : studyAllJoint(data, threads, request.thresholds);
  for (std::size_t j = 0; j < result.rows.size(); ++j)
    result.names.push_back(j < data.indNames.size() ? data.indNames[j] : std::string());
  if (files.report) {
    report << correctionsNote(corrections);
    writeAncestryRows(report, result.names, result.rows, static_cast<int>(data.nameWidth),
                      request.thresholds);
    if (finishOutput(*files.report, report.str(), status)) return status;
  }
  if (files.table) finishOutput(*files.table, tableText(result, correctionTags(corrections)), status);
  return status;
}

}  // namespace

Status runAncestry(const AncestryRequest& request, AncestryRows& result) {
  Status status;
  try {
    status = analyse(request, result);
  } catch (...) {
    status = statusOfCaughtException();
  }
  if (!status.ok()) result = AncestryRows();
  return status;
}

}  // namespace parmix
