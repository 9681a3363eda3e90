#ifndef PARMIX_INPUT_RECORD_WRITER_HPP
#define PARMIX_INPUT_RECORD_WRITER_HPP

// Writing the record format that both input files use: a keyword, lines of
// description, then one record per locus, "LABEL # data".  The programs
// that make input files (the simulator, the importer) write through here,
// so every file they make reads back with the package's readers.  Number
// formats stay the writer's own: each passes its numbers as text.

#include <string>
#include <vector>

#include "input/file_error.hpp"

namespace parmix {

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
