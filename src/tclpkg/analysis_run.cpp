#include "tclpkg/analysis_run.hpp"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <locale>
#include <new>
#include <string>

#include "estimate/ml_estimate.hpp"
#include "estimate/support_limits.hpp"
#include "input/data_set.hpp"
#include "input/individual_file.hpp"
#include "input/parental_file.hpp"
#include "input/text_scan.hpp"
#include "model/likelihood.hpp"
#include "report/report_writer.hpp"
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

int failUnreadable(Tcl_Interp* interp, const std::string& path) {
  return failWith(interp, "File %s could not be read", path.c_str());
}

// Records of one input file (header included), refusing a file without any
// '#', which holds no header record and so cannot be read at all.
int countRecords(const std::string& path, char eol, int& nRows, Tcl_Interp* interp) {
  nRows = findNumberRows(path, eol);
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
  if (checkFileType(paths.parental, "Parental", interp)) return 1;
  if (checkFileType(paths.individual, "Individual", interp)) return 1;
  data.parentalEol = detectLineTerminator(paths.parental);
  data.individualEol = detectLineTerminator(paths.individual);
  int parentalRows = 0, individualRows = 0;
  if (countRecords(paths.parental, data.parentalEol, parentalRows, interp)) return 1;
  if (countRecords(paths.individual, data.individualEol, individualRows, interp)) return 1;
  if (parentalRows != individualRows)
    return failWith(interp, "Input files appear to differ in the number of loci they contain.");
  data.nLoci = parentalRows - 1;
  if (findNumberColumns(paths.individual, &data.nInd, &data.nCols, interp, data.individualEol))
    return 1;
  data.allocateGenotypes();
  if (findMaxAlleles(paths.parental, data.nLoci, &data.maxAlleles, interp, data.parentalEol))
    return 1;
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
  if (isSameFile(paths.report, paths.parental) || isSameFile(paths.report, paths.individual))
    return failWith(interp,
                    "The report file %s is one of the input files; give the report another name.",
                    paths.report.c_str());
  std::error_code ec;
  if (!std::filesystem::is_directory(paths.report, ec)) report.open(paths.report);
  if (!report.is_open())
    return failWith(interp, "The report file %s could not be opened for writing.",
                    paths.report.c_str());
  report.imbue(std::locale::classic());
  return 0;
}

int readAndCheck(const RunPaths& paths, DataSet& d, std::ostream& report, Tcl_Interp* interp) {
  if (getParentalData(d.freqS.rows(), d.freqR.rows(), d.locusType.data(), d.nLoci, d.maxAlleles,
                      paths.parental, interp, d.parentalEol))
    return 1;
  d.typeInFile = d.locusType;
  if (verifyParentalData(d.freqS.rows(), d.freqR.rows(), d.locusType.data(), d.nLoci,
                         d.maxAlleles, interp, report))
    return 1;
  d.nameWidth = 10;
  if (getIndData(d.genotypes.rows(), d.indNames.data(), paths.individual, d.nLoci, d.nCols,
                 d.nInd, d.maxAlleles, d.locusType.data(), &d.nameWidth, interp, d.individualEol,
                 d.typeInFile.data()))
    return 1;
  if (verifyIndData(d.genotypes.rows(), d.freqR.rows(), d.freqS.rows(), d.locusType.data(),
                    d.nLoci, d.nCols, interp))
    return 1;
  const int unknown = firstUnknownLocusType(d.locusType.data(), d.nLoci);
  if (unknown >= 0) return failWith(interp, "Internal error in Likelihood(). Locus: %d", unknown);
  return 0;
}

// One report row's numbers.
struct RowResult {
  double h;
  double lowerBound;
  double upperBound;
  bool truncated[2];
};

// Estimate and support limits of the individual held in indGenotype.  An
// individual without data, with a flat surface or without an estimate gets
// three NaN and no mark.
RowResult studyIndividual(DataSet& d) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  RowResult row{kNaN, kNaN, kNaN, {false, false}};
  int** g = d.indGenotype.rows();
  double** fR = d.freqR.rows();
  double** fS = d.freqS.rows();
  char* type = d.locusType.data();
  if (genotypeNA(g, d.nLoci, d.nCols) || testSurface(g, fR, fS, type, d.nLoci)) return row;
  const double h = findmaxH(g, fR, fS, type, d.nLoci);
  if (std::isnan(h)) return row;
  row.h = h;
  const double maxLogL = Likelihood(h, g, fR, fS, type, d.nLoci);
  if (h == 0.0) {
    row.lowerBound = 0.0;
    row.truncated[0] = true;
  } else {
    row.lowerBound = findBound(g, fR, fS, type, d.nLoci, maxLogL, h, 0, row.truncated);
  }
  if (h == 1.0) {
    row.upperBound = 1.0;
    row.truncated[1] = true;
  } else {
    row.upperBound = findBound(g, fR, fS, type, d.nLoci, maxLogL, h, 1, row.truncated);
  }
  return row;
}

void writeAllRows(DataSet& d, std::ostream& report) {
  const int width = static_cast<int>(d.nameWidth);
  writeHeader(report, width);
  useRowNumberFormat(report);
  for (int col = 0; col < d.nCols; col += 2) {
    getGenotype(d.indGenotype.rows(), d.genotypes.rows(), d.nLoci, col);
    const RowResult row = studyIndividual(d);
    writeOutputRow(report, d.indNames[col / 2], row.h, row.lowerBound, row.upperBound,
                   row.truncated, width);
  }
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
  } catch (const std::exception& e) {
    parmix::failWith(interp, "The analysis failed: %s", e.what());
  } catch (...) {
    parmix::failWith(interp, "The analysis failed for an unknown reason.");
  }
  return TCL_ERROR;
}
