#ifndef PARMIX_TCLPKG_TCL_RESULT_HPP
#define PARMIX_TCLPKG_TCL_RESULT_HPP

// Placing a failure message as the interpreter's result.

#include <tcl.h>

namespace parmix {

// Formats the message printf-style (of any length), places it as the
// interpreter's result (Tcl copies it) and returns 1, the failure result of
// every checking and reading function.
int failWith(Tcl_Interp* interp, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Sets the interpreter's error code to {PARMIX kind ?what?} beside a message
// already placed, so that scripts can tell the kinds of failure apart
// without reading messages, and returns 1.  what may be null.
int setErrorCode(Tcl_Interp* interp, const char* kind, const char* what = nullptr);

}  // namespace parmix

#endif
