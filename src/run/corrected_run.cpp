#include "run/corrected_run.hpp"

#include <locale>
#include <memory>
#include <sstream>

#include "estimate/study.hpp"
#include "estimate/worker_pool.hpp"
#include "input/record_writer.hpp"
#include "run/analysis_run.hpp"
#include "model/corrections.hpp"
#include "report/report_writer.hpp"
#include "validate/data_set_loader.hpp"
#include "validate/reference_counts_checks.hpp"

namespace parmix {

namespace {

// The report may name none of the inputs: writing it would destroy one.
int refuseInputAsReport(const CorrectedRequest& request, Status& status) {
  for (const std::string& input : {request.parental, request.individual, request.counts}) {
    if (isSameFile(request.report, input)) {
      status.fail("The report file %s is one of the input files; give the report another name.",
                  request.report.c_str());
      return status.setFault(Fault::kReport);
    }
  }
  return 0;
}

// Opened before the study, so that a report that cannot be written is
// told before the work; it takes its path only when whole.
std::unique_ptr<RecordFile> openReport(const CorrectedRequest& request, Status& status) {
  try {
    return std::make_unique<RecordFile>(request.report);
  } catch (const InputError&) {
    status.fail("The report file %s could not be opened for writing.", request.report.c_str());
    status.setFault(Fault::kReport);
    return nullptr;
  }
}

void writeReport(RecordFile& file, const std::string& text, Status& status) {
  try {
    file.write(text);
    file.commit();
  } catch (const InputError&) {
    status.fail("The report file %s could not be written completely.", file.path().c_str());
    status.setFault(Fault::kReport);
  }
}

Status analyse(const CorrectedRequest& request, CorrectedRows& result) {
  Status status;
  ReferenceCounts counts;
  if (refuseInputAsReport(request, status) || readCountsFile(request.counts, counts, status))
    return status;
  const std::unique_ptr<RecordFile> file = openReport(request, status);
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
  const std::vector<char> types = effectiveLocusTypes(data);
  result.rows = studyIndividuals(
      MatrixIndividuals(data), ParentalModel(types.data(), nullptr, nullptr, &sites),
      HybridIndexModel(), StudySettings(request.threads > 0 ? request.threads : usableCores()));
  for (std::size_t j = 0; j < result.rows.size(); ++j)
    result.names.push_back(j < data.indNames.size() ? data.indNames[j] : std::string());
  Corrections corrections;
  corrections.referenceUncertainty = true;
  writeReportBody(report, correctionsNote(corrections), result.names, result.rows,
                  static_cast<int>(data.nameWidth));
  writeReport(*file, report.str(), status);
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
