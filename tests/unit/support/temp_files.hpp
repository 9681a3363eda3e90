#ifndef PARMIX_TESTS_TEMP_FILES_HPP
#define PARMIX_TESTS_TEMP_FILES_HPP

// A temporary folder for test input files, removed with everything in it.

#include <string>

namespace parmix::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // Writes content byte for byte to name inside the folder; returns its path.
  std::string write(const std::string& name, const std::string& content) const;
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// The whole content of a file ("" when it cannot be read).
std::string readFile(const std::string& path);

// The same text with every '\n' replaced by the given line end.
std::string withLineEnd(const std::string& text, const std::string& lineEnd);

}  // namespace parmix::test

#endif
