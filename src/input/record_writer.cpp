#include "input/record_writer.hpp"

#include <algorithm>

#include "input/data_set.hpp"

namespace parmix {

namespace {

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
