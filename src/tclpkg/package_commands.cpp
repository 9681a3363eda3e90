#include "tclpkg/package_commands.hpp"

#include "tclpkg/ancestry_cmd.hpp"
#include "tclpkg/check_cmd.hpp"
#include "tclpkg/clines_cmd.hpp"
#include "tclpkg/corrected_cmd.hpp"
#include "tclpkg/genome_cmd.hpp"
#include "tclpkg/output_cmd.hpp"
#include "tclpkg/package_settings.hpp"

namespace parmix {

void createPackageCommands(Tcl_Interp* interp) {
  Tcl_CreateObjCommand(interp, "parmix::configure", Parmix_ConfigureObjCmd, nullptr, nullptr);
  Tcl_CreateObjCommand(interp, "parmix::genome", Parmix_GenomeObjCmd, nullptr, nullptr);
  Tcl_CreateObjCommand(interp, "parmix::mergeReports", Parmix_MergeReportsObjCmd, nullptr,
                       nullptr);
  Tcl_CreateObjCommand(interp, "parmix::htslibLogLevel", Parmix_HtslibLogLevelObjCmd, nullptr,
                       nullptr);
  Tcl_CreateObjCommand(interp, "::parmix::ancestry", Parmix_AncestryObjCmd, nullptr, nullptr);
  Tcl_CreateObjCommand(interp, "::parmix::check", Parmix_CheckCmd, nullptr, nullptr);
  Tcl_CreateObjCommand(interp, "::parmix::corrected", Parmix_CorrectedObjCmd, nullptr, nullptr);
  Tcl_CreateObjCommand(interp, "::parmix::hybridIndex", Parmix_HybridIndexObjCmd, nullptr,
                       nullptr);
  // The writer of outputs behind the package's Tcl procedures.
  Tcl_CreateObjCommand(interp, "::parmix::RefuseOutputClashes", Parmix_RefuseOutputClashesObjCmd,
                       nullptr, nullptr);
  Tcl_CreateObjCommand(interp, "::parmix::WriteOutputBytes", Parmix_WriteOutputBytesObjCmd,
                       nullptr, nullptr);
  Tcl_CreateObjCommand(interp, "::parmix::clines", Parmix_ClinesObjCmd, nullptr, nullptr);
}

}  // namespace parmix
