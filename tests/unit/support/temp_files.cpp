#include "support/temp_files.hpp"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace parmix::test {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "parmix-test-XXXXXX").string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (mkdtemp(buffer.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = buffer.data();
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string TempDir::write(const std::string& name, const std::string& content) const {
  const std::string full = file(name);
  std::ofstream out(full, std::ios::binary);
  out << content;
  return full;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string withLineEnd(const std::string& text, const std::string& lineEnd) {
  std::string out;
  for (char c : text) {
    if (c == '\n')
      out += lineEnd;
    else
      out += c;
  }
  return out;
}

}  // namespace parmix::test
