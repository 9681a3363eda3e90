#include "input/parental_file.hpp"

#include <cmath>
#include <limits>
#include <locale>
#include <sstream>
#include <vector>

#include "input/record_scanner.hpp"
#include "input/status.hpp"

namespace parmix {

namespace {

int failUnreadable(Status& status, const std::string& fileName) {
  return status.fail("File %s could not be read", fileName.c_str());
}

// Position just past the type letter (the first non-blank character), or
// npos when the data part holds none.
std::size_t findTypeLetter(const std::string& data) {
  for (std::size_t i = 0; i < data.size(); ++i)
    if (!isBlank(data[i])) return i;
  return std::string::npos;
}

// A number beyond the double range fails stream extraction, which then
// stores the largest double of its sign (C++11 num_get): still a number, so
// the tests against 1 and 0 report it rather than the count messages.
bool overflowed(const std::istream& in, double value) {
  return in.fail() && !in.bad() && std::fabs(value) == std::numeric_limits<double>::max();
}

// Extracts doubles as stream extraction reads them, from `from` on, until
// one fails.  Stores at most numbers.size() of them; returns how many were
// read, so a record longer than the row buffer is recognised, never stored.
// `trailing` tells whether anything but blanks follows the last number.
int readNumbers(const std::string& data, std::size_t from, std::vector<double>& numbers,
                bool& trailing) {
  std::istringstream in(data.substr(from));
  in.imbue(std::locale::classic());
  int count = 0;
  for (;;) {
    // Reset each time: an extraction that fails before reading anything
    // (end of the data part) leaves the value as it was, which must not
    // look like an overflow again.  An overflow consumed its characters, so
    // every turn of the loop reads on or ends it.
    double value = 0.0;
    in >> value;
    if (in.fail()) {
      if (!overflowed(in, value)) break;
      in.clear();
    }
    if (static_cast<std::size_t>(count) < numbers.size()) numbers[count] = value;
    ++count;
  }
  in.clear();
  char c;
  trailing = static_cast<bool>(in >> c);
  return count;
}

int storeDominant(const std::vector<double>& v, double* rowR, double* rowS, int r, Status& status) {
  if (v[0] > 1 || v[1] > 1)
    return status.fail(
        "One of the genotype frequences in row %d (of the parental file) is greater "
        "than 1.",
        r);
  if (v[0] < 0 || v[1] < 0)
    return status.fail(
        "One of the genotype frequences in row %d (of the parental file) is negative.", r);
  rowR[0] = 1 - std::sqrt(1 - v[0]);
  rowS[0] = 1 - std::sqrt(1 - v[1]);
  return 0;
}

int storeCodominant(const std::vector<double>& v, int n, int maxAlleles, double* rowR, double* rowS,
                    int r, Status& status) {
  const int k = n / 2;
  for (int a = 0; a < k; ++a) {
    if (v[a] > 1 || v[k + a] > 1)
      return status.fail(
          "One of the allele frequences in row %d (of the parental file) is greater "
          "than 1.",
          r);
    rowR[a] = v[a];
    rowS[a] = v[k + a];
  }
  // Negative numbers are refused only once the whole record has passed the
  // test against 1, so that test keeps its message wherever it fails.
  for (int a = 0; a < n; ++a)
    if (v[a] < 0)
      return status.fail(
          "One of the allele frequences in row %d (of the parental file) is negative.", r);
  for (int a = k; a < maxAlleles; ++a) rowR[a] = rowS[a] = 0.0;
  return 0;
}

int readLocusRecord(const std::string& data, std::vector<double>& numbers, int r, int maxAlleles,
                    char& type, double* rowR, double* rowS, Status& status) {
  const std::size_t at = findTypeLetter(data);
  std::size_t from = data.size();
  if (at != std::string::npos) {
    const char letter = data[at];
    if (letter == 'D' || letter == 'd') {
      type = 'D';
    } else if (letter == 'C' || letter == 'c') {
      type = 'C';
    } else {
      return status.fail(
          "On line %d of the parental file, the locus type designation is not C or D.", r);
    }
    from = at + 1;
  }
  bool trailing = false;
  const int n = readNumbers(data, from, numbers, trailing);
  if (n % 2 != 0)
    return status.fail(
        "On line %d of the parental file, there is an uneven number of "
        "genotype frequencies.",
        r);
  // A type letter written against its numbers can give more numbers than
  // the scan counted words, and the row more than maxAlleles (0 when no
  // record has a word of its own after the letter): never store past it.
  const bool fits = n <= 2 * maxAlleles;
  int failed;
  if (type == 'D' && n == 2 && fits) {
    failed = storeDominant(numbers, rowR, rowS, r, status);
  } else if (type == 'C' && n >= 2 && fits) {
    failed = storeCodominant(numbers, n, maxAlleles, rowR, rowS, r, status);
  } else {
    return status.fail(
        "On line %d of the parental file, there is a problem with the number of "
        "genotypes.",
        r);
  }
  // A record such as "C 0.6 0.4, 0.3 0.7" would otherwise be taken as a
  // one-allele locus with the rest silently dropped.
  if (failed == 0 && trailing)
    return status.fail(
        "On line %d of the parental file, the frequencies are followed by text that "
        "is not a number.",
        r);
  return failed;
}

}  // namespace

int scanMaxAlleles(std::string fileName, int nRecords, int* maxAlleles, Status& status, char eol) {
  RecordScanner scanner(fileName);
  if (!scanner.isOpen()) return failUnreadable(status, fileName);
  std::string data;
  scanner.nextRecord(eol, data);  // the header record, ignored
  for (int r = 1; r <= nRecords; ++r) {
    scanner.nextRecord(eol, data);
    const std::size_t words = countWords(data);
    if (words == 0) continue;
    if (words % 2 == 0)
      return status.fail(
          "On line %d of the parental file, there is an uneven number of genotype "
          "frequencies, meaning that the frequency of one of the alleles is missing "
          "for one of the populations.",
          r);
    const int k = static_cast<int>((words - 1) / 2);
    if (k > *maxAlleles) *maxAlleles = k;
  }
  return 0;
}

int readParentalData(double** freqS, double** freqR, char* locusType, int nLoci, int maxAlleles,
                     std::string fileName, Status& status, char eol) {
  RecordScanner scanner(fileName);
  if (!scanner.isOpen()) return failUnreadable(status, fileName);
  // Two slots at least, for the pair of a dominant record.
  std::vector<double> numbers(2 * static_cast<std::size_t>(maxAlleles > 1 ? maxAlleles : 1));
  std::string data;
  scanner.nextRecord(eol, data);  // the header record, ignored
  for (int i = 0; i < nLoci; ++i) {
    scanner.nextRecord(eol, data);
    if (readLocusRecord(data, numbers, i + 1, maxAlleles, locusType[i], freqR[i], freqS[i],
                        status) != 0)
      return 1;
  }
  return 0;
}

}  // namespace parmix
