#ifndef PARMIX_INPUT_FILE_ERROR_HPP
#define PARMIX_INPUT_FILE_ERROR_HPP

// The error of a file that cannot be read or written, or of input at fault.

#include <stdexcept>
#include <string>

namespace parmix {

// The message is complete: it names the file and, for input, the line or
// record.
class InputError : public std::runtime_error {
 public:
  explicit InputError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace parmix

#endif
