#include "input/input_file.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include "input/errors.hpp"
#include "input/byte_order_mark.hpp"

namespace parmix::importer {

void requireReadableFile(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode) ||
      ::access(path.c_str(), R_OK) != 0) {
    throw InputError("File " + path + " could not be read");
  }
}

LineReader::LineReader(const std::string& path, const std::string& what)
    : path_(path), what_(what) {
  requireReadableFile(path);
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
    throw InputError("File " + path + " is not a regular file; the " + what +
                     " is read from one");
  }
  in_.open(path, std::ios::binary);
  if (!in_) throw InputError("File " + path + " could not be read");
}

bool LineReader::next(std::string& text) {
  text.clear();
  std::streambuf& buffer = *in_.rdbuf();
  constexpr int kEnd = std::char_traits<char>::eof();
  if (buffer.sgetc() == kEnd) return false;
  ++line_;
  for (int c; (c = buffer.sbumpc()) != kEnd;) {
    if (c == '\n') {
      endLine(text);
      return true;
    }
    if (text.size() == kMaxLine) {
      throw InputError(path_ + ", line " + std::to_string(line_) + ": the line runs past " +
                       std::to_string(kMaxLine) + " bytes; a " + what_ +
                       " holds short lines of names");
    }
    text.push_back(static_cast<char>(c));
  }
  endLine(text);
  return true;
}

// Without its '\r' of a "\r\n" line end, and (on the first line) without an
// editor's byte-order mark, which is no part of the first name.
void LineReader::endLine(std::string& text) const {
  if (!text.empty() && text.back() == '\r') text.pop_back();
  if (line_ == 1) dropByteOrderMark(text);
}

}  // namespace parmix::importer
