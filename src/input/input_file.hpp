#ifndef PARMIX_IMPORT_INPUT_FILE_HPP
#define PARMIX_IMPORT_INPUT_FILE_HPP

#include <cstddef>
#include <fstream>
#include <string>

namespace parmix::importer {

// Throws InputError ("File ... could not be read") unless PATH names a file
// that is not a folder: a folder opens as a stream on some systems and would
// read as an empty file.
void requireReadableFile(const std::string& path);

// The lines of a side file (a population map, a sample list), read with
// bounds set by the content: only a regular file is read, whose size bounds
// the whole, and no line may run past kMaxLine bytes, so a device or a
// binary file never grows a line without end.
class LineReader {
 public:
  static constexpr std::size_t kMaxLine = 1 << 20;

  // Opens PATH; WHAT names the file's role for messages ("population map").
  // Throws InputError when PATH is not a regular file that can be read.
  LineReader(const std::string& path, const std::string& what);
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // The next line without its line end ('\n', or "\r\n") and, on the first
  // line, without a UTF-8 byte-order mark; false at the end of the file.  Throws InputError naming the file and line for a line
  // longer than kMaxLine, or when the file cannot be read to its end.
  bool next(std::string& text);
  int line() const { return line_; }

 private:
  void endLine(std::string& text) const;

  std::string path_;
  std::string what_;
  std::ifstream in_;
  int line_ = 0;
};

}  // namespace parmix::importer

#endif
