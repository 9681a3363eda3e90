#include "run/ancestry_run.hpp"

#include <filesystem>
#include <fstream>
#include <locale>
#include <sstream>

#include "estimate/study.hpp"
#include "estimate/worker_pool.hpp"
#include "input/data_set.hpp"
#include "run/analysis_run.hpp"
#include "report/ancestry_writer.hpp"
#include "run/corrected_run.hpp"
#include "model/corrections.hpp"
#include "validate/data_set_loader.hpp"

namespace parmix {

namespace {

RunPaths reportPaths(const AncestryRequest& request) {
  RunPaths paths;
  paths.parental = request.parental;
  paths.individual = request.individual;
  paths.report = request.report;
  return paths;
}

// Without a report the parental checks' notes have nowhere to go; they
// are collected and dropped.
std::ostream* openReportOrSink(const AncestryRequest& request, std::ofstream& report,
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
int writeTable(const AncestryRequest& request, const AncestryRows& result,
               const std::string& corrections, Status& status) {
  for (const std::string& input :
       {request.parental, request.individual, request.referenceCounts, request.report}) {
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
  writeAncestryTsv(tsv, result.names, result.rows, corrections);
  return finishFile(tsv, "TSV", request.tsv, status);
}

// The counts must not be overwritten by the report: the loader refuses a
// report that names the parental or the individual file, not this one.
int refuseCountsAsReport(const AncestryRequest& request, Status& status) {
  if (request.report.empty() || !isSameFile(request.report, request.referenceCounts)) return 0;
  status.fail("The report file %s is one of the input files; give the report another name.",
              request.report.c_str());
  return status.setFault(Fault::kReport);
}

Status analyse(const AncestryRequest& request, AncestryRows& result) {
  Status status;
  Corrections corrections;
  corrections.referenceUncertainty = !request.referenceCounts.empty();
  ReferenceCounts counts;
  if (corrections.referenceUncertainty &&
      (refuseCountsAsReport(request, status) ||
       readCountsFile(request.referenceCounts, counts, status)))
    return status;
  DataSet data;
  std::ofstream report;
  std::ostringstream sink;
  const ReportOpener opener = [&](Status& s) {
    return openReportOrSink(request, report, sink, s);
  };
  if (loadDataSet({request.parental, request.individual}, data, opener, status)) return status;
  std::vector<SiteGenotypes> sites;
  if (corrections.referenceUncertainty &&
      sitesFromCounts(counts, data, request.parental, sites, status))
    return status;
  const unsigned threads = request.threads > 0 ? request.threads : usableCores();
  const std::vector<char> types = effectiveLocusTypes(data);
  const ParentalModel parents(types.data(), data.freqR.rows(), data.freqS.rows(),
                              corrections.referenceUncertainty ? &sites : nullptr);
  result.rows = studyIndividuals(MatrixIndividuals(data), parents, JointModel{request.thresholds},
                                 StudySettings(threads));
  for (std::size_t j = 0; j < result.rows.size(); ++j)
    result.names.push_back(j < data.indNames.size() ? data.indNames[j] : std::string());
  if (report.is_open()) {
    report << correctionsNote(corrections);
    writeAncestryRows(report, result.names, result.rows, static_cast<int>(data.nameWidth),
                      request.thresholds);
    if (finishFile(report, "report", request.report, status)) return status;
  }
  if (!request.tsv.empty()) writeTable(request, result, correctionTags(corrections), status);
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
