#ifndef PARMIX_TCLPKG_CHECK_CMD_HPP
#define PARMIX_TCLPKG_CHECK_CMD_HPP

// The command `::parmix::check PARENTAL INDIVIDUAL ?-firsterror BOOLEAN?`:
// what parmix understands of the two files, without estimating anything.

#include <tcl.h>

// Tcl's object-based command procedure.  Returns TCL_OK with the diagnosis
// as a dict (also when the files would not run: the first error is one of
// its keys), or TCL_ERROR with {PARMIX USAGE} for wrong words (Tcl's
// wrong-arguments message, or one naming a -firsterror that is no boolean)
// and {PARMIX MEMORY} when the files do not fit in memory.  No C++ exception
// leaves it.
extern "C" int Parmix_CheckCmd(ClientData clientData, Tcl_Interp* interp, int objc,
                               Tcl_Obj* const objv[]);

#endif
