#include "structure_reader.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <unordered_map>

#include "input/byte_order_mark.hpp"
#include "input/errors.hpp"
#include "input/input_file.hpp"

namespace parmix::importer {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// Columns are separated by blanks, as STRUCTURE writes them, or by commas,
// as spreadsheets export them; blanks around a comma belong to it, and
// commas closing a row are padding.  Nothing between two commas is an
// empty column, which the row's checks refuse.
void splitColumns(const std::string& line, std::vector<std::string>& words) {
  words.clear();
  std::size_t end = line.size();
  while (end > 0 && (isBlank(line[end - 1]) || line[end - 1] == ',')) --end;
  std::size_t at = 0;
  while (at < end && isBlank(line[at])) ++at;
  while (at < end) {
    const std::size_t start = at;
    while (at < end && !isBlank(line[at]) && line[at] != ',') ++at;
    words.emplace_back(line, start, at - start);
    while (at < end && isBlank(line[at])) ++at;
    if (at < end && line[at] == ',') {
      ++at;
      while (at < end && isBlank(line[at])) ++at;
    }
  }
}

std::uint64_t fileSize(std::ifstream& in) {
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  in.seekg(0, std::ios::beg);
  return size > 0 ? static_cast<std::uint64_t>(size) : 0;
}

std::string plural(std::size_t count, const std::string& one, const std::string& many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string plural(std::size_t count, const std::string& word) {
  return plural(count, word, word + "s");
}

// A row read as one column most likely uses a separator the reader does
// not know.
std::string separatorHint(std::size_t columns) {
  return columns == 1 ? " (columns are separated by blanks, tabs or commas, and this row has "
                        "none of them)"
                      : "";
}

}  // namespace

StructureReader::StructureReader(const std::string& path, const StructureLayout& layout,
                                 Progress* progress)
    : path_(path), layout_(layout) {
  leading_ = 1 + (layout.populationColumn ? 1 : 0) + static_cast<std::size_t>(layout.extraColumns);
  populations_.source = path;
  readRows(progress);
}

std::string StructureReader::at(int line) const {
  return path_ + ", line " + std::to_string(line) + ": ";
}

void StructureReader::readRows(Progress* progress) {
  requireReadableFile(path_);
  std::ifstream in(path_, std::ios::binary);
  if (!in) throw InputError("File " + path_ + " could not be read");
  const std::uint64_t size = fileSize(in);
  std::uint64_t bytes = 0;
  std::string text;
  Row row;
  bool namesPending = layout_.markerNames;
  for (int line = 1; std::getline(in, text); ++line) {
    bytes += text.size() + 1;
    if (progress) progress->update(static_cast<std::size_t>(line), bytes, size);
    if (line == 1) dropByteOrderMark(text);
    row.line = line;
    splitColumns(text, row.words);
    if (row.words.empty()) continue;
    if (namesPending) {
      markerNames_ = row.words;
      markerLine_ = line;
      namesPending = false;
      continue;
    }
    addRow(row);
  }
  if (in.bad()) throw InputError("File " + path_ + " could not be read");
  if (names_.empty()) throw InputError("File " + path_ + " holds no individual");
  const int rows = layout_.rowsPerIndividual;
  for (std::size_t i = 0; i < names_.size(); ++i) {
    if (rowsSeen_[i] != rows) {
      throw InputError(at(firstLines_[i]) + "individual " + names_[i] +
                       " has one row, but two rows per individual are read (--rows 1 "
                       "reads one)");
    }
  }
}

void StructureReader::addRow(const Row& row) {
  checkNoEmptyColumn(row);
  if (loci_ == 0) markerNames_.empty() ? fixLocusCount(row) : matchMarkerNames(row);
  checkWidth(row);
  const bool secondRow = layout_.rowsPerIndividual == 2 && !names_.empty() && rowsSeen_.back() == 1;
  if (secondRow) {
    checkSecondRow(row);
    rowsSeen_.back() = 2;
    storeAlleles(row, names_.size() - 1, 1);
    return;
  }
  startIndividual(row);
  storeAlleles(row, names_.size() - 1, 0);
}

// Without a row of marker names the first row tells how many loci there are.
void StructureReader::fixLocusCount(const Row& row) {
  const std::size_t columns = row.words.size();
  const std::size_t genotypeColumns = columns > leading_ ? columns - leading_ : 0;
  const int perLocus = 3 - layout_.rowsPerIndividual;
  if (genotypeColumns == 0 || genotypeColumns % static_cast<std::size_t>(perLocus) != 0) {
    throw InputError(at(row.line) + "the row of individual " + row.words[0] + " has " +
                     plural(columns, "column") + "; after " + plural(leading_, "leading column") +
                     " one row per individual takes two allele columns for each locus" +
                     separatorHint(columns));
  }
  loci_ = genotypeColumns / static_cast<std::size_t>(perLocus);
}

// STRUCTURE's own row of marker names names the loci only; one written in a
// spreadsheet often names the leading columns too (INDLABEL, POPID, ...).
// The first row of an individual tells which of the two it is.
void StructureReader::matchMarkerNames(const Row& row) {
  const std::size_t perLocus = static_cast<std::size_t>(3 - layout_.rowsPerIndividual);
  const std::size_t names = markerNames_.size();
  const std::size_t columns = row.words.size();
  if (columns == leading_ + perLocus * names) {
    loci_ = names;
    return;
  }
  if (names > leading_ && columns == leading_ + perLocus * (names - leading_)) {
    markerNames_.erase(markerNames_.begin(),
                       markerNames_.begin() + static_cast<std::ptrdiff_t>(leading_));
    loci_ = names - leading_;
    return;
  }
  std::string message = at(row.line) + "the row of individual " + row.words[0] + " has " +
                        plural(columns, "column") + ", but " +
                        std::to_string(leading_ + perLocus * names) + " are expected: " +
                        plural(leading_, "leading column") + " and " +
                        plural(perLocus, "allele column") + " for each of the " +
                        plural(names, "locus", "loci") + " named on line " +
                        std::to_string(markerLine_);
  if (names > leading_) {
    message += " (or " + std::to_string(leading_ + perLocus * (names - leading_)) +
               " if line " + std::to_string(markerLine_) + " names the " +
               plural(leading_, "leading column") + " first)";
  }
  throw InputError(message + separatorHint(columns));
}

void StructureReader::checkNoEmptyColumn(const Row& row) const {
  for (std::size_t column = 0; column < row.words.size(); ++column) {
    if (row.words[column].empty()) {
      throw InputError(at(row.line) + "column " + std::to_string(column + 1) +
                       " is empty (two commas with nothing between them)");
    }
  }
}

void StructureReader::checkWidth(const Row& row) const {
  const std::size_t perLocus = static_cast<std::size_t>(3 - layout_.rowsPerIndividual);
  const std::size_t expected = leading_ + perLocus * loci_;
  if (row.words.size() != expected) {
    throw InputError(at(row.line) + "the row of individual " + row.words[0] + " has " +
                     plural(row.words.size(), "column") + ", but " + std::to_string(expected) +
                     " are expected: " + plural(leading_, "leading column") + " and " +
                     plural(perLocus, "allele column") + " for each of " +
                     plural(loci_, "locus", "loci") + separatorHint(row.words.size()));
  }
}

void StructureReader::startIndividual(const Row& row) {
  const std::string& name = row.words[0];
  if (const auto [previous, fresh] = indexOf_.emplace(name, names_.size()); !fresh) {
    throw InputError(at(row.line) + "individual " + name + " appears again (first on line " +
                     std::to_string(firstLines_[previous->second]) + ")");
  }
  names_.push_back(name);
  firstLines_.push_back(row.line);
  rowsSeen_.push_back(1);
  if (layout_.populationColumn) populations_.entries.push_back({name, row.words[1], row.line});
  if (codes_.empty()) codes_.resize(loci_);
  ids_.resize(ids_.size() + 2 * loci_, 0);
}

void StructureReader::checkSecondRow(const Row& row) const {
  const std::string& name = names_.back();
  if (row.words[0] != name) {
    throw InputError(at(row.line) + "the row names " + row.words[0] + ", but individual " + name +
                     " (line " + std::to_string(firstLines_.back()) +
                     ") has only one row so far; two rows per individual are read (--rows 1 "
                     "reads one)");
  }
  if (layout_.populationColumn && row.words[1] != populations_.entries.back().population) {
    throw InputError(at(row.line) + "the second row of individual " + name +
                     " gives another population than its first row");
  }
}

long StructureReader::parseCode(const Row& row, std::size_t column, bool& missing) const {
  const std::string& word = row.words[column];
  missing = word == layout_.missingCode;
  if (missing) return 0;
  char* end = nullptr;
  errno = 0;
  const long code = std::strtol(word.c_str(), &end, 10);
  if (*end != '\0' || errno != 0) {
    throw InputError(at(row.line) + "column " + std::to_string(column + 1) + " holds " + word +
                     ", which is neither an allele code (a whole number) nor the missing-data "
                     "code " + layout_.missingCode);
  }
  return code;
}

std::uint16_t StructureReader::codeId(std::size_t locus, long code, const Row& row) {
  std::vector<long>& codes = codes_[locus];
  const auto found = std::find(codes.begin(), codes.end(), code);
  if (found != codes.end()) return static_cast<std::uint16_t>(found - codes.begin() + 1);
  if (codes.size() + 1 >= std::numeric_limits<std::uint16_t>::max()) {
    throw InputError(at(row.line) + "locus " + std::to_string(locus + 1) +
                     " has more different allele codes than can be numbered");
  }
  codes.push_back(code);
  return static_cast<std::uint16_t>(codes.size());
}

// COPY is the allele (0 or 1) that a row of a two-row layout holds; a row
// of the one-row layout holds both, side by side.
void StructureReader::storeAlleles(const Row& row, std::size_t individual, int copy) {
  const bool oneRow = layout_.rowsPerIndividual == 1;
  for (std::size_t locus = 0; locus < loci_; ++locus) {
    for (std::size_t k = 0; k < 2; ++k) {
      if (!oneRow && k != static_cast<std::size_t>(copy)) continue;
      const std::size_t column = leading_ + (oneRow ? 2 * locus + k : locus);
      storeAllele(row, column, (individual * loci_ + locus) * 2 + k, locus);
    }
  }
}

void StructureReader::storeAllele(const Row& row, std::size_t column, std::size_t slot,
                                  std::size_t locus) {
  bool missing = false;
  const long code = parseCode(row, column, missing);
  ids_[slot] = missing ? 0 : codeId(locus, code, row);
}

// Allele numbers follow the codes' values, not the order they were met:
// the number of every stored id, index 0 (missing) included.
std::vector<int> StructureReader::alleleNumbers(std::size_t locus) const {
  const std::vector<long>& codes = codes_[locus];
  std::vector<std::size_t> order(codes.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(),
            [&](std::size_t a, std::size_t b) { return codes[a] < codes[b]; });
  std::vector<int> number(codes.size() + 1, kMissingAllele);
  for (std::size_t rank = 0; rank < order.size(); ++rank) {
    number[order[rank] + 1] = static_cast<int>(rank) + 1;
  }
  return number;
}

bool StructureReader::next(Site& site) {
  if (nextLocus_ == loci_) return false;
  const std::size_t locus = nextLocus_++;
  const std::vector<long>& codes = codes_[locus];
  const std::vector<int> number = alleleNumbers(locus);

  site.label = markerNames_.empty() ? "L" + std::to_string(locus + 1) : markerNames_[locus];
  site.where = path_ + ", locus " + std::to_string(locus + 1) + " (" + site.label + ")";
  site.alleleCount = static_cast<int>(codes.size());
  site.biallelicSnp = codes.size() == 2;
  site.alleles.resize(2 * names_.size());
  for (std::size_t i = 0; i < names_.size(); ++i) {
    for (std::size_t k = 0; k < 2; ++k) {
      site.alleles[2 * i + k] = number[ids_[(i * loci_ + locus) * 2 + k]];
    }
  }
  return true;
}

}  // namespace parmix::importer
