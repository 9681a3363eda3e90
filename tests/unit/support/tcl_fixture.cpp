#include "support/tcl_fixture.hpp"

namespace parmix::test {

TclInterp::TclInterp() : interp_(Tcl_CreateInterp()) {}

TclInterp::~TclInterp() { Tcl_DeleteInterp(interp_); }

std::string TclInterp::result() const { return Tcl_GetStringResult(interp_); }

void TclInterp::resetResult() { Tcl_ResetResult(interp_); }

}  // namespace parmix::test
