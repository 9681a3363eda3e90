#include "report/cline_merge.hpp"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <locale>
#include <sstream>

#include "input/errors.hpp"
#include "input/status.hpp"
#include "report/cline_writer.hpp"

namespace parmix {

using importer::InputError;

void ContentCheck::add(const void* data, std::size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  for (std::size_t i = 0; i < size; ++i) {
    state_ ^= bytes[i];
    state_ *= 0x100000001b3ULL;
  }
}

std::string ContentCheck::hex() const {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(state_));
  return text;
}

void LociCheck::add(int locus, const std::string& name) {
  check_.add(std::to_string(locus + 1) + '\t' + name + '\n');
}

namespace {

const char* const kShardOrder = "give the reports of shards 1/N to N/N, each once, in that order";
const char* const kNotOneRun = ": the reports do not come from shards of one run";
const char* const kExactTitle =
    "Exact values for the merge (each row ends in a check of its text; do not edit):";
const char* const kEndOfRows = "End of the exact values: ";
constexpr std::size_t kExactFields = 20;

// The paragraph that opens a shard's report, from its place.
std::string placeParagraph(const ClineShardRun& run) {
  std::ostringstream text;
  text.imbue(std::locale::classic());
  text << "Shard " << run.index << " of " << run.count << " of the genomic clines: " << run.rows
       << " of the " << run.fitted << " loci fitted, after the first " << run.after << ".\n"
       << "The q-values and categories, which need every locus's p-value, are\n"
       << "pending: parmix --merge -o REPORT joins the reports of shards 1 to " << run.count
       << ",\nin that order, into the report of the whole run.  The exact values\n"
       << "of the rows follow them.\n\n";
  return text.str();
}

std::string number(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

std::string checkOf(const std::string& text) {
  ContentCheck check;
  check.add(text);
  return check.hex();
}

// The notes' check keeps them from being edited in every shard alike.
std::string runLine(const ClineShardRun& run, const ClineStudy& study, const std::string& notes) {
  return "run\tloci=" + std::to_string(run.loci) +
         "\texcluded=" + std::to_string(study.lociExcluded) +
         "\tindividuals=" + std::to_string(study.individualsUsed) +
         "\tleft_out=" + std::to_string(study.individualsLeftOut) +
         "\tthreshold=" + number(run.threshold) +
         "\tbootstrap=" + std::to_string(study.bootstrapReplicates) +
         "\tindividuals_check=" + run.individualsCheck + "\tloci_check=" + run.lociCheck +
         "\tnotes_check=" + checkOf(notes);
}

const std::string& exactHeader() {
  static const std::string header =
      "locus\trow\tindividuals\tv\tv_lower\tv_upper\tv_lower_cut\tv_upper_cut\tcentre\t"
      "centre_lower\tcentre_upper\tcentre_lower_cut\tcentre_upper_cut\tu\tlnL\tlnL_neutral\tLR\t"
      "p_value\tbootstrap_p_value\tcheck";
  return header;
}

// A row's values without its check.
std::string exactValues(const std::string& name, int locus, const ClineEstimate& r) {
  std::string line = name + '\t' + std::to_string(locus + 1) + '\t' + std::to_string(r.individuals);
  for (double value : {r.v, r.vLower, r.vUpper}) line += '\t' + number(value);
  for (bool cut : r.vCut) line += cut ? "\t1" : "\t0";
  for (double value : {r.centre, r.centreLower, r.centreUpper}) line += '\t' + number(value);
  for (bool cut : r.centreCut) line += cut ? "\t1" : "\t0";
  for (double value : {r.u, r.logL, r.neutralLogL, r.lr, r.pValue, r.bootstrapP})
    line += '\t' + number(value);
  return line;
}

}  // namespace

void writeClineShardReport(std::ostream& report, const std::string& notes,
                           const std::vector<std::string>& names, const ClineStudy& study,
                           const ClineShardRun& run) {
  std::vector<std::string> rowNames;
  for (const int locus : study.loci) rowNames.push_back(names[static_cast<std::size_t>(locus)]);
  report << placeParagraph(run) << notes;
  writeClinePendingRows(report, rowNames, study);
  report << '\n'
         << kExactTitle << '\n'
         << runLine(run, study, notes) << '\n'
         << exactHeader() << '\n';
  for (std::size_t k = 0; k < study.rows.size(); ++k) {
    const int locus = study.loci[k];
    const std::string values = exactValues(rowNames[k], locus, study.rows[k]);
    report << values << '\t' << checkOf(values) << '\n';
  }
  report << kEndOfRows << study.rows.size() << " rows.\n";
}

bool startsClineShardReport(const std::string& text) {
  // The time stamp's line and the empty line after it.
  const std::size_t stamp = text.find('\n');
  if (stamp == std::string::npos || text.compare(stamp, 2, "\n\n") != 0) return false;
  const std::size_t place = stamp + 2;
  if (text.compare(place, 6, "Shard ") != 0) return false;
  const std::size_t end = text.find('\n', place);
  return text.substr(place, end == std::string::npos ? end : end - place)
             .find(" of the genomic clines: ") != std::string::npos;
}

namespace {

// The lines of a shard's report, counted, for messages that name them.
class ShardLines {
 public:
  ShardLines(std::istream& in, const std::string& path) : in_(in), path_(path) {}
  // The next line; a text that ends before it, or without the line break
  // of its last line, is cut.
  std::string next() {
    std::string line;
    if (!std::getline(in_, line) || in_.eof())
      throw InputError("File " + path_ +
                       " is not a complete shard report of the genomic "
                       "clines: it ends at line " +
                       std::to_string(number_ + (line.empty() ? 0 : 1)));
    ++number_;
    return line;
  }
  bool atEnd() { return in_.peek() == std::char_traits<char>::eof(); }
  long number() const { return number_; }
  [[noreturn]] void fail(const std::string& what) const { failAt(number_, what); }
  [[noreturn]] void failAt(long line, const std::string& what) const {
    throw InputError("Line " + std::to_string(line) + " of " + path_ + " " + what);
  }

 private:
  std::istream& in_;
  const std::string& path_;
  long number_ = 0;
};

bool takeLong(const std::string& text, long& value) {
  if (text.empty() || text[0] < '0' || text[0] > '9' || text.size() > 12) return false;
  char* end = nullptr;
  value = std::strtol(text.c_str(), &end, 10);
  return *end == '\0';
}

bool takeDouble(const std::string& text, double& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return *end == '\0';
}

std::vector<std::string> fieldsOf(const std::string& line, char separator) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t at; (at = line.find(separator, start)) != std::string::npos; start = at + 1)
    fields.push_back(line.substr(start, at - start));
  fields.push_back(line.substr(start));
  return fields;
}

// The place paragraph, read by its numbers and then compared whole.
void readPlace(ShardLines& lines, ClineShardRun& run) {
  const std::string line = lines.next();
  const long start = lines.number();
  long* numbers[] = {&run.index, &run.count, &run.rows, &run.fitted, &run.after};
  const std::vector<std::string> words = fieldsOf(line, ' ');
  const std::size_t at[] = {1, 3, 8, 11, 17};
  bool read = words.size() == 18 && words[17].size() > 1 && words[17].back() == '.';
  for (int i = 0; read && i < 5; ++i) {
    std::string word = words[at[i]];
    if (i == 4) word.pop_back();
    read = takeLong(word, *numbers[i]);
  }
  const std::string expected = read ? placeParagraph(run) : std::string();
  std::string paragraph = line + '\n';
  while (read && paragraph.size() < expected.size()) paragraph += lines.next() + '\n';
  if (!read || paragraph != expected || run.index < 1 || run.index > run.count ||
      run.after + run.rows > run.fitted)
    lines.failAt(start, "is not the note of a shard's place in a run of the genomic clines");
}

bool isPendingHeader(const std::string& line) {
  std::istringstream words(line);
  std::string word, joined;
  while (words >> word) joined += word + ' ';
  return joined ==
         "Locus N v v_Lower v_Upper centre c_Lower c_Upper lnL lnL_neutral LR p_value q_value "
         "Category ";
}

std::uint64_t lineCheck(const std::string& line) {
  ContentCheck check;
  check.add(line);
  return check.value();
}

// The run's notes, then the checks of the readable rows (header first) up
// to the empty line after them, which are compared once the exact values
// are read; the line number of the header.
long readNotesAndRows(ShardLines& lines, std::string& notes, std::vector<std::uint64_t>& rows) {
  std::string line = lines.next();
  for (; !isPendingHeader(line); line = lines.next()) notes += line + '\n';
  const long header = lines.number();
  rows.push_back(lineCheck(line));
  for (line = lines.next(); !line.empty(); line = lines.next()) rows.push_back(lineCheck(line));
  return header;
}

void readRunLine(ShardLines& lines, ClineShard& shard) {
  const std::string line = lines.next();
  const std::vector<std::string> fields = fieldsOf(line, '\t');
  const char* keys[] = {
      "run",        "loci=",      "excluded=",          "individuals=", "left_out=",
      "threshold=", "bootstrap=", "individuals_check=", "loci_check=",  "notes_check="};
  std::vector<std::string> values;
  for (std::size_t i = 0; i < fields.size() && i < 10; ++i)
    if (fields[i].rfind(keys[i], 0) == 0) values.push_back(fields[i].substr(std::strlen(keys[i])));
  ClineShardRun& run = shard.run;
  ClineStudy& study = shard.study;
  long counts[5] = {};
  bool read = fields.size() == 10 && values.size() == 10;
  for (int i = 0; read && i < 4; ++i)
    read = takeLong(values[static_cast<std::size_t>(i) + 1], counts[i]);
  read = read && takeDouble(values[5], run.threshold) && takeLong(values[6], counts[4]);
  if (read) {
    run.loci = counts[0];
    study.lociExcluded = static_cast<int>(counts[1]);
    study.individualsUsed = static_cast<int>(counts[2]);
    study.individualsLeftOut = static_cast<int>(counts[3]);
    study.bootstrapReplicates = static_cast<int>(counts[4]);
    run.individualsCheck = values[7];
    run.lociCheck = values[8];
  }
  if (!read || runLine(run, study, shard.notes) != line ||
      !(run.threshold > 0 && run.threshold <= 1))
    lines.fail(
        "is not the line of the run of a shard of the genomic clines, or the notes "
        "above the rows were edited");
  shard.runLine = line;
}

bool takeCut(const std::string& text, bool& cut) {
  cut = text == "1";
  return text == "0" || text == "1";
}

// One exact row into SHARD, as written: its check, then each value.
void readExactRow(ShardLines& lines, const std::string& line, ClineShard& shard) {
  const std::size_t tab = line.rfind('\t');
  if (tab == std::string::npos || checkOf(line.substr(0, tab)) != line.substr(tab + 1))
    lines.fail("is not an exact row as parmix writes it: its check does not match its text");
  const std::vector<std::string> f = fieldsOf(line, '\t');
  ClineEstimate r;
  long locus = 0, individuals = 0;
  constexpr long kMostInt = std::numeric_limits<int>::max();
  bool read = f.size() == kExactFields && !f[0].empty() && takeLong(f[1], locus) &&
              takeLong(f[2], individuals) && locus <= kMostInt && individuals <= kMostInt;
  double* values[] = {&r.v, &r.vLower, &r.vUpper,      &r.centre, &r.centreLower, &r.centreUpper,
                      &r.u, &r.logL,   &r.neutralLogL, &r.lr,     &r.pValue,      &r.bootstrapP};
  const std::size_t at[] = {3, 4, 5, 8, 9, 10, 13, 14, 15, 16, 17, 18};
  for (int i = 0; read && i < 12; ++i) read = takeDouble(f[at[i]], *values[i]);
  read = read && takeCut(f[6], r.vCut[0]) && takeCut(f[7], r.vCut[1]) &&
         takeCut(f[11], r.centreCut[0]) && takeCut(f[12], r.centreCut[1]);
  r.individuals = static_cast<int>(individuals);
  const long last = shard.study.loci.empty() ? 0 : shard.study.loci.back() + 1;
  if (!read || locus <= last || locus > shard.run.loci ||
      exactValues(f[0], static_cast<int>(locus - 1), r) != line.substr(0, tab))
    lines.fail("is not an exact row as parmix writes it, its locus after the row before");
  r.qValue = std::nan("");
  shard.names.push_back(f[0]);
  shard.study.loci.push_back(static_cast<int>(locus - 1));
  shard.study.rows.push_back(r);
}

void readExactRows(ShardLines& lines, ClineShard& shard) {
  std::string line = lines.next();
  if (line != kExactTitle) lines.fail("is not the title of the exact values of the rows");
  readRunLine(lines, shard);
  if (lines.next() != exactHeader()) lines.fail("is not the header of the exact values");
  for (line = lines.next(); line.rfind(kEndOfRows, 0) != 0; line = lines.next())
    readExactRow(lines, line, shard);
  const std::string end = kEndOfRows + std::to_string(shard.study.rows.size()) + " rows.";
  if (line != end || static_cast<long>(shard.study.rows.size()) != shard.run.rows)
    lines.fail("closes " + std::to_string(shard.study.rows.size()) + " exact rows where the " +
               "shard's note gives " + std::to_string(shard.run.rows) +
               ": rows were lost or added");
  if (!lines.atEnd()) {
    lines.next();
    lines.fail("follows the end of the exact values");
  }
}

// The readable rows (header first) must be what the exact ones give, so
// that neither part can be edited alone.  ROWS holds their checks.
void checkReadableRows(const ClineShard& shard, const std::vector<std::uint64_t>& rows,
                       long headerLine, const std::string& path) {
  std::ostringstream text;
  writeClinePendingRows(text, shard.names, shard.study);
  std::istringstream expected(text.str());
  std::string line;
  std::size_t k = 0;
  for (; std::getline(expected, line); ++k) {
    const std::string where =
        "Line " + std::to_string(headerLine + static_cast<long>(k)) + " of " + path;
    if (k >= rows.size())
      throw InputError(where +
                       " is the end of the readable rows, before the last locus of the "
                       "exact values: rows were lost");
    if (rows[k] != lineCheck(line))
      throw InputError(where + " is not the " + (k == 0 ? "header" : "row") +
                       " that the exact values below give: " + quotedValue(line));
  }
  if (k < rows.size())
    throw InputError("Line " + std::to_string(headerLine + static_cast<long>(k)) + " of " + path +
                     " is a readable row without exact values: rows were added");
}

}  // namespace

ClineShard readClineShard(std::istream& in, const std::string& path) {
  ShardLines lines(in, path);
  if (lines.next().rfind("Time-stamp: ", 0) != 0 || !lines.next().empty())
    throw InputError("File " + path +
                     " is not a parmix report: it does not begin with a time "
                     "stamp and an empty line");
  ClineShard shard;
  readPlace(lines, shard.run);
  std::vector<std::uint64_t> rows;
  const long header = readNotesAndRows(lines, shard.notes, rows);
  readExactRows(lines, shard);
  checkReadableRows(shard, rows, header, path);
  return shard;
}

void ClineShardJoin::add(ClineShard shard, const std::string& path) {
  const ClineShardRun& run = shard.run;
  const std::string which = "File " + path + " is shard " + std::to_string(run.index) + " of " +
                            std::to_string(run.count);
  if (run.count != static_cast<long>(given_))
    throw InputError(which + ", but " + std::to_string(given_) +
                     " reports were given: " + kShardOrder);
  if (run.index != shards_ + 1)
    throw InputError(which + " where shard " + std::to_string(shards_ + 1) +
                     " belongs: " + kShardOrder);
  if (shards_ == 0) {
    first_ = run;
    firstPath_ = path;
    runLine_ = shard.runLine;
    notes_ = shard.notes;
    study_ = ClineStudy();
    study_.lociExcluded = shard.study.lociExcluded;
    study_.individualsUsed = shard.study.individualsUsed;
    study_.individualsLeftOut = shard.study.individualsLeftOut;
    study_.bootstrapReplicates = shard.study.bootstrapReplicates;
  }
  if (shard.runLine != runLine_ || shard.notes != notes_ || run.fitted != first_.fitted)
    throw InputError("The notes or the run of " + path + " differ from those of " + firstPath_ +
                     kNotOneRun);
  if (run.after != static_cast<long>(study_.rows.size()))
    throw InputError(which + " of the loci after the first " + std::to_string(run.after) +
                     ", which does not follow " +
                     (shards_ == 0 ? std::string("from its own numbers")
                                   : "shard " + std::to_string(shards_) + " of " + lastPath_) +
                     kNotOneRun);
  if (!shard.study.loci.empty() && !study_.loci.empty() &&
      shard.study.loci.front() <= study_.loci.back())
    throw InputError("The first locus of " + path + " does not follow the last of " + lastPath_ +
                     kNotOneRun);
  for (std::string& name : shard.names) names_.push_back(std::move(name));
  study_.loci.insert(study_.loci.end(), shard.study.loci.begin(), shard.study.loci.end());
  study_.rows.insert(study_.rows.end(), shard.study.rows.begin(), shard.study.rows.end());
  ++shards_;
  lastPath_ = path;
}

void ClineShardJoin::finish() {
  if (shards_ == 0) throw InputError("no report to merge");
  if (static_cast<long>(study_.rows.size()) != first_.fitted)
    throw InputError("The shards' reports hold " + std::to_string(study_.rows.size()) + " of the " +
                     std::to_string(first_.fitted) + " loci the run fits: " + kShardOrder);
  LociCheck loci;
  for (std::size_t k = 0; k < names_.size(); ++k) loci.add(study_.loci[k], names_[k]);
  if (loci.hex() != first_.lociCheck)
    throw InputError("The loci of the shards' reports are not those of the run that " + firstPath_ +
                     " names" + kNotOneRun);
}

}  // namespace parmix
