#ifndef PARMIX_TESTS_FUZZ_SUPPORT_HPP
#define PARMIX_TESTS_FUZZ_SUPPORT_HPP

// What every fuzz target shares: one real Tcl interpreter (made as the unit
// tests make theirs, with the library's stubs table bound to it) and a
// scratch folder in which each input is written to a file, since the
// readers take paths.  Both are made once per process and live until it
// exits, so one execution costs a few small file writes and the code under
// test.

#include <tcl.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace parmix::fuzz {

class Workspace {
 public:
  // The one workspace of the process.
  static Workspace& get();

  Tcl_Interp* interp() { return interp_; }
  // Writes size bytes to the file `name` in the scratch folder, replacing
  // it; returns its path.
  std::string write(const char* name, const std::uint8_t* data, std::size_t size);
  std::string path(const char* name) const { return dir_ + "/" + name; }
  // The interpreter's result, as the command leaves it.
  std::string result() const;

 private:
  Workspace();
  ~Workspace();
  Tcl_Interp* interp_;
  std::string dir_;
};

// Ends the process with a message when an invariant of the code under test
// does not hold, so that libFuzzer records the input as a crash.
[[noreturn]] void violated(const char* what, const std::string& detail = std::string());

}  // namespace parmix::fuzz

#endif
