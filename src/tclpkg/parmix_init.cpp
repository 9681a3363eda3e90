// Entry point of the parmix package: binds to the interpreter's Tcl through
// the stubs table, provides the package and creates its commands.

#include <tcl.h>

#include "parmix_version.hpp"
#include "tclpkg/package_commands.hpp"
#include "tclpkg/parmix_cmd.hpp"

extern "C" __attribute__((visibility("default"))) int Parmix_Init(Tcl_Interp* interp) {
  if (Tcl_InitStubs(interp, "8.1-", 0) == nullptr) return TCL_ERROR;
  if (Tcl_PkgRequire(interp, "Tcl", "8.1-", 0) == nullptr) return TCL_ERROR;
  if (Tcl_PkgProvide(interp, "parmix", PARMIX_VERSION) != TCL_OK) return TCL_ERROR;
  Tcl_CreateCommand(interp, "parmix", Parmix_Cmd, nullptr, nullptr);
  parmix::createPackageCommands(interp);
  return TCL_OK;
}
