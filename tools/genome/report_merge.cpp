#include "report_merge.hpp"

#include <fstream>
#include <locale>
#include <sstream>
#include <unordered_map>

#include "errors.hpp"
#include "report/report_writer.hpp"
#include "writers.hpp"

namespace parmix::genome {

using importer::InputError;

namespace {

// The closing note exactly as the report writer writes it.
std::string endingText() {
  std::ostringstream text;
  writeEndingRow(text);
  return text.str();
}

bool isHeaderLine(const std::string& line) {
  std::istringstream words(line);
  std::string a, b, c, d, extra;
  return static_cast<bool>(words >> a >> b >> c >> d) && !(words >> extra) &&
         a == "Individual" && b == "h" && c == "Lower_Bound" && d == "Upper_Bound";
}

// The name that starts each row (names hold no blank in a report whose rows
// can be told apart at all).
std::vector<std::string> rowNames(const std::string& rows) {
  std::vector<std::string> names;
  std::istringstream lines(rows);
  std::string line, name;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    if (words >> name) names.push_back(name);
  }
  return names;
}

// A word of a damaged report as a message may show it: control characters
// (a NUL would end the message where it is printed) as '?', and at most 40
// characters of it.
std::string printable(const std::string& word) {
  std::string shown = word.substr(0, 40);
  for (char& c : shown)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
  return word.size() > 40 ? shown + "..." : shown;
}

// A shard given twice, or shards of two different splits, would repeat
// rows that a single run writes once.
void refuseRepeatedRows(const std::vector<ReportParts>& shards,
                        const std::vector<std::string>& paths) {
  std::unordered_map<std::string, std::size_t> seenIn;
  for (std::size_t k = 0; k < shards.size(); ++k) {
    for (const std::string& name : rowNames(shards[k].rows)) {
      const auto [at, fresh] = seenIn.emplace(name, k);
      if (!fresh)
        throw InputError("Individual " + printable(name) + " has a row in both " + paths[at->second] +
                         " and " + paths[k] + ": give each shard's report once");
    }
  }
}

}  // namespace

ReportParts splitReport(const std::string& text, const std::string& path) {
  const std::string ending = endingText();
  const std::size_t firstEnd = text.find('\n');
  if (text.rfind("Time-stamp: ", 0) != 0 || firstEnd == std::string::npos ||
      text.size() < ending.size() || text.compare(text.size() - ending.size(), ending.size(),
                                                  ending) != 0)
    throw InputError("File " + path + " is not a complete parmix report");
  ReportParts parts;
  parts.timestamp = text.substr(0, firstEnd + 1);
  std::size_t at = firstEnd + 1;
  while (at < text.size()) {
    const std::size_t end = text.find('\n', at);
    if (end == std::string::npos) break;
    if (isHeaderLine(text.substr(at, end - at))) {
      parts.preamble = text.substr(firstEnd + 1, end + 1 - (firstEnd + 1));
      parts.rows = text.substr(end + 1, text.size() - ending.size() - (end + 1));
      parts.ending = ending;
      return parts;
    }
    at = end + 1;
  }
  throw InputError("File " + path + " holds no header line of a parmix report");
}

std::string mergeReports(const std::vector<ReportParts>& shards,
                         const std::vector<std::string>& paths, const std::string& timestampLine) {
  if (shards.empty()) throw InputError("no report to merge");
  std::string merged = timestampLine + shards[0].preamble;
  for (std::size_t k = 0; k < shards.size(); ++k) {
    if (shards[k].preamble != shards[0].preamble)
      throw InputError("The notes or the header of " + paths[k] + " differ from those of " +
                       paths[0] + ": the reports do not come from shards of one run");
    merged += shards[k].rows;
  }
  refuseRepeatedRows(shards, paths);
  return merged + shards[0].ending;
}

namespace {

std::string readWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw importer::InputError("File " + path + " could not be read");
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) throw importer::InputError("File " + path + " could not be read");
  return text.str();
}

std::string timestampLine() {
  std::ostringstream line;
  line.imbue(std::locale::classic());
  writeTimestamp(line);
  return line.str().substr(0, line.str().find('\n') + 1);
}

}  // namespace

void mergeReportFiles(const std::string& output, const std::vector<std::string>& shards) {
  std::vector<ReportParts> parts;
  for (const std::string& path : shards) parts.push_back(splitReport(readWhole(path), path));
  importer::OutputFile file(output, shards);
  file.write(mergeReports(parts, shards, timestampLine()));
  file.commit();
}

}  // namespace parmix::genome
