#ifndef PARMIX_TESTS_TCL_FIXTURE_HPP
#define PARMIX_TESTS_TCL_FIXTURE_HPP

// A real Tcl interpreter for unit tests of functions that report through one.

#include <tcl.h>

#include <string>

namespace parmix::test {

class TclInterp {
 public:
  TclInterp();
  ~TclInterp();
  TclInterp(const TclInterp&) = delete;
  TclInterp& operator=(const TclInterp&) = delete;

  Tcl_Interp* get() { return interp_; }
  operator Tcl_Interp*() { return interp_; }
  // The interpreter's result, where the functions place their messages.
  std::string result() const;
  void resetResult();

 private:
  Tcl_Interp* interp_;
};

}  // namespace parmix::test

#endif
