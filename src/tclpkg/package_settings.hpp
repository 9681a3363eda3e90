#ifndef PARMIX_TCLPKG_PACKAGE_SETTINGS_HPP
#define PARMIX_TCLPKG_PACKAGE_SETTINGS_HPP

// Settings of the package that hold for one interpreter, kept in that
// interpreter's associated data (never in the library's own memory), so
// interpreters on several threads each have their own.  The `parmix`
// command takes exactly its fixed words and reads how many threads to study
// on from here.

#include <tcl.h>

namespace parmix {

// The thread count set with parmix::configure -threads, or 0 (every core
// the process may use) when none was set in INTERP.
unsigned configuredThreads(Tcl_Interp* interp);

}  // namespace parmix

// parmix::configure ?-threads ?N??: with no option, the settings as a list
// of option and value; with an option alone, its value; with a value, sets
// it.  N is a whole number from 1 to 4096.
extern "C" int Parmix_ConfigureObjCmd(ClientData clientData, Tcl_Interp* interp, int objc,
                                      Tcl_Obj* const objv[]);

#endif
