#ifndef PARMIX_TCLPKG_OUTPUT_CMD_HPP
#define PARMIX_TCLPKG_OUTPUT_CMD_HPP

// The package's one writer of outputs (input/output_file.hpp) for its Tcl
// procedures, which write every table, plot and file through it:
//   ::parmix::RefuseOutputClashes OUTPUTS INPUTS
//       OUTPUTS and INPUTS are lists of pairs {role path}; fails when an
//       output names an input or another output, naming both.
//   ::parmix::WriteOutputBytes ROLE PATH BYTES
//       writes the byte array BYTES to PATH: a regular file whole or not at
//       all, a link's target, a device or pipe straight through.
// Both return TCL_OK with an empty result, or TCL_ERROR with the message
// and the error code {PARMIX OUTPUT} (or {PARMIX USAGE} for a wrong call).
// No C++ exception leaves them.

#include <tcl.h>

extern "C" int Parmix_RefuseOutputClashesObjCmd(ClientData clientData, Tcl_Interp* interp,
                                                int objc, Tcl_Obj* const objv[]);
extern "C" int Parmix_WriteOutputBytesObjCmd(ClientData clientData, Tcl_Interp* interp, int objc,
                                             Tcl_Obj* const objv[]);

#endif
