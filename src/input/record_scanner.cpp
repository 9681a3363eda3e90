#include "input/record_scanner.hpp"

#include <limits>

#include "input/compressed_input.hpp"
#include <system_error>
#include <filesystem>

namespace parmix {

namespace {
// Large reads: the individual file of a big panel runs to hundreds of MB.
constexpr std::size_t kReadBuffer = 1 << 20;

bool isReadableFile(const std::string& path) {
  std::error_code ec;
  return !std::filesystem::is_directory(path, ec);
}
}  // namespace

RecordScanner::RecordScanner(const std::string& path) : buffer_(new char[kReadBuffer]) {
  if (!isReadableFile(path)) return;
  if (isGzipFile(path)) {
    gzip_.reset(new GzipBuffer(path));
    in_.rdbuf(gzip_.get());
    open_ = gzip_->isOpen();
    return;
  }
  file_.rdbuf()->pubsetbuf(buffer_.get(), static_cast<std::streamsize>(kReadBuffer));
  file_.open(path, std::ios::in | std::ios::binary);
  in_.rdbuf(file_.rdbuf());
  open_ = file_.is_open() && file_.good();
}

RecordScanner::~RecordScanner() = default;

bool RecordScanner::damaged() const { return gzip_ != nullptr && gzip_->damaged(); }

bool RecordScanner::skipLabel() {
  if (!open_ || !in_.good()) return false;
  in_.ignore(std::numeric_limits<std::streamsize>::max(), '#');
  // ignore() stops after the '#' without looking further, so eof is set only
  // when the file ran out before any '#'.
  return !in_.eof();
}

bool RecordScanner::readLabel(std::string& label) {
  label.clear();
  if (!open_ || !in_.good()) return false;
  std::string line;
  char c;
  while (in_.get(c) && c != '#') {
    if (c == '\n' || c == '\r') {
      if (!line.empty()) label = line;
      line.clear();
    } else if (!(line.empty() && isBlank(c)) && line.size() < 200) {
      line.push_back(c);
    }
  }
  if (!line.empty()) label = line;
  while (!label.empty() && isBlank(label.back())) label.pop_back();
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

void RecordScanner::skipDataPart(char eol) {
  ++records_;
  in_.ignore(std::numeric_limits<std::streamsize>::max(), static_cast<unsigned char>(eol));
}

WordBreaks::WordBreaks(const char* separators) {
  for (int c = 0; c < 256; ++c) table_[c] = isBlank(static_cast<char>(c));
  for (const char* s = separators; *s != '\0'; ++s) table_[static_cast<unsigned char>(*s)] = true;
}

void splitWords(const std::string& text, std::vector<Word>& words, const WordBreaks& breaks) {
  words.clear();
  const char* s = text.data();
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n) {
    while (i < n && breaks(s[i])) ++i;
    const std::size_t start = i;
    while (i < n && !breaks(s[i])) ++i;
    if (i > start) words.push_back(Word{s + start, i - start});
  }
}

std::size_t countWords(const std::string& text, const WordBreaks& breaks) {
  // A word starts wherever a break is followed by a non-break; counted
  // without a branch per character.
  std::size_t count = 0;
  unsigned previousBreak = 1;
  for (char c : text) {
    const unsigned isBreak = breaks(c) ? 1u : 0u;
    count += previousBreak & (isBreak ^ 1u);
    previousBreak = isBreak;
  }
  return count;
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
