#include "fuzz_support.hpp"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <vector>


namespace parmix::fuzz {

Workspace& Workspace::get() {
  static Workspace workspace;
  return workspace;
}

Workspace::Workspace() {
  std::string pattern =
      (std::filesystem::temp_directory_path() / "parmix-fuzz-XXXXXX").string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (mkdtemp(buffer.data()) == nullptr) violated("mkdtemp failed");
  dir_ = buffer.data();
}

Workspace::~Workspace() {
  std::error_code ec;
  std::filesystem::remove_all(dir_, ec);
}

std::string Workspace::write(const char* name, const std::uint8_t* data, std::size_t size) {
  const std::string full = path(name);
  std::FILE* out = std::fopen(full.c_str(), "wb");
  if (out == nullptr) violated("cannot write the scratch file", full);
  if (size > 0 && std::fwrite(data, 1, size, out) != size) violated("short write", full);
  if (std::fclose(out) != 0) violated("cannot close the scratch file", full);
  return full;
}

std::vector<std::string> splitParts(const std::uint8_t* data, std::size_t size,
                                    std::size_t maxParts) {
  static constexpr char kMarker[] = "\n%%\n";
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t at; parts.size() + 1 < maxParts &&
                       (at = text.find(kMarker, start)) != std::string::npos;
       start = at + 4) {
    parts.push_back(text.substr(start, at - start));
  }
  parts.push_back(text.substr(start));
  return parts;
}

parmix::ReportOpener notesTo(std::ostringstream& notes) {
  return [&notes](parmix::Status&) -> std::ostream* { return &notes; };
}

void violated(const char* what, const std::string& detail) {
  std::fprintf(stderr, "parmix fuzz invariant violated: %s%s%s\n", what,
               detail.empty() ? "" : ": ", detail.c_str());
  std::abort();
}

}  // namespace parmix::fuzz
