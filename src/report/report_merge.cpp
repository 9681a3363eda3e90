#include "report/report_merge.hpp"

#include <cstdlib>
#include <fstream>
#include <locale>
#include <sstream>
#include <unordered_map>

#include "input/errors.hpp"
#include "input/status.hpp"
#include "report/report_writer.hpp"
#include "input/writers.hpp"

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

// Reads LITERAL at AT, then (unless NUMBER is null) 1 to 9 digits into
// NUMBER; false, with AT anywhere, where the text is otherwise.
bool readPiece(const std::string& text, std::size_t& at, const char* literal, long* number) {
  const std::size_t length = std::char_traits<char>::length(literal);
  if (text.compare(at, length, literal) != 0) return false;
  at += length;
  if (number == nullptr) return true;
  std::size_t digits = 0;
  long value = 0;
  while (at < text.size() && digits < 10 && text[at] >= '0' && text[at] <= '9') {
    value = value * 10 + (text[at++] - '0');
    ++digits;
  }
  *number = value;
  return digits >= 1 && digits <= 9;
}

// The note "Shard K of N: C of T study individuals, after the first A."
// and the empty line after it, starting at AT; its end, or npos.
std::size_t readShardNote(const std::string& text, std::size_t at, ShardPlace& place) {
  if (!readPiece(text, at, "Shard ", &place.index) || !readPiece(text, at, " of ", &place.count) ||
      !readPiece(text, at, ": ", &place.rows) || !readPiece(text, at, " of ", &place.total) ||
      !readPiece(text, at, " study individuals, after the first ", &place.after) ||
      !readPiece(text, at, ".\n\n", nullptr))
    return std::string::npos;
  return at;
}

// Takes the shard note out of PREAMBLE (the line and the empty line after
// it) into PLACE; PLACE stays empty when there is none.
void takeShardNote(std::string& preamble, ShardPlace& place) {
  for (std::size_t line = 0; line < preamble.size();) {
    ShardPlace found;
    const std::size_t end = readShardNote(preamble, line, found);
    if (end != std::string::npos) {
      place = found;
      preamble.erase(line, end - line);
      return;
    }
    const std::size_t next = preamble.find('\n', line);
    if (next == std::string::npos) return;
    line = next + 1;
  }
}

long linesIn(const std::string& text, std::size_t end) {
  long lines = 0;
  for (std::size_t i = 0; i < end; ++i) lines += text[i] == '\n' ? 1 : 0;
  return lines;
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
      // The closing note begins with an empty line of its own, after the
      // header's line break: a text whose note shares that break is cut.
      if (end + 1 > text.size() - ending.size())
        throw InputError("File " + path + " is not a complete parmix report");
      parts.preamble = text.substr(firstEnd + 1, end + 1 - (firstEnd + 1));
      parts.rows = text.substr(end + 1, text.size() - ending.size() - (end + 1));
      parts.ending = ending;
      parts.firstRowLine = linesIn(text, end + 1) + 1;
      takeShardNote(parts.preamble, parts.shard);
      return parts;
    }
    at = end + 1;
  }
  throw InputError("File " + path + " holds no header line of a parmix report");
}

namespace {

const char* const kShardOrder = "give the reports of shards 1/N to N/N, each once, in that order";

// The shard notes must make the reports given the parts of one run: shards
// 1 to N of the same study individuals, consecutive, each with its rows.
void checkShardPlace(const std::vector<ReportParts>& shards, const std::vector<std::string>& paths,
                     std::size_t k, long after) {
  const ShardPlace& place = shards[k].shard;
  const ShardPlace& first = shards[0].shard;
  const std::string path = paths[k];
  if (place.index == 0)
    throw InputError("File " + path + " is not the report of a shard: it has no shard note "
                     "(parmix --vcf ... --shard K/N writes one)");
  const std::string which = "File " + path + " is shard " + std::to_string(place.index) +
                            " of " + std::to_string(place.count);
  if (place.count != static_cast<long>(shards.size()))
    throw InputError(which + ", but " + std::to_string(shards.size()) + " reports were given: " +
                     kShardOrder);
  if (place.index != static_cast<long>(k) + 1)
    throw InputError(which + " where shard " + std::to_string(k + 1) + " belongs: " + kShardOrder);
  if (place.total != first.total || place.after != after ||
      place.after + place.rows > place.total)
    throw InputError(which + " of " + std::to_string(place.total) + " study individuals, after " +
                     "the first " + std::to_string(place.after) + ", which does not follow " +
                     (k == 0 ? std::string("from its own numbers")
                             : "shard " + std::to_string(k) + " of " + paths[k - 1]) +
                     ": the reports do not come from shards of one run");
}

// A limit as the report writes it: a number or nan, "*" when cut.
bool takeLimit(std::string word, double& value, bool& cut) {
  cut = !word.empty() && word.back() == '*';
  if (cut) word.pop_back();
  char* end = nullptr;
  value = std::strtod(word.c_str(), &end);
  return !word.empty() && *end == '\0';
}

// True when LINE is exactly the row the report writer writes for what it
// holds, with names in a column of WIDTH.
bool isWrittenRow(const std::string& line, int width) {
  std::istringstream words(line);
  words.imbue(std::locale::classic());
  std::string name, h, lower, upper, extra;
  if (!(words >> name >> h >> lower >> upper) || (words >> extra)) return false;
  double values[3];
  bool cut[3];
  const std::string texts[3] = {h, lower, upper};
  for (int i = 0; i < 3; ++i)
    if (!takeLimit(texts[i], values[i], cut[i])) return false;
  if (cut[0]) return false;
  std::ostringstream row;
  row.imbue(std::locale::classic());
  useRowNumberFormat(row);
  writeOutputRow(row, name, values[0], values[1], values[2], cut + 1, width);
  return row.str() == line + "\n";
}

// Every row of a shard as the writer writes it, as many as its note gives.
void checkRows(const ReportParts& shard, const std::string& path) {
  const std::size_t headerStart = shard.preamble.rfind('\n', shard.preamble.size() - 2);
  const std::string header = shard.preamble.substr(headerStart == std::string::npos ? 0
                                                                                    : headerStart + 1);
  const int width = static_cast<int>(header.find("Individual")) + 10;
  std::istringstream lines(shard.rows);
  std::string line;
  long count = 0;
  while (std::getline(lines, line)) {
    if (!isWrittenRow(line, width))
      throw InputError("Line " + std::to_string(shard.firstRowLine + count) + " of " + path +
                       " is not a row as parmix writes it: " + quotedValue(line));
    ++count;
  }
  if (count != shard.shard.rows)
    throw InputError("File " + path + " holds " + std::to_string(count) +
                     " rows where its shard note gives " + std::to_string(shard.shard.rows) +
                     ": rows were lost or added");
}

}  // namespace

std::string mergeReports(const std::vector<ReportParts>& shards,
                         const std::vector<std::string>& paths, const std::string& timestampLine) {
  if (shards.empty()) throw InputError("no report to merge");
  std::string merged = timestampLine + shards[0].preamble;
  long after = 0;
  for (std::size_t k = 0; k < shards.size(); ++k) {
    checkShardPlace(shards, paths, k, after);
    if (shards[k].preamble != shards[0].preamble)
      throw InputError("The notes or the header of " + paths[k] + " differ from those of " +
                       paths[0] + ": the reports do not come from shards of one run");
    checkRows(shards[k], paths[k]);
    after += shards[k].shard.rows;
    merged += shards[k].rows;
  }
  if (after != shards[0].shard.total)
    throw InputError("The shards' reports hold " + std::to_string(after) + " of " +
                     std::to_string(shards[0].shard.total) + " study individuals: " +
                     kShardOrder);
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
  std::vector<NamedPath> inputs;
  for (const std::string& path : shards) inputs.push_back({"shard report", path});
  refuseOutputClashes({{"report file", output}}, inputs);
  importer::OutputFile file(output, "report file");
  file.write(mergeReports(parts, shards, timestampLine()));
  file.commit();
}

}  // namespace parmix::genome
