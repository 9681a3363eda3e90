#include "tclpkg/tcl_result.hpp"

#include <cstdio>

#include <cmath>

namespace parmix {

namespace {

void setErrorCode(Tcl_Interp* interp, Fault fault) {
  // The list ends at the first null, so a null third word gives a list of two.
  const char* kind = "INTERNAL";
  const char* what = nullptr;
  switch (fault) {
    case Fault::kParental: kind = "INPUT"; what = "PARENTAL"; break;
    case Fault::kIndividual: kind = "INPUT"; what = "INDIVIDUAL"; break;
    case Fault::kLoci: kind = "INPUT"; what = "LOCI"; break;
    case Fault::kCounts: kind = "INPUT"; what = "COUNTS"; break;
    case Fault::kReport: kind = "REPORT"; what = "WRITE"; break;
    case Fault::kMemory: kind = "MEMORY"; break;
    case Fault::kPanelFile: kind = "INPUT"; break;
    case Fault::kNone:
    case Fault::kInternal: break;
  }
  Tcl_SetErrorCode(interp, "PARMIX", kind, what, static_cast<char*>(nullptr));
}

void setResult(Tcl_Interp* interp, const std::string& message) {
  Tcl_SetResult(interp, const_cast<char*>(message.c_str()), TCL_VOLATILE);
}

}  // namespace

int placeStatus(Tcl_Interp* interp, const Status& status) {
  if (status.ok()) return TCL_OK;
  setResult(interp, status.message());
  setErrorCode(interp, status.fault());
  return TCL_ERROR;
}

int placeFault(Tcl_Interp* interp, Fault fault) {
  setErrorCode(interp, fault);
  return TCL_ERROR;
}

Tcl_Obj* numberOrEmptyObj(double value) {
  return std::isnan(value) ? Tcl_NewObj() : Tcl_NewDoubleObj(value);
}

void putDataCount(Tcl_Obj* dict, const DataCount& count) {
  const int used = count.loci + count.missing;
  Tcl_Obj* share = Tcl_NewObj();
  if (used > 0) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4f", static_cast<double>(count.missing) / used);
    Tcl_SetStringObj(share, text, -1);
  }
  Tcl_DictObjPut(nullptr, dict, Tcl_NewStringObj("lociWithData", -1), Tcl_NewIntObj(count.loci));
  Tcl_DictObjPut(nullptr, dict, Tcl_NewStringObj("missingShare", -1), share);
}

int placeMemoryFailure(Tcl_Interp* interp) {
  Tcl_SetResult(interp, const_cast<char*>("There is not enough memory for this analysis."),
                TCL_STATIC);
  setErrorCode(interp, Fault::kMemory);
  return TCL_ERROR;
}

int placeMessage(Tcl_Interp* interp, const Status& status, int failed) {
  if (failed != 0) setResult(interp, status.message());
  return failed;
}

}  // namespace parmix
