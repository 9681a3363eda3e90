#include "tclpkg/parmix_cmd.hpp"

#include "run/analysis_run.hpp"
#include "tclpkg/package_settings.hpp"
#include "tclpkg/tcl_result.hpp"

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

}  // namespace

}  // namespace parmix

extern "C" int Parmix_Cmd(ClientData /*clientData*/, Tcl_Interp* interp, int argc,
                          const char* argv[]) {
  // The one place where C++ meets Tcl: the run turns every exception of its
  // own into a status, and copying the words is all that is left to guard.
  try {
    return parmix::placeStatus(interp, parmix::runAnalysis(parmix::takePaths(argc, argv),
                                                           parmix::configuredThreads(interp)));
  } catch (...) {
    return parmix::placeMemoryFailure(interp);
  }
}
