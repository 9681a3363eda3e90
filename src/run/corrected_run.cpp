#include "run/corrected_run.hpp"

#include <locale>
#include <memory>
#include <sstream>

#include "estimate/corrected_study.hpp"
#include "estimate/worker_pool.hpp"
#include "run/analysis_run.hpp"
#include "model/corrections.hpp"
#include "report/report_writer.hpp"
#include "run/run_outputs.hpp"
#include "validate/data_set_loader.hpp"
#include "validate/reference_counts_checks.hpp"

namespace parmix {

namespace {

std::vector<NamedPath> inputsOf(const CorrectedRequest& request) {
  return {{"parental file", request.parental},
          {"individual file", request.individual},
          {"reference counts file", request.counts}};
}

Status analyse(const CorrectedRequest& request, CorrectedRows& result) {
  Status status;
  ReferenceCounts counts;
  const NamedPath output{"report file", request.report};
  if (refuseClashes({output}, inputsOf(request), status) ||
      readCountsFile(request.counts, counts, status))
    return status;
  // Opened before the study, so that a report that cannot be written is
  // told before the work; it takes its path only when whole.
  const std::unique_ptr<OutputFile> file = openOutput(output, status);
  if (!file) return status;
  DataSet data;
  std::ostringstream report;
  report.imbue(std::locale::classic());
  const ReportOpener opener = [&](Status&) -> std::ostream* {
    writeTimestamp(report);
    return &report;
  };
  std::vector<SiteGenotypes> sites;
  if (loadDataSet({request.parental, request.individual}, data, opener, status) ||
      sitesFromCounts(counts, data, request.parental, sites, status))
    return status;
  result.rows = studyAllCorrected(data, sites, request.threads > 0 ? request.threads : usableCores());
  for (std::size_t j = 0; j < result.rows.size(); ++j)
    result.names.push_back(j < data.indNames.size() ? data.indNames[j] : std::string());
  result.counts = countDataSet(data);
  Corrections corrections;
  corrections.referenceUncertainty = true;
  writeReportBody(report, correctionsNote(corrections), result.names, result.rows,
                  static_cast<int>(data.nameWidth));
  finishOutput(*file, report.str(), status);
  return status;
}

}  // namespace

int readCountsFile(const std::string& path, ReferenceCounts& counts, Status& status) {
  try {
    counts = readReferenceCounts(path);
    return 0;
  } catch (const InputError& e) {
    status.fail("%s", e.what());
    return status.setFault(Fault::kCounts);
  }
}

int sitesFromCounts(const ReferenceCounts& counts, DataSet& data, const std::string& parental,
                    std::vector<SiteGenotypes>& sites, Status& status) {
  if (checkReferenceCounts(counts, data, parental, status)) return 1;
  sites = countedSites(counts);
  return 0;
}

Status runCorrectedAnalysis(const CorrectedRequest& request, CorrectedRows& result) {
  Status status;
  try {
    status = analyse(request, result);
  } catch (...) {
    status = statusOfCaughtException();
  }
  if (!status.ok()) result = CorrectedRows();
  return status;
}

}  // namespace parmix
