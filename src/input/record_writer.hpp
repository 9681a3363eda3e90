#ifndef PARMIX_INPUT_RECORD_WRITER_HPP
#define PARMIX_INPUT_RECORD_WRITER_HPP

// Writing the record format that both input files use: a keyword, lines of
// description, then one record per locus, "LABEL # data".  The programs
// that make input files (the simulator, the importer) write through here,
// so every file they make reads back with the package's readers.  Number
// formats stay the writer's own: each passes its numbers as text.

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace parmix {

// A file that cannot be read or written, or input at fault.  The message is
// complete: it names the file and, for input, the line or record.
class InputError : public std::runtime_error {
 public:
  explicit InputError(const std::string& message) : std::runtime_error(message) {}
};

// An output file written to a temporary file beside its final path, which
// takes that path only on commit(), so a failed run leaves an earlier file
// of that name as it was.
class RecordFile {
 public:
  // Throws InputError when path names one of inputs or no temporary file
  // can be made beside it.
  RecordFile(std::string path, const std::vector<std::string>& inputs);
  explicit RecordFile(std::string path) : RecordFile(std::move(path), {}) {}
  ~RecordFile();  // removes the temporary file unless committed
  RecordFile(const RecordFile&) = delete;
  RecordFile& operator=(const RecordFile&) = delete;

  void write(const std::string& text);
  // Flushes and closes the temporary file, then renames it to the final
  // path; throws InputError when any of it fails.
  void commit();
  const std::string& path() const { return path_; }

 private:
  struct Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  std::string path_;
  std::string temporary_;
  std::vector<char> buffer_;
  std::unique_ptr<std::FILE, Closer> file_;
  bool failed_ = false;
  bool committed_ = false;
};

// A '#' would start a record, so labels and description lines carry '_'
// in its place.
std::string withoutHash(std::string text);

// The header record: the keyword ("Parental", "Individual"), the
// description (its '#' replaced), then `columns` up to and including " #"
// and, for an individual file, the names.
std::string headerRecord(const std::string& keyword, const std::string& description,
                         const std::string& columns, const std::vector<std::string>& names = {});

// A parental locus record: "LABEL # T r1 r2 ...", the S frequencies after
// `gap`, then the line end.  type is 'C' or 'D'.
std::string parentalRecord(const std::string& label, char type, const std::vector<std::string>& r,
                           const std::vector<std::string>& s, const char* gap = " ");

// An individual locus record is "LABEL #" and one designation per
// individual, each after a blank (the caller writes the blank): an allele
// pair "a/b" ("NA/NA" when either is kMissing) at a codominant locus, the
// phenotype "1", "0" or "NA" (kMissing) at a dominant one.
void startIndividualRecord(std::string& line, const std::string& label);
void appendAllelePair(std::string& line, int first, int second);
void appendPhenotype(std::string& line, int phenotype);

}  // namespace parmix

#endif
