#ifndef PARMIX_TESTS_FUZZ_SUPPORT_HPP
#define PARMIX_TESTS_FUZZ_SUPPORT_HPP

// What every fuzz target shares: a scratch folder in which each input is
// written to a file, since the readers take paths, and the loader's report
// opener that keeps the notes in memory.  The folder is made once per
// process and lives until it exits, so one execution costs a few small file
// writes and the code under test.

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "validate/data_set_loader.hpp"

namespace parmix::fuzz {

class Workspace {
 public:
  // The one workspace of the process.
  static Workspace& get();

  // Writes size bytes to the file `name` in the scratch folder, replacing
  // it; returns its path.
  std::string write(const char* name, const std::uint8_t* data, std::size_t size);
  std::string path(const char* name) const { return dir_ + "/" + name; }

 private:
  Workspace();
  ~Workspace();
  std::string dir_;
};

// The parts of an input that holds several files, split at each "\n%%\n"
// into at most MAX_PARTS parts (the last takes the rest, markers and all).
std::vector<std::string> splitParts(const std::uint8_t* data, std::size_t size,
                                    std::size_t maxParts);

// A report opener for the loader that writes to `notes`.
parmix::ReportOpener notesTo(std::ostringstream& notes);

// Ends the process with a message when an invariant of the code under test
// does not hold, so that libFuzzer records the input as a crash.
[[noreturn]] void violated(const char* what, const std::string& detail = std::string());

}  // namespace parmix::fuzz

#endif
