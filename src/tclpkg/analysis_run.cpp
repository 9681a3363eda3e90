#include "tclpkg/analysis_run.hpp"

#include <filesystem>
#include <fstream>
#include <locale>
#include <new>
#include <string>
#include <vector>

#include "input/data_set.hpp"
#include "input/individual_file.hpp"
#include "input/parental_file.hpp"
#include "input/text_scan.hpp"
#include "model/likelihood.hpp"
#include "report/report_writer.hpp"
#include "tclpkg/parallel_study.hpp"
#include "tclpkg/tcl_result.hpp"
#include "validate/individual_checks.hpp"
#include "validate/parental_checks.hpp"

namespace parmix {

namespace {

struct RunPaths {
  std::string parental = "undefined";
  std::string individual = "undefined";
  std::string report = "parmix_output.txt";
};

// Words 1 to 3, taken as written; further words are ignored.
RunPaths takePaths(int argc, const char* argv[]) {
  RunPaths paths;
  if (argc > 1) paths.parental = argv[1];
  if (argc > 2) paths.individual = argv[2];
  if (argc > 3) paths.report = argv[3];
  return paths;
}

// Error codes of the failing step, set beside the message that the step
// placed: which input file is at fault, or the report.
int parentalError(Tcl_Interp* interp) { return setErrorCode(interp, "INPUT", "PARENTAL"); }
int individualError(Tcl_Interp* interp) { return setErrorCode(interp, "INPUT", "INDIVIDUAL"); }
int reportError(Tcl_Interp* interp) { return setErrorCode(interp, "REPORT", "WRITE"); }

int failUnreadable(Tcl_Interp* interp, const std::string& path) {
  return failWith(interp, "File %s could not be read", path.c_str());
}

// The record count of one input file (header included) as found with its
// terminator, refusing a file without any '#', which holds no header record
// and so cannot be read at all.
int checkRecordCount(const std::string& path, int nRows, Tcl_Interp* interp) {
  if (nRows < 0) return failUnreadable(interp, path);
  if (nRows == 0)
    return failWith(interp,
                    "File %s holds no '#': its header record must follow the first '#' of the "
                    "file.",
                    path.c_str());
  return 0;
}

// Keyword checks, terminators, counts and scans (everything before the
// report is opened), then the data set at its final size.
int measureInputs(const RunPaths& paths, DataSet& data, Tcl_Interp* interp) {
  if (checkFileType(paths.parental, "Parental", interp)) return parentalError(interp);
  if (checkFileType(paths.individual, "Individual", interp)) return individualError(interp);
  const int parentalRows = findNumberRowsAndTerminator(paths.parental, &data.parentalEol);
  const int individualRows = findNumberRowsAndTerminator(paths.individual, &data.individualEol);
  if (checkRecordCount(paths.parental, parentalRows, interp)) return parentalError(interp);
  if (checkRecordCount(paths.individual, individualRows, interp)) return individualError(interp);
  if (parentalRows != individualRows) {
    failWith(interp, "Input files appear to differ in the number of loci they contain.");
    return setErrorCode(interp, "INPUT", "LOCI");
  }
  data.nLoci = parentalRows - 1;
  if (findNumberColumns(paths.individual, &data.nInd, &data.nCols, interp, data.individualEol))
    return individualError(interp);
  data.allocateGenotypes();
  if (findMaxAlleles(paths.parental, data.nLoci, &data.maxAlleles, interp, data.parentalEol))
    return parentalError(interp);
  data.allocateTheRest();
  return 0;
}

bool isSameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return std::filesystem::equivalent(a, b, ec) && !ec;
}

// Opening the report truncates it, so a report path that names an input
// file (by any path or link) is refused before anything is opened.
int openReport(const RunPaths& paths, std::ofstream& report, Tcl_Interp* interp) {
  if (isSameFile(paths.report, paths.parental) || isSameFile(paths.report, paths.individual)) {
    failWith(interp, "The report file %s is one of the input files; give the report another name.",
             paths.report.c_str());
    return reportError(interp);
  }
  std::error_code ec;
  if (!std::filesystem::is_directory(paths.report, ec)) report.open(paths.report);
  if (!report.is_open()) {
    failWith(interp, "The report file %s could not be opened for writing.", paths.report.c_str());
    return reportError(interp);
  }
  report.imbue(std::locale::classic());
  return 0;
}

int readAndCheck(const RunPaths& paths, DataSet& d, std::ostream& report, Tcl_Interp* interp) {
  if (getParentalData(d.freqS.rows(), d.freqR.rows(), d.locusType.data(), d.nLoci, d.maxAlleles,
                      paths.parental, interp, d.parentalEol))
    return parentalError(interp);
  d.typeInFile = d.locusType;
  if (verifyParentalData(d.freqS.rows(), d.freqR.rows(), d.locusType.data(), d.nLoci,
                         d.maxAlleles, interp, report))
    return parentalError(interp);
  d.nameWidth = 10;
  if (getIndData(d.genotypes.rows(), d.indNames.data(), paths.individual, d.nLoci, d.nCols,
                 d.nInd, d.maxAlleles, d.locusType.data(), &d.nameWidth, interp, d.individualEol,
                 d.typeInFile.data()))
    return individualError(interp);
  if (verifyIndData(d.genotypes.rows(), d.freqR.rows(), d.freqS.rows(), d.locusType.data(),
                    d.nLoci, d.nCols, interp))
    return individualError(interp);
  const int unknown = firstUnknownLocusType(d.locusType.data(), d.nLoci);
  if (unknown >= 0) {
    failWith(interp, "Internal error in Likelihood(). Locus: %d", unknown);
    return setErrorCode(interp, "INTERNAL");
  }
  return 0;
}

// The individuals are studied on every core the process may use; the rows
// are written here, on the interpreter's thread, in file order.
void writeAllRows(DataSet& d, std::ostream& report) {
  const int width = static_cast<int>(d.nameWidth);
  writeHeader(report, width);
  useRowNumberFormat(report);
  const std::vector<IndividualEstimate> rows = studyAllIndividuals(d, usableCores());
  for (std::size_t j = 0; j < rows.size(); ++j)
    writeOutputRow(report, d.indNames[j], rows[j].h, rows[j].lowerBound, rows[j].upperBound,
                   rows[j].truncated, width);
  writeEndingRow(report);
}

int runAnalysis(const RunPaths& paths, Tcl_Interp* interp) {
  DataSet data;
  if (measureInputs(paths, data, interp)) return TCL_ERROR;
  std::ofstream report;
  if (openReport(paths, report, interp)) return TCL_ERROR;
  writeTimestamp(report);
  if (readAndCheck(paths, data, report, interp)) return TCL_ERROR;  // report closes itself
  writeAllRows(data, report);
  report.close();
  if (report.fail()) {
    failWith(interp, "The report file %s could not be written completely.", paths.report.c_str());
    reportError(interp);
    return TCL_ERROR;
  }
  return TCL_OK;
}

}  // namespace

}  // namespace parmix

extern "C" int Parmix_Cmd(ClientData /*clientData*/, Tcl_Interp* interp, int argc,
                          const char* argv[]) {
  // The one place where C++ meets Tcl: nothing thrown may cross it.
  try {
    return parmix::runAnalysis(parmix::takePaths(argc, argv), interp);
  } catch (const std::bad_alloc&) {
    parmix::failWith(interp, "There is not enough memory for this analysis.");
    parmix::setErrorCode(interp, "MEMORY");
  } catch (const std::exception& e) {
    parmix::failWith(interp, "The analysis failed: %s", e.what());
    parmix::setErrorCode(interp, "INTERNAL");
  } catch (...) {
    parmix::failWith(interp, "The analysis failed for an unknown reason.");
    parmix::setErrorCode(interp, "INTERNAL");
  }
  return TCL_ERROR;
}
