#ifndef PARMIX_TCLPKG_PACKAGE_COMMANDS_HPP
#define PARMIX_TCLPKG_PACKAGE_COMMANDS_HPP

// The commands of the package beside `parmix` itself, in its namespace:
// parmix::configure, parmix::genome, parmix::mergeReports,
// parmix::ancestry and parmix::check.

#include <tcl.h>

namespace parmix {

// Creates the commands in INTERP (the package entry calls it after it has
// created `parmix`).  Cannot fail; the interpreter owns the commands.
void createPackageCommands(Tcl_Interp* interp);

}  // namespace parmix

#endif
