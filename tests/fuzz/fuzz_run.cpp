// libFuzzer target: one whole analysis, the run the command `parmix` makes.
// The input holds both files: the parental file, a line "%%", then the
// individual file (split at the first "\n%%\n"; without one, the whole
// input is the parental file and the individual file is empty).  The report
// goes to a fresh path in the scratch folder.
//
// Invariants (a violation is a crash): the run succeeds without a message,
// or fails with one; a failed run never leaves a
// report with a header line; a successful report starts with its time-stamp,
// ends with the closing note, and every row's numbers are NaN or satisfy
// 0 <= lower <= h <= upper <= 1.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz_support.hpp"
#include "../unit/support/text_analysis.hpp"

using parmix::fuzz::violated;
using parmix::fuzz::Workspace;

namespace {

constexpr char kMarker[] = "\n%%\n";
constexpr char kClosingNote[] =
    "\nNote: A * symbol indicates that the confidence interval is truncated by\n"
    "the upper or lower limit for h.\n";

std::string readWhole(const std::string& path, bool& exists) {
  std::ifstream in(path, std::ios::binary);
  exists = static_cast<bool>(in);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A report number as written: fixed with 5 decimals or "nan", and a "*"
// when the limit is cut.
double number(std::string word) {
  if (!word.empty() && word.back() == '*') word.pop_back();
  if (word == "nan") return std::nan("");
  char* end = nullptr;
  const double value = std::strtod(word.c_str(), &end);
  if (word.empty() || *end != '\0') violated("a report number that does not read", word);
  return value;
}

void checkRows(const std::string& report) {
  const std::size_t header = report.find("Lower_Bound   Upper_Bound\n");
  if (header == std::string::npos) violated("a successful report without its header");
  std::istringstream lines(report.substr(report.find('\n', header) + 1));
  std::string line;
  constexpr double slack = 1e-5;  // the report shows 5 decimals
  while (std::getline(lines, line) && !line.empty()) {
    std::istringstream words(line);
    std::vector<std::string> w;
    for (std::string word; words >> word;) w.push_back(word);
    if (w.size() < 3) violated("a report row without three numbers", line);
    const double h = number(w[w.size() - 3]);
    const double lower = number(w[w.size() - 2]);
    const double upper = number(w[w.size() - 1]);
    if (std::isnan(h)) {
      if (!std::isnan(lower) || !std::isnan(upper)) violated("limits without an estimate", line);
      continue;
    }
    if (h < 0.0 || h > 1.0) violated("an estimate outside [0, 1]", line);
    if (!std::isnan(lower) && (lower < 0.0 || lower > h + slack))
      violated("a lower limit outside [0, h]", line);
    if (!std::isnan(upper) && (upper > 1.0 || upper < h - slack))
      violated("an upper limit outside [h, 1]", line);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Workspace& ws = Workspace::get();
  const char* text = reinterpret_cast<const char*>(data);
  const std::string input(text, size);
  std::size_t split = input.find(kMarker);
  std::size_t rest = split + std::strlen(kMarker);
  if (split == std::string::npos) split = rest = size;
  const std::string parental = ws.write("parental.txt", data, split);
  const std::string individuals = ws.write("individuals.txt", data + rest, size - rest);
  const std::string report = ws.path("report.txt");
  std::remove(report.c_str());

  const parmix::Status status = parmix::test::analyseTextFiles(parental, individuals, report);

  bool exists = false;
  const std::string written = readWhole(report, exists);
  if (!status.ok()) {
    if (status.message().empty()) violated("a failure without a message");
    if (exists && written.find("Lower_Bound") != std::string::npos)
      violated("a failed run left a report with a header", status.message());
    return 0;
  }
  if (!status.message().empty()) violated("a successful run with a message", status.message());
  if (!exists) violated("a successful run without a report");
  if (written.rfind("Time-stamp: ", 0) != 0) violated("a report without its time-stamp");
  const std::size_t note = std::strlen(kClosingNote);
  if (written.size() < note || written.compare(written.size() - note, note, kClosingNote) != 0)
    violated("a report without its closing note");
  checkRows(written);
  return 0;
}
