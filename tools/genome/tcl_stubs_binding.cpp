// Compiled with USE_TCL_STUBS: sets up the stubs table through which the
// checks call Tcl, as the package entry does when it is loaded.
#include <tcl.h>

namespace parmix::genome {

bool bindStubsTable(Tcl_Interp* interp) { return Tcl_InitStubs(interp, "8.1", 0) != nullptr; }

}  // namespace parmix::genome
