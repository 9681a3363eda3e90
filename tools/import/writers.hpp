#ifndef PARMIX_IMPORT_WRITERS_HPP
#define PARMIX_IMPORT_WRITERS_HPP

// The two files an import writes.  Each goes to a temporary file beside its
// final path and takes that path only when the whole import has succeeded,
// so a failed import leaves earlier files of those names as they were.

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "site.hpp"

namespace parmix::importer {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

class OutputFile {
 public:
  // Throws InputError when PATH names one of INPUTS or no temporary file
  // can be made beside it.
  OutputFile(std::string path, const std::vector<std::string>& inputs);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  void write(const std::string& text);
  // Flushes and closes the temporary file, then renames it to the final
  // path; throws InputError when any of it fails.
  void commit();
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::string temporary_;
  std::vector<char> buffer_;
  std::unique_ptr<std::FILE, FileCloser> file_;
  bool failed_ = false;
  bool committed_ = false;
};

// A '#' would start a record in either file, so labels and comment lines
// carry '_' in its place.
std::string withoutHash(std::string text);

// "Parental", the lines describing the file, and the column line.
std::string parentalHeader(const std::string& populationR, const std::string& populationS,
                           double pseudoCount);
// "LABEL # C fR... fS...", ten significant digits, R and S three blanks apart.
std::string parentalRecord(const std::string& label, const std::vector<double>& r,
                           const std::vector<double>& s);

std::string individualHeader(const std::string& source, const std::vector<std::string>& names);
// "LABEL # a/b ..." for SAMPLES; NA/NA for a genotype with an allele missing.
void individualRecord(const Site& site, const std::vector<std::size_t>& samples,
                      std::string& line);

}  // namespace parmix::importer

#endif
