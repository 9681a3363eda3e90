#include "input/reference_counts.hpp"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "input/byte_order_mark.hpp"
#include "input/record_writer.hpp"

namespace parmix {

namespace {

constexpr const char* kHeader = "locus\ttype\tR\tS";

class CountsReader {
 public:
  explicit CountsReader(const std::string& path) : path_(path) {
    // Only a regular file: its size bounds what is read, where a device or
    // a pipe could feed one endless line.
    std::error_code ec;
    if (std::filesystem::is_regular_file(path, ec)) in_.open(path, std::ios::binary);
    if (!in_.is_open())
      throw InputError("The reference counts file " + path + " could not be opened as a file.");
  }

  // The next line that is not a comment, without its line end; false at
  // the end of the file.
  bool nextLine(std::string& text) {
    while (std::getline(in_, text)) {
      ++line_;
      if (line_ == 1) dropByteOrderMark(text);
      if (!text.empty() && text.back() == '\r') text.pop_back();
      if (!text.empty() && text[0] != '#') return true;
    }
    if (in_.bad()) fail("the file could not be read to its end");
    return false;
  }

  [[noreturn]] void fail(const std::string& what) const {
    throw InputError("On line " + std::to_string(line_) + " of the reference counts file " +
                     path_ + ", " + what + ".");
  }
  int line() const { return line_; }

 private:
  std::string path_;
  std::ifstream in_;
  int line_ = 0;
};

std::vector<std::string> splitOn(const std::string& text, char separator) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1)
    fields.push_back(text.substr(start, at - start));
  fields.push_back(text.substr(start));
  return fields;
}

// A count: a finite number of 0 or more written in full.
bool parseCount(const std::string& token, double& value) {
  const char* end = token.data() + token.size();
  const auto [stop, error] = std::from_chars(token.data(), end, value);
  return error == std::errc() && stop == end && std::isfinite(value) && value >= 0;
}

std::vector<double> countList(const CountsReader& reader, const std::string& field,
                              const char* population, bool codominant) {
  std::vector<double> counts;
  std::size_t at = 0;
  while ((at = field.find_first_not_of(' ', at)) != std::string::npos) {
    const std::size_t stop = std::min(field.find(' ', at), field.size());
    const std::string token = field.substr(at, stop - at);
    double value = 0;
    if (codominant && token == "-") {
      value = kSeenNowhere;
    } else if (!parseCount(token, value)) {
      reader.fail(std::string("the count \"") + token + "\" in " + population +
                  " is not a number of 0 or more" + (codominant ? " nor -" : ""));
    }
    counts.push_back(value);
    at = stop;
  }
  return counts;
}

double pseudoCountOf(CountsReader& reader) {
  std::string text;
  if (!reader.nextLine(text)) reader.fail("the file ends before its pseudo-count line");
  const std::vector<std::string> fields = splitOn(text, '\t');
  double value = 0;
  if (fields.size() != 2 || fields[0] != "pseudo-count" || !parseCount(fields[1], value))
    reader.fail("the first line is not \"pseudo-count\", a tab and a number of 0 or more");
  return value;
}

void checkRow(const CountsReader& reader, const LocusCounts& row) {
  if (row.r.size() != row.s.size())
    reader.fail("R has " + std::to_string(row.r.size()) + " counts and S " +
                std::to_string(row.s.size()) + "; both need one per allele");
  if (row.type == 'D' && row.r.size() != 2)
    reader.fail("a dominant locus needs two counts in each population (band present, absent)");
  if (row.r.empty()) reader.fail("a codominant locus needs a count for each allele");
  for (std::size_t a = 0; a < row.r.size(); ++a) {
    if ((row.r[a] == kSeenNowhere) != (row.s[a] == kSeenNowhere))
      reader.fail("allele " + std::to_string(a + 1) +
                  " is marked - (seen nowhere) in one population only");
  }
}

LocusCounts locusRow(const CountsReader& reader, const std::string& text) {
  const std::vector<std::string> fields = splitOn(text, '\t');
  if (fields.size() != 4)
    reader.fail("the row has " + std::to_string(fields.size()) +
                " tab-separated fields; a locus row has 4 (locus, type, R, S)");
  LocusCounts row;
  row.line = reader.line();
  row.label = fields[0];
  if (fields[1] != "C" && fields[1] != "D") reader.fail("the locus type is not C or D");
  row.type = fields[1][0];
  row.r = countList(reader, fields[2], "R", row.type == 'C');
  row.s = countList(reader, fields[3], "S", row.type == 'C');
  checkRow(reader, row);
  return row;
}

}  // namespace

ReferenceCounts readReferenceCounts(const std::string& path) {
  CountsReader reader(path);
  ReferenceCounts counts;
  counts.path = path;
  counts.pseudoCount = pseudoCountOf(reader);
  std::string text;
  if (!reader.nextLine(text) || text != kHeader)
    reader.fail("the line after the pseudo-count is not the header \"locus\", \"type\", "
                "\"R\", \"S\" (tab-separated)");
  while (reader.nextLine(text)) counts.loci.push_back(locusRow(reader, text));
  if (counts.loci.empty()) reader.fail("the file ends before its first locus row");
  return counts;
}

}  // namespace parmix
