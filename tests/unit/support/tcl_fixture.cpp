#include "support/tcl_fixture.hpp"

#include <stdexcept>

namespace parmix::test {

// Defined in stubs_binding.cpp, which is compiled for the stubs table.
bool bindStubsTable(Tcl_Interp* interp);

TclInterp::TclInterp() : interp_(Tcl_CreateInterp()) {
  if (!bindStubsTable(interp_)) throw std::runtime_error("Tcl stubs table could not be bound");
}

TclInterp::~TclInterp() { Tcl_DeleteInterp(interp_); }

std::string TclInterp::result() const { return Tcl_GetStringResult(interp_); }

void TclInterp::resetResult() { Tcl_ResetResult(interp_); }

}  // namespace parmix::test
