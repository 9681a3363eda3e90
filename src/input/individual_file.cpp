#include "input/individual_file.hpp"

#include <locale.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "input/data_set.hpp"
#include "input/record_scanner.hpp"
#include "input/status.hpp"
#include "input/text_scan.hpp"

namespace parmix {

namespace {

// A token converted by the rule of the format: its strtod value truncated
// toward zero, or missing data when strtod does not take the whole token.
struct Designation {
  bool outOfIntRange = false;
  bool negative = false;
  int value = kMissing;
};

// Numbers are read in the C locale whatever locale the host program set, so
// "2.7" is allele 2 everywhere.
class CLocale {
 public:
  CLocale() : handle_(newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0))) {}
  ~CLocale() {
    if (handle_ != static_cast<locale_t>(0)) freelocale(handle_);
  }
  CLocale(const CLocale&) = delete;
  CLocale& operator=(const CLocale&) = delete;
  double strtod(const char* text, char** end) const {
    return handle_ != static_cast<locale_t>(0) ? strtod_l(text, end, handle_)
                                               : std::strtod(text, end);
  }

 private:
  locale_t handle_;
};

// A token of digits only, short enough for an int: what strtod and the
// truncation would make of it, without either.  Almost every designation
// of a big panel is one.
bool convertDigits(const Word& word, Designation& d) {
  if (word.length == 0 || word.length > 9) return false;
  int value = 0;
  for (std::size_t k = 0; k < word.length; ++k) {
    const char c = word.begin[k];
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  d.value = value;
  return true;
}

Designation convertToken(const Word& word, const CLocale& c) {
  Designation d;
  if (convertDigits(word, d)) return d;
  const std::string text = word.str();
  char* end = nullptr;
  const double number = c.strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || std::isnan(number)) return d;
  const double whole = std::trunc(number);
  d.negative = whole < 0;
  // Outside the int range a conversion would be undefined: flag it instead.
  if (!(whole >= -2147483648.0 && whole <= 2147483647.0)) {
    d.outOfIntRange = true;
    return d;
  }
  d.value = static_cast<int>(whole);
  return d;
}

// What the checks of one locus record need to know.
struct LocusContext {
  int line;   // locus record, counted from 1
  char type;  // 'C', 'D' or 'B'
  int maxAlleles;
  Status& status;
  const CLocale& numbers;
};

int failOutOfRange(const LocusContext& at, int c, const std::string& shown) {
  const int alleleNumber = at.type == 'C' ? c + 1 : c / 2 + 1;
  return at.status.fail(
      "On line %d of input data in the individual file, allele number %d has a "
      "designation of %s, which falls outside the range of the number of alleles in "
      "the parental file. ",
      at.line, alleleNumber, shown.c_str());
}

int failNegative(const LocusContext& at, int c, const std::string& shown) {
  return at.status.fail(
      "On line %d of the individual file, individual %d has the designation %s: "
      "alleles are numbered from 1, and missing data are written -9999 or NA.",
      at.line, c / 2 + 1, shown.c_str());
}

// The tests of one designation, in the order of the format: zero, range,
// then the negative numbers that could never index a frequency table.
int checkDesignation(const Designation& d, const Word& word, int c, const LocusContext& at) {
  if (d.outOfIntRange)
    return d.negative ? failNegative(at, c, word.str()) : failOutOfRange(at, c, word.str());
  if (at.type == 'C' && d.value == 0)
    return at.status.fail(
        "On line %d of the individual file, an allele at a codominant locus is "
        "designated with a zero.",
        at.line);
  if (d.value > at.maxAlleles) return failOutOfRange(at, c, std::to_string(d.value));
  if (at.type == 'C' && d.value < 0 && d.value != kMissing) return failNegative(at, c, word.str());
  return 0;
}

int readLocusRecord(WordCursor words, int* row, int nCols, char layout, const LocusContext& at) {
  Word word;
  for (int c = 0; c < nCols; ++c) {
    if (!words.next(word))
      return at.status.fail(
          "On line %d of the individual file, there are too few designations: they "
          "run out at individual %d.",
          at.line, c / 2 + 1);
    const Designation d = convertToken(word, at.numbers);
    if (checkDesignation(d, word, c, at) != 0) return 1;
    row[c] = d.value;
    if (layout == 'D') row[++c] = kMissing;
  }
  return 0;
}

void readNames(const std::string& header, std::string* indNames, int nInd,
               unsigned int* nameWidth) {
  std::vector<Word> words;
  splitWords(header, words);
  for (int j = 0; j < nInd && static_cast<std::size_t>(j) < words.size(); ++j) {
    indNames[j] = words[j].str();
    if (indNames[j].size() > *nameWidth) *nameWidth = static_cast<unsigned int>(indNames[j].size());
  }
}

}  // namespace

struct DesignationConverter::Locale {
  CLocale numbers;
};

DesignationConverter::DesignationConverter() : locale_(new Locale) {}
DesignationConverter::~DesignationConverter() = default;

bool DesignationConverter::convert(const std::string& token, int* value,
                                   bool* outOfIntRange) const {
  const Designation d = convertToken(Word{token.data(), token.size()}, locale_->numbers);
  *outOfIntRange = d.outOfIntRange;
  *value = d.value;
  return !d.outOfIntRange && d.value != kMissing;
}

int readIndData(int** genotypes, std::string* indNames, std::string fileName, int nLoci, int nCols,
                int nInd, int maxAlleles, const char* locusType, const char* locusUsed,
                unsigned int* nameWidth, Status& status, char eol) {
  RecordScanner scanner(fileName);
  if (!scanner.isOpen()) return status.fail("File %s could not be read", fileName.c_str());
  std::string data;
  scanner.nextRecord(eol, data);
  readNames(data, indNames, nInd, nameWidth);
  const CLocale numbers;
  const WordBreaks breaks(kSeparatorSet);
  for (int i = 0; i < nLoci; ++i) {
    scanner.nextRecord(eol, data);
    const char layout = locusType[i];
    // The allele tests of an excluded locus are off ('B'); its layout stays.
    const char tests = locusUsed[i] ? layout : 'B';
    const LocusContext at{i + 1, tests, maxAlleles, status, numbers};
    if (readLocusRecord(WordCursor(data, breaks), genotypes[i], nCols, layout, at) != 0) return 1;
  }
  return 0;
}

}  // namespace parmix
