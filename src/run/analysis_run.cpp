#include "run/analysis_run.hpp"

#include <filesystem>
#include <fstream>
#include <locale>
#include <new>
#include <vector>

#include "estimate/study.hpp"
#include "estimate/worker_pool.hpp"
#include "input/data_set.hpp"
#include "report/report_writer.hpp"

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
  const std::vector<char> types = effectiveLocusTypes(d);
  std::vector<IndividualEstimate> rows = studyIndividuals(
      MatrixIndividuals(d), ParentalModel(types.data(), d.freqR.rows(), d.freqS.rows()),
      HybridIndexModel(), StudySettings(threads));
  writeReportBody(report, "", d.indNames, rows, static_cast<int>(d.nameWidth));
  return rows;
}

int closeRunReport(const RunPaths& paths, std::ofstream& report, Status& status) {
  report.close();
  if (!report.fail()) return 0;
  status.fail("The report file %s could not be written completely.", paths.report.c_str());
  return status.setFault(Fault::kReport);
}

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

}  // namespace parmix
