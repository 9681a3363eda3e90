#include "tclpkg/parmix_cmd.hpp"

#include <fstream>
#include <vector>

#include "estimate/worker_pool.hpp"
#include "input/data_set.hpp"
#include "run/analysis_run.hpp"
#include "tclpkg/interp_steps.hpp"
#include "tclpkg/package_settings.hpp"
#include "tclpkg/tcl_result.hpp"
#include "validate/data_set_loader.hpp"

namespace parmix {

namespace {

// Words 1 to 3, taken as written; further words are ignored.
RunPaths takePaths(int argc, const char* argv[]) {
  RunPaths paths;
  if (argc > 1) paths.parental = argv[1];
  if (argc > 2) paths.individual = argv[2];
  if (argc > 3) paths.report = argv[3];
  return paths;
}

// The steps that report through the interpreter place their own message;
// the kind of fault is the run's to add, since only it knows which input
// each step was given.
int failed(Tcl_Interp* interp, Fault fault) { return placeFault(interp, fault); }

// Keyword checks, terminators and counts, the columns and the allele scan
// (nothing opened for writing yet), with the data set allocated at its
// final size between the scans.
int measureInputs(Tcl_Interp* interp, const RunPaths& paths, DataSet& d) {
  if (checkFileType(paths.parental, "Parental", interp)) return failed(interp, Fault::kParental);
  if (checkFileType(paths.individual, "Individual", interp))
    return failed(interp, Fault::kIndividual);
  Status status;
  if (countLoci({paths.parental, paths.individual}, d, status)) return placeStatus(interp, status);
  if (findNumberColumns(paths.individual, &d.nInd, &d.nCols, interp, d.individualEol))
    return failed(interp, Fault::kIndividual);
  d.allocateGenotypes();
  if (findMaxAlleles(paths.parental, d.nLoci, &d.maxAlleles, interp, d.parentalEol))
    return failed(interp, Fault::kParental);
  d.allocateTheRest();
  return TCL_OK;
}

// The parental file and its checks, then the individual file and its
// checks.  The steps mark an excluded locus 'B' in its type; the data set
// keeps the type as read beside a flag of its own, restored here.
int readInputs(Tcl_Interp* interp, const RunPaths& paths, DataSet& d, std::ostream& report) {
  if (getParentalData(d.freqS.rows(), d.freqR.rows(), d.locusType.data(), d.nLoci, d.maxAlleles,
                      paths.parental, interp, d.parentalEol))
    return failed(interp, Fault::kParental);
  const std::vector<char> typesAsRead = d.locusType;
  if (verifyParentalData(d.freqS.rows(), d.freqR.rows(), d.locusType.data(), d.nLoci,
                         d.maxAlleles, interp, report))
    return failed(interp, Fault::kParental);
  d.nameWidth = 10;
  if (getIndData(d.genotypes.rows(), d.indNames.data(), paths.individual, d.nLoci, d.nCols,
                 d.nInd, d.maxAlleles, d.locusType.data(), &d.nameWidth, interp, d.individualEol,
                 typesAsRead.data()))
    return failed(interp, Fault::kIndividual);
  if (verifyIndData(d.genotypes.rows(), d.freqR.rows(), d.freqS.rows(), d.locusType.data(),
                    d.nLoci, d.nCols, interp))
    return failed(interp, Fault::kIndividual);
  for (int i = 0; i < d.nLoci; ++i) d.locusUsed[i] = d.locusType[i] != 'B';
  d.locusType = typesAsRead;
  Status status;
  return checkLocusTypes(d, status) ? placeStatus(interp, status) : TCL_OK;
}

// One whole analysis: the data set and the report live in this frame, so
// every way out releases and closes them.  A report left by a failure
// holds what the steps before it wrote.
int runCommand(Tcl_Interp* interp, const RunPaths& paths, unsigned threads) {
  DataSet data;
  if (measureInputs(interp, paths, data) != TCL_OK) return TCL_ERROR;
  std::ofstream report;
  Status status;
  if (openRunReport(paths, report, status)) return placeStatus(interp, status);
  if (readInputs(interp, paths, data, report) != TCL_OK) return TCL_ERROR;
  writeAllRows(data, threads > 0 ? threads : usableCores(), report);
  closeRunReport(paths, report, status);
  return placeStatus(interp, status);
}

}  // namespace

}  // namespace parmix

extern "C" int Parmix_Cmd(ClientData /*clientData*/, Tcl_Interp* interp, int argc,
                          const char* argv[]) {
  // The one place where C++ meets Tcl: every exception of the run becomes
  // its failure here (memory running out, or an internal failure), and
  // describing it is all that is left to guard.
  try {
    try {
      return parmix::runCommand(interp, parmix::takePaths(argc, argv),
                                parmix::configuredThreads(interp));
    } catch (...) {
      return parmix::placeStatus(interp, parmix::statusOfCaughtException());
    }
  } catch (...) {
    return parmix::placeMemoryFailure(interp);
  }
}
