#include "run/text_run.hpp"

#include <fstream>
#include <locale>
#include <memory>
#include <sstream>
#include <utility>

#include "estimate/worker_pool.hpp"
#include "input/data_set.hpp"
#include "input/locus_labels.hpp"
#include "input/reference_counts.hpp"
#include "model/corrections.hpp"
#include "report/ancestry_writer.hpp"
#include "report/cline_writer.hpp"
#include "report/report_writer.hpp"
#include "run/analysis_run.hpp"
#include "run/run_outputs.hpp"
#include "validate/data_set_loader.hpp"
#include "validate/reference_counts_checks.hpp"

namespace parmix {

namespace {

std::vector<NamedPath> inputsOf(const TextRunRequest& request) {
  return {{"parental file", request.parental},
          {"individual file", request.individual},
          {"reference counts file", request.referenceCounts}};
}

RunPaths pathsOf(const TextRunRequest& request) {
  return RunPaths{request.parental, request.individual, request.report};
}

// The outputs of one run.  The report is either the stream the run writes
// as it goes (a partial report on failure) or text that takes its path
// only when whole; the table is always the latter, and goes last, so a
// failure before it leaves no new table.
struct Outputs {
  explicit Outputs(const TextRunRequest& request)
      : partial(request.onFailure == ReportOnFailure::kPartial && !request.report.empty()) {
    buffer.imbue(std::locale::classic());
  }
  std::ostream& text() { return partial ? static_cast<std::ostream&>(stream) : buffer; }

  bool partial;
  std::ofstream stream;                // the partial report
  std::ostringstream buffer;           // the whole report's text
  std::unique_ptr<OutputFile> report;  // where the whole report goes
  std::unique_ptr<OutputFile> table;
};

// Every output that takes its path when whole is opened before the work,
// so that one that cannot be written is told first.  A partial report is
// opened by the load instead, once the inputs are measured; the table may
// name neither it nor an input.
int openOutputs(const TextRunRequest& request, Outputs& files, Status& status) {
  const NamedPath report{"report file", request.report};
  const NamedPath table{"table file", request.tsv};
  std::vector<NamedPath> inputs = inputsOf(request);
  if (files.partial) {
    // The report's own opening refuses the data files; the counts file
    // and the table are told here.
    if (refuseClashes({report}, {inputs[2]}, status)) return 1;
    inputs.push_back(report);
    if (refuseClashes({table}, inputs, status)) return 1;
  } else {
    if (refuseClashes({report, table}, inputs, status)) return 1;
    files.report = openOutput(report, status);
    if (!status.ok()) return 1;
  }
  files.table = openOutput(table, status);
  return status.ok() ? 0 : 1;
}

// Without a report the parental checks' notes have nowhere to go; they are
// collected and dropped.
ReportOpener reportOpener(const TextRunRequest& request, Outputs& files) {
  return [&request, &files](Status& status) -> std::ostream* {
    if (files.partial)
      return openRunReport(pathsOf(request), files.stream, status) ? nullptr : &files.stream;
    if (files.report) writeTimestamp(files.buffer);
    return &files.buffer;
  };
}

int readCounts(const TextRunRequest& request, ReferenceCounts& counts, Status& status) {
  if (request.referenceCounts.empty()) return 0;
  try {
    counts = readReferenceCounts(request.referenceCounts);
    return 0;
  } catch (const InputError& e) {
    status.fail("%s", e.what());
    return status.setFault(Fault::kCounts);
  }
}

// One site per locus of the loaded DATA from COUNTS, when the run has them.
int sitesOf(const TextRunRequest& request, const ReferenceCounts& counts, DataSet& data,
            std::vector<SiteGenotypes>& sites, Status& status) {
  if (request.referenceCounts.empty()) return 0;
  if (checkReferenceCounts(counts, data, request.parental, status)) return 1;
  sites = countedSites(counts);
  return 0;
}

// Every individual under the request's model; the clines then fit every
// used locus on the hybrid indices.
void study(const TextRunRequest& request, DataSet& data, const std::vector<SiteGenotypes>* sites,
           TextRunResult& result) {
  const unsigned threads = request.threads > 0 ? request.threads : usableCores();
  const std::vector<char> types = effectiveLocusTypes(data);
  const ParentalModel parents(types.data(), data.freqR.rows(), data.freqS.rows(), sites);
  StudySettings settings(threads, request.progress, &result.counts);
  // The clines start from the estimates alone, found by the derivative
  // searches (the same maximum in a third of the passes).
  if (request.model == TextModel::kClines) {
    settings.limits = Limits::kSkip;
    settings.search = Search::Newton;
  }
  const MatrixIndividuals source(data);
  if (request.model == TextModel::kJoint)
    result.jointRows = studyIndividuals(source, parents, JointModel{request.thresholds}, settings);
  else
    result.rows = studyIndividuals(source, parents, HybridIndexModel(), settings);
  const std::size_t studied = request.model == TextModel::kJoint ? result.jointRows.size()
                                                                  : result.rows.size();
  for (std::size_t j = 0; j < studied; ++j)
    result.names.push_back(j < data.indNames.size() ? data.indNames[j] : std::string());
  if (request.model != TextModel::kClines) return;
  result.clines =
      studyAllClines(data, result.rows, request.qThreshold, threads, request.bootstrap, sites);
  if (request.image) result.image = ancestryImageOf(data, result.rows, result.clines, threads);
  result.locusNames = readLocusLabels(request.parental, data.parentalEol, data.nLoci);
}

// The report's text after the time stamp and the parental checks' notes.
void writeReportRows(const TextRunRequest& request, const TextRunResult& result, int nameWidth,
                     std::ostream& report) {
  Corrections corrections;
  corrections.referenceUncertainty = !request.referenceCounts.empty();
  const std::string note = correctionsNote(corrections);
  switch (request.model) {
    case TextModel::kHybridIndex:
      writeReportBody(report, note, result.names, result.rows, nameWidth);
      break;
    case TextModel::kJoint:
      report << note;
      writeAncestryRows(report, result.names, result.jointRows, nameWidth, request.thresholds);
      break;
    case TextModel::kClines:
      report << note;
      writeClineReport(report, result.locusNames, result.clines, request.qThreshold);
      break;
  }
}

std::string tableText(const TextRunRequest& request, const TextRunResult& result) {
  std::ostringstream tsv;
  tsv.imbue(std::locale::classic());
  if (request.model == TextModel::kClines) {
    writeClineTsv(tsv, result.locusNames, result.clines);
  } else {
    Corrections corrections;
    corrections.referenceUncertainty = !request.referenceCounts.empty();
    writeAncestryTsv(tsv, result.names, result.jointRows, correctionTags(corrections));
  }
  return tsv.str();
}

// The report, then the table.
int writeOutputs(const TextRunRequest& request, const TextRunResult& result, int nameWidth,
                 Outputs& files, Status& status) {
  if (files.partial) {
    writeReportRows(request, result, nameWidth, files.stream);
    if (closeRunReport(pathsOf(request), files.stream, status)) return 1;
  } else if (files.report) {
    writeReportRows(request, result, nameWidth, files.buffer);
    if (finishOutput(*files.report, files.buffer.str(), status)) return 1;
  }
  if (files.table) return finishOutput(*files.table, tableText(request, result), status);
  return 0;
}

Status analyse(const TextRunRequest& request, TextRunResult& result) {
  Status status;
  Outputs files(request);
  ReferenceCounts counts;
  if (openOutputs(request, files, status) || readCounts(request, counts, status)) return status;
  DataSet data;
  std::vector<SiteGenotypes> sites;
  if (loadDataSet({request.parental, request.individual}, data, reportOpener(request, files),
                  status) ||
      sitesOf(request, counts, data, sites, status))
    return status;  // an opened report closes itself
  study(request, data, request.referenceCounts.empty() ? nullptr : &sites, result);
  writeOutputs(request, result, static_cast<int>(data.nameWidth), files, status);
  return status;
}

}  // namespace

Status runTextFiles(const TextRunRequest& request, TextRunResult& result) {
  Status status;
  try {
    status = analyse(request, result);
  } catch (...) {
    status = statusOfCaughtException();
  }
  if (!status.ok()) result = TextRunResult();
  return status;
}

}  // namespace parmix
