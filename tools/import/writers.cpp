#include "writers.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "errors.hpp"

namespace parmix::importer {

namespace {

constexpr std::size_t kBufferBytes = 1 << 20;

bool sameFile(const std::string& a, const std::string& b) {
  struct stat sa {};
  struct stat sb {};
  if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

std::string formatFrequency(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.10g", value);
  return text;
}

std::string joinFrequencies(const std::vector<double>& values) {
  std::string text;
  for (double value : values) {
    if (!text.empty()) text += ' ';
    text += formatFrequency(value);
  }
  return text;
}

std::string formatPseudoCount(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
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

// umask can only be read by setting it; the program is single-threaded.
mode_t currentUmask() {
  const mode_t mask = ::umask(022);
  ::umask(mask);
  return mask;
}

}  // namespace

OutputFile::OutputFile(std::string path, const std::vector<std::string>& inputs)
    : path_(std::move(path)), buffer_(kBufferBytes) {
  for (const std::string& input : inputs) {
    if (sameFile(path_, input)) {
      throw InputError("The output file " + path_ + " is one of the input files; give it "
                       "another name.");
    }
  }
  std::vector<char> pattern(path_.begin(), path_.end());
  const std::string suffix = ".tmpXXXXXX";
  pattern.insert(pattern.end(), suffix.begin(), suffix.end());
  pattern.push_back('\0');
  const int descriptor = ::mkstemp(pattern.data());
  if (descriptor < 0) {
    throw InputError("The output file " + path_ + " could not be opened for writing.");
  }
  temporary_ = pattern.data();
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

OutputFile::~OutputFile() {
  if (committed_) return;
  file_.reset();
  ::unlink(temporary_.c_str());
}

void OutputFile::write(const std::string& text) {
  if (failed_) return;
  if (std::fwrite(text.data(), 1, text.size(), file_.get()) != text.size()) failed_ = true;
}

void OutputFile::commit() {
  const bool flushed = std::fflush(file_.get()) == 0;
  const bool closed = std::fclose(file_.release()) == 0;
  if (failed_ || !flushed || !closed || std::rename(temporary_.c_str(), path_.c_str()) != 0) {
    throw InputError("The output file " + path_ + " could not be written completely.");
  }
  committed_ = true;
}

std::string withoutHash(std::string text) {
  std::replace(text.begin(), text.end(), '#', '_');
  return text;
}

std::string parentalHeader(const std::string& populationR, const std::string& populationS,
                           double pseudoCount) {
  return "Parental\n"
         "Frequencies counted from reference samples: " +
         withoutHash("R = " + populationR + ", S = " + populationS) + "\n(pseudo-count " +
         formatPseudoCount(pseudoCount) + ")\nlocus # type, frequencies in R, then in S\n";
}

std::string parentalRecord(const std::string& label, const std::vector<double>& r,
                           const std::vector<double>& s) {
  return withoutHash(label) + " # C " + joinFrequencies(r) + "   " + joinFrequencies(s) + "\n";
}

std::string individualHeader(const std::string& source, const std::vector<std::string>& names) {
  std::string text = "Individual\n" + withoutHash("Individuals to study, imported from " + source) +
                     "\nnames #";
  for (const std::string& name : names) text += ' ' + name;
  return text + '\n';
}

void individualRecord(const Site& site, const std::vector<std::size_t>& samples,
                      std::string& line) {
  line = withoutHash(site.label);
  line += " #";
  for (std::size_t sample : samples) {
    const int a = site.alleles[2 * sample];
    const int b = site.alleles[2 * sample + 1];
    line += ' ';
    if (a == kMissingAllele || b == kMissingAllele) {
      line += "NA/NA";
      continue;
    }
    appendNumber(line, a);
    line += '/';
    appendNumber(line, b);
  }
  line += '\n';
}

}  // namespace parmix::importer
