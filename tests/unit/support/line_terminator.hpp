#ifndef PARMIX_TESTS_LINE_TERMINATOR_HPP
#define PARMIX_TESTS_LINE_TERMINATOR_HPP

// The rule of a file's line terminator in its plain form, two counts
// where the readers take one (findNumberRowsAndTerminator): '\r' when a
// count with '\n' finds exactly one record, otherwise '\n'.

#include <string>

#include "input/text_scan.hpp"

namespace parmix {

inline char detectLineTerminator(const std::string& fileName) {
  return findNumberRows(fileName, '\n') == 1 ? '\r' : '\n';
}

}  // namespace parmix

#endif
