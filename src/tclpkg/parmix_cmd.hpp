#ifndef PARMIX_TCLPKG_PARMIX_CMD_HPP
#define PARMIX_TCLPKG_PARMIX_CMD_HPP

// The command `parmix PARENTAL INDIVIDUAL ?REPORT?`: one call is one whole
// analysis, from both input files to the finished report.

#include <tcl.h>

// Tcl's string-based command procedure.  Returns TCL_OK with the result left
// empty, or TCL_ERROR with the one message of the step that failed.  No C++
// exception leaves it; everything the run holds is released on every path.
extern "C" int Parmix_Cmd(ClientData clientData, Tcl_Interp* interp, int argc, const char* argv[]);

#endif
