#ifndef PARMIX_INPUT_BYTE_ORDER_MARK_HPP
#define PARMIX_INPUT_BYTE_ORDER_MARK_HPP

// Editors on some systems start a UTF-8 text file with the byte-order mark
// EF BB BF.  It is no part of the text: kept, it would become part of the
// first name or word of the file, which then matches nothing.

#include <string>
#include <string_view>

namespace parmix {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

inline bool startsWithByteOrderMark(std::string_view text) {
  return text.substr(0, kByteOrderMark.size()) == kByteOrderMark;
}

// Removes the mark from the start of LINE, the first line of a file;
// true when there was one.
inline bool dropByteOrderMark(std::string& line) {
  if (!startsWithByteOrderMark(line)) return false;
  line.erase(0, kByteOrderMark.size());
  return true;
}

}  // namespace parmix

#endif
