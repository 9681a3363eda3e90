#include "input/record_scanner.hpp"

#include <limits>
#include <system_error>
#include <filesystem>

namespace parmix {

namespace {
constexpr std::size_t kReadBuffer = 1 << 16;

bool isReadableFile(const std::string& path) {
  std::error_code ec;
  return !std::filesystem::is_directory(path, ec);
}
}  // namespace

RecordScanner::RecordScanner(const std::string& path) : buffer_(kReadBuffer) {
  if (!isReadableFile(path)) return;
  in_.rdbuf()->pubsetbuf(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
  in_.open(path, std::ios::in | std::ios::binary);
  open_ = in_.is_open() && in_.good();
}

bool RecordScanner::skipLabel() {
  if (!open_ || !in_.good()) return false;
  in_.ignore(std::numeric_limits<std::streamsize>::max(), '#');
  // ignore() stops after the '#' without looking further, so eof is set only
  // when the file ran out before any '#'.
  return !in_.eof();
}

void RecordScanner::readDataPart(char eol, std::string& data) {
  data.clear();
  ++records_;
  std::getline(in_, data, eol);
}

bool RecordScanner::nextRecord(char eol, std::string& data) {
  if (!skipLabel()) {
    data.clear();
    return false;
  }
  readDataPart(eol, data);
  return true;
}

void splitWords(const std::string& text, std::vector<Word>& words) {
  words.clear();
  const char* s = text.data();
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n) {
    while (i < n && isBlank(s[i])) ++i;
    const std::size_t start = i;
    while (i < n && !isBlank(s[i])) ++i;
    if (i > start) words.push_back(Word{s + start, i - start});
  }
}

std::size_t countWords(const std::string& text) {
  std::size_t count = 0;
  bool inWord = false;
  for (char c : text) {
    const bool blank = isBlank(c);
    if (!blank && !inWord) ++count;
    inWord = !blank;
  }
  return count;
}

}  // namespace parmix
