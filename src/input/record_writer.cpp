#include "input/record_writer.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "input/data_set.hpp"

namespace parmix {

namespace {

constexpr std::size_t kBufferBytes = 1 << 20;

bool sameFile(const std::string& a, const std::string& b) {
  struct stat sa {};
  struct stat sb {};
  if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// umask can only be read by setting it; the writing programs run one
// thread.
mode_t currentUmask() {
  const mode_t mask = ::umask(022);
  ::umask(mask);
  return mask;
}

void appendNumber(std::string& line, int value) {
  char digits[12];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value > 0);
  while (n > 0) line += digits[--n];
}

std::string joined(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) {
    if (!text.empty()) text += ' ';
    text += word;
  }
  return text;
}

}  // namespace

RecordFile::RecordFile(std::string path, const std::vector<std::string>& inputs)
    : path_(std::move(path)), buffer_(kBufferBytes) {
  for (const std::string& input : inputs)
    if (sameFile(path_, input))
      throw InputError("The output file " + path_ + " is one of the input files; give it "
                       "another name.");
  std::string pattern = path_ + ".tmpXXXXXX";
  const int descriptor = ::mkstemp(pattern.data());
  if (descriptor < 0)
    throw InputError("The output file " + path_ + " could not be opened for writing.");
  temporary_ = pattern;
  file_.reset(::fdopen(descriptor, "wb"));
  if (!file_) {
    ::close(descriptor);
    ::unlink(temporary_.c_str());
    throw InputError("The output file " + path_ + " could not be opened for writing.");
  }
  // mkstemp makes the file private; the result should get the usual
  // permissions of a new file.
  ::fchmod(descriptor, 0666 & ~currentUmask());
  std::setvbuf(file_.get(), buffer_.data(), _IOFBF, buffer_.size());
}

RecordFile::~RecordFile() {
  if (committed_) return;
  file_.reset();
  ::unlink(temporary_.c_str());
}

void RecordFile::write(const std::string& text) {
  if (failed_ || !file_) return;
  if (std::fwrite(text.data(), 1, text.size(), file_.get()) != text.size()) failed_ = true;
}

void RecordFile::commit() {
  const bool flushed = std::fflush(file_.get()) == 0;
  const bool closed = std::fclose(file_.release()) == 0;
  if (failed_ || !flushed || !closed || std::rename(temporary_.c_str(), path_.c_str()) != 0)
    throw InputError("The output file " + path_ + " could not be written completely.");
  committed_ = true;
}

std::string withoutHash(std::string text) {
  std::replace(text.begin(), text.end(), '#', '_');
  return text;
}

std::string headerRecord(const std::string& keyword, const std::string& description,
                         const std::string& columns, const std::vector<std::string>& names) {
  std::string text = keyword + "\n" + withoutHash(description) + "\n" + columns;
  for (const std::string& name : names) text += ' ' + name;
  return text + '\n';
}

std::string parentalRecord(const std::string& label, char type, const std::vector<std::string>& r,
                           const std::vector<std::string>& s, const char* gap) {
  return withoutHash(label) + " # " + type + ' ' + joined(r) + gap + joined(s) + '\n';
}

void startIndividualRecord(std::string& line, const std::string& label) {
  line = withoutHash(label);
  line += " #";
}

void appendAllelePair(std::string& line, int first, int second) {
  if (first == kMissing || second == kMissing) {
    line += "NA/NA";
    return;
  }
  appendNumber(line, first);
  line += '/';
  appendNumber(line, second);
}

void appendPhenotype(std::string& line, int phenotype) {
  line += phenotype == kMissing ? "NA" : (phenotype == 1 ? "1" : "0");
}

}  // namespace parmix
