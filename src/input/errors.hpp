#ifndef PARMIX_IMPORT_ERRORS_HPP
#define PARMIX_IMPORT_ERRORS_HPP

// The two ways an import stops early.  Each message is complete: it names
// the file and the line or record at fault, so the program only prints it.

#include <stdexcept>
#include <string>

#include "input/record_writer.hpp"

namespace parmix::importer {

// Faulty input, or an output that cannot be written: exit status 1.  The
// package's own error of files, so the shared writer's failures are these.
using InputError = parmix::InputError;

// A wrong call (unknown option, missing value, impossible value): the
// usage is printed after the message and the exit status is 2.
class UsageError : public std::runtime_error {
 public:
  explicit UsageError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace parmix::importer

#endif
