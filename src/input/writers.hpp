#ifndef PARMIX_IMPORT_WRITERS_HPP
#define PARMIX_IMPORT_WRITERS_HPP

// The two files an import writes.  Each goes to a temporary file beside its
// final path and takes that path only when the whole import has succeeded,
// so a failed import leaves earlier files of those names as they were.

#include <string>
#include <vector>

#include "input/output_file.hpp"
#include "input/allele_counts.hpp"
#include "input/record_writer.hpp"
#include "input/site.hpp"

namespace parmix::importer {

// Written by the one writer of outputs (whole or not at all).
using parmix::OutputFile;
using parmix::withoutHash;

// "Parental", the lines describing the file, and the column line.
std::string parentalHeader(const std::string& populationR, const std::string& populationS,
                           double pseudoCount);
// "LABEL # C fR... fS...", ten significant digits, R and S three blanks apart.
std::string parentalRecord(const std::string& label, const std::vector<double>& r,
                           const std::vector<double>& s);

std::string individualHeader(const std::string& source, const std::vector<std::string>& names);
// The header of the individual file of the reference sample LETTER ('R' or
// 'S'), the individuals of POPULATION.
std::string referenceHeader(char letter, const std::string& population, const std::string& source,
                            const std::vector<std::string>& names);
// "LABEL # a/b ..." for SAMPLES; NA/NA for a genotype with an allele missing.
void individualRecord(const Site& site, const std::vector<std::size_t>& samples,
                      std::string& line);

// The reference counts file, in the format that the package's
// parmix::parentalFromReference -counts writes and readReferenceCounts
// reads: comment lines naming the samples and PARENTAL (the parental
// file's name), the pseudo-count line and the column line.
std::string countsHeader(const std::string& populationR, const std::string& populationS,
                         const std::string& parental, double pseudoCount);
// "LABEL<TAB>C<TAB>copies in R<TAB>copies in S", the label as the parental
// record writes it.  Every allele takes the pseudo-count here, as in the
// frequencies, so none is marked as seen nowhere.
std::string countsRow(const std::string& label, const AlleleCounts& r, const AlleleCounts& s);

}  // namespace parmix::importer

#endif
