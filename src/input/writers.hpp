#ifndef PARMIX_IMPORT_WRITERS_HPP
#define PARMIX_IMPORT_WRITERS_HPP

// The two files an import writes.  Each goes to a temporary file beside its
// final path and takes that path only when the whole import has succeeded,
// so a failed import leaves earlier files of those names as they were.

#include <string>
#include <vector>

#include "input/output_file.hpp"
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
// "LABEL # a/b ..." for SAMPLES; NA/NA for a genotype with an allele missing.
void individualRecord(const Site& site, const std::vector<std::size_t>& samples,
                      std::string& line);

}  // namespace parmix::importer

#endif
