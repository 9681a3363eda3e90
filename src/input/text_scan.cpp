#include "input/text_scan.hpp"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

#include "input/compressed_input.hpp"
#include "input/record_scanner.hpp"
#include "input/status.hpp"

namespace parmix {

namespace {

int failUnreadable(Status& status, const std::string& fileName) {
  return status.fail("File %s could not be read", fileName.c_str());
}

// Reads the file's first word as stream extraction would (leading blanks of
// any kind skipped), but never more than one character past the keyword's
// length: a binary file without blanks is not read whole for one compare.
bool firstWordIs(std::istream& in, const std::string& keyword) {
  char c;
  while (in.get(c) && isBlank(c)) {
  }
  if (!in) return false;
  std::string word(1, c);
  while (word.size() <= keyword.size() && in.get(c) && !isBlank(c)) word.push_back(c);
  return word == keyword;
}

}  // namespace

void cleanString(char* text, const char* set) {
  const std::size_t textLength = std::strlen(text);
  const std::size_t setLength = std::strlen(set);
  for (std::size_t i = 0; i < textLength; ++i)
    for (std::size_t k = 0; k < setLength; ++k)
      if (text[i] == set[k]) text[i] = ' ';
}

void cleanString(std::string& text, const char* set) {
  for (char& c : text)
    if (c != '\0' && std::strchr(set, c) != nullptr) c = ' ';
}

int checkKeyword(std::string fileName, std::string keyword, Status& status) {
  RecordScanner probe(fileName);  // refuses directories
  if (!probe.isOpen()) return failUnreadable(status, fileName);
  std::ifstream file;
  std::unique_ptr<GzipBuffer> gzip;
  std::istream in(nullptr);
  if (isGzipFile(fileName)) {
    gzip.reset(new GzipBuffer(fileName));
    in.rdbuf(gzip.get());
    if (!gzip->isOpen()) return failUnreadable(status, fileName);
  } else {
    file.open(fileName, std::ios::in | std::ios::binary);
    in.rdbuf(file.rdbuf());
    if (!file) return failUnreadable(status, fileName);
  }
  if (firstWordIs(in, keyword)) return 0;
  // Damaged compressed data may hold no text at all: not a question of
  // what the file holds but of whether it can be read.
  if (in.bad() || (gzip && gzip->damaged())) return failUnreadable(status, fileName);
  return status.fail(
      "Check that %s is a text file and that %s is the first word on the first line.",
      fileName.c_str(), keyword.c_str());
}

int findNumberRows(std::string fileName, char eol) {
  RecordScanner scanner(fileName);
  if (!scanner.isOpen()) return -1;
  while (scanner.skipLabel()) scanner.skipDataPart(eol);
  // Every run counts the records first: a compressed file whose text ends
  // early is refused here, before any of it is taken for the whole.
  if (scanner.damaged()) return -1;
  return scanner.recordNumber();
}

int findNumberRowsAndTerminator(const std::string& fileName, char* eol) {
  const int withNewline = findNumberRows(fileName, '\n');
  *eol = withNewline == 1 ? '\r' : '\n';
  // The count taken for the detection is already the count with '\n'.
  return *eol == '\n' ? withNewline : findNumberRows(fileName, '\r');
}

bool endsOfItself(const std::string& fileName) {
  std::error_code ec;
  const std::filesystem::file_status kind = std::filesystem::status(fileName, ec);
  if (ec || !std::filesystem::exists(kind)) return true;
  return std::filesystem::is_regular_file(kind) || std::filesystem::is_fifo(kind) ||
         std::filesystem::is_directory(kind);
}

int countColumns(std::string fileName, int* nInd, int* nCols, Status& status, char eol) {
  *nCols = 0;
  RecordScanner scanner(fileName);
  if (!scanner.isOpen()) return failUnreadable(status, fileName);
  std::string data;
  if (!scanner.nextRecord(eol, data)) return 0;
  // Names may hold ',' ';' '/', so the header is not cleaned.
  *nInd += static_cast<int>(countWords(data));
  const WordBreaks breaks(kSeparatorSet);
  while (scanner.nextRecord(eol, data)) {
    const int words = static_cast<int>(countWords(data, breaks));
    // Only a record with at least twice the width so far is measured: the
    // first record with words fixes the width, a later one may double it.
    if (words > 0 && 2 * static_cast<long long>(*nCols) <= words) *nCols = words;
    if (*nCols != 2 * *nInd && *nCols != *nInd && *nCols != 0)
      return status.fail(
          "The number of column headings in the individual file (%d) disagrees with "
          "the number of genotypes (%d) on line %d of the same file.",
          *nInd, *nCols, scanner.recordNumber());
  }
  if (*nCols == *nInd) *nCols = 2 * *nInd;
  return 0;
}

}  // namespace parmix
