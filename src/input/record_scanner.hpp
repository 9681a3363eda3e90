#ifndef PARMIX_INPUT_RECORD_SCANNER_HPP
#define PARMIX_INPUT_RECORD_SCANNER_HPP

// Reads an input file record by record; a gzip or bgzip file is read as
// the text it holds (input/compressed_input.hpp).  A record is everything up to and
// including the next '#' (its label, skipped) followed by its data part,
// which runs to the line terminator.  Labels and data parts may be of any
// length.  The scanner counts the records whose data part it has read, so a
// reader can say in which record a fault lies.

#include <fstream>
#include <istream>
#include <memory>
#include <string>
#include <vector>

namespace parmix {

class GzipBuffer;

class RecordScanner {
 public:
  // Opens path for reading; a directory or an unreadable file is not open.
  explicit RecordScanner(const std::string& path);
  ~RecordScanner();
  RecordScanner(const RecordScanner&) = delete;
  RecordScanner& operator=(const RecordScanner&) = delete;

  bool isOpen() const { return open_; }

  // Skips up to and including the next '#'; false when none is left.
  bool skipLabel();
  // The same, keeping the last non-blank line of the label, trimmed (at
  // most 200 characters of it), in `label`: a locus name, as a rule.
  bool readLabel(std::string& label);
  // Reads the data part up to the terminator eol, which is consumed and not
  // stored; counts the record.  An empty data part at the end of the file
  // still counts.
  void readDataPart(char eol, std::string& data);
  // Skips the next label and reads the data part after it; false, with data
  // empty and nothing counted, when no '#' is left.
  bool nextRecord(char eol, std::string& data);
  // Passes over the data part up to the terminator eol without keeping it;
  // counts the record.
  void skipDataPart(char eol);

  // Records read so far, the header record included (the header is 1).
  int recordNumber() const { return records_; }
  // True once the text of a compressed file ended at a fault of its data
  // (cut short, a failed check): what was read is not the whole file.
  bool damaged() const;

 private:
  // Left uninitialised: the stream fills it, and zeroing 1 MiB on every
  // open would cost more than reading a small file.
  std::unique_ptr<char[]> buffer_;
  std::ifstream file_;
  std::unique_ptr<GzipBuffer> gzip_;
  std::istream in_{nullptr};  // reads through file_'s buffer or gzip_
  bool open_ = false;
  int records_ = 0;
};

// The blank-separated words of a data part, as views into `text`.
struct Word {
  const char* begin;
  std::size_t length;
  std::string str() const { return std::string(begin, length); }
};
void splitWords(const std::string& text, std::vector<Word>& words);
std::size_t countWords(const std::string& text);

// The characters that end a word: the blanks and the characters of a
// separator set.  Splitting with it gives the words that replacing every
// separator by a blank and splitting at blanks gives, in one pass.
class WordBreaks {
 public:
  explicit WordBreaks(const char* separators);
  bool operator()(char c) const { return table_[static_cast<unsigned char>(c)]; }

 private:
  bool table_[256] = {};
};
void splitWords(const std::string& text, std::vector<Word>& words, const WordBreaks& breaks);

// The same words one at a time, for a reader that takes only as many as it
// needs and keeps no list of them.
class WordCursor {
 public:
  WordCursor(const std::string& text, const WordBreaks& breaks)
      : next_(text.data()), end_(text.data() + text.size()), breaks_(breaks) {}
  // The next word; false when none is left.
  bool next(Word& word) {
    while (next_ < end_ && breaks_(*next_)) ++next_;
    if (next_ == end_) return false;
    const char* start = next_;
    while (next_ < end_ && !breaks_(*next_)) ++next_;
    word = Word{start, static_cast<std::size_t>(next_ - start)};
    return true;
  }

 private:
  const char* next_;
  const char* end_;
  const WordBreaks& breaks_;
};
std::size_t countWords(const std::string& text, const WordBreaks& breaks);

// True for the white-space characters that separate words.
inline bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace parmix

#endif
