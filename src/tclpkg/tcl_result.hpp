#ifndef PARMIX_TCLPKG_TCL_RESULT_HPP
#define PARMIX_TCLPKG_TCL_RESULT_HPP

// Placing the outcome of a step of the analysis on the interpreter.

#include <tcl.h>

#include <climits>

#include "estimate/study.hpp"
#include "input/status.hpp"

// Lengths and counts of the Tcl C API: int up to Tcl 8.6, a wider signed
// type from Tcl 9 on, which names it Tcl_Size (8.6.14 and later name it too).
#ifndef TCL_SIZE_MAX
typedef int Tcl_Size;
#define TCL_SIZE_MAX INT_MAX
#endif

namespace parmix {

// TCL_OK for an ok status, with the result left untouched.  Otherwise the
// message becomes the result (Tcl copies it), the error code becomes
// {PARMIX kind ?what?} by the kind of fault, so that scripts can tell the
// kinds apart without reading messages, and TCL_ERROR is returned.
int placeStatus(Tcl_Interp* interp, const Status& status);

// The error code of FAULT for a step whose message is already the result
// (the interpreter-facing steps place their own); TCL_ERROR.
int placeFault(Tcl_Interp* interp, Fault fault);

// The memory failure, placed without allocating anything; TCL_ERROR.
int placeMemoryFailure(Tcl_Interp* interp);

// The boundary of a command procedure whose run turns its own exceptions
// into a status: what BODY returns, or the memory failure placed when it
// throws (all that is left to throw is the copying of the words).  No
// exception leaves it.
template <typename Body>
int withinCommand(Tcl_Interp* interp, Body body) noexcept {
  try {
    return body();
  } catch (...) {
    return placeMemoryFailure(interp);
  }
}

// A number of a result: the empty string when undefined (NaN), as the
// package's procedures read it.  The new object has no references yet.
Tcl_Obj* numberOrEmptyObj(double value);

// The data counts of a row of the analyses' results into DICT: lociWithData
// (the used loci at which the individual has a genotype) and missingShare
// (the share of the used loci without one, four decimals as the tables
// write it; the empty string when no locus is used).
void putDataCount(Tcl_Obj* dict, const DataCount& count);

// For the functions that return 1 on failure: when failed is non-zero the
// status's message becomes the interpreter's result.  Returns failed.
int placeMessage(Tcl_Interp* interp, const Status& status, int failed);

}  // namespace parmix

#endif
