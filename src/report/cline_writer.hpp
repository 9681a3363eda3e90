#ifndef PARMIX_REPORT_CLINE_WRITER_HPP
#define PARMIX_REPORT_CLINE_WRITER_HPP

// Writers of the genomic clines' outputs: the fixed-width report (after
// the time stamp and the parental checks' notes, which the run writes) and
// the tab-separated table.  No numerics: the rows come finished.

#include <ostream>
#include <string>
#include <vector>

#include "estimate/cline_study.hpp"

namespace parmix {

// The header line, one line per fitted locus (named from NAMES, one per
// locus of the data set) and the closing notes: the counts of loci and
// individuals left out, the q-value THRESHOLD and how many loci fall in
// each category.  Numbers in fixed notation with 5 decimals, p- and
// q-values in scientific notation; a "*" directly after a limit at the
// end of the fit's range; undefined values as "nan".  The stream's format
// is restored.
void writeClineReport(std::ostream& report, const std::vector<std::string>& names,
                      const ClineStudy& study, double threshold);

// The same report with ROWNAMES one label per row of STUDY (the rows of a
// run joined from its shards, whose other loci have no label at hand).
void writeClineReportByRow(std::ostream& report, const std::vector<std::string>& rowNames,
                           const ClineStudy& study, double threshold);

// The header line and the rows of a shard of the clines (ROWNAMES one
// label per row), as writeClineReport writes them but for the q-value and
// the category, which read "pending": they need every locus of the run.
// No notes.
void writeClinePendingRows(std::ostream& report, const std::vector<std::string>& rowNames,
                           const ClineStudy& study);

// The table: a header row of the column names (clineTsvColumns), then one
// row per fitted locus.  Numbers with 10 significant digits, NA where a
// value is undefined (a cut flag of an undefined limit included), TRUE or
// FALSE for flags.
void writeClineTsv(std::ostream& tsv, const std::vector<std::string>& names,
                   const ClineStudy& study);

// The same table with ROWNAMES one label per row of STUDY.
void writeClineTsvByRow(std::ostream& tsv, const std::vector<std::string>& rowNames,
                        const ClineStudy& study);

const std::vector<std::string>& clineTsvColumns();

}  // namespace parmix

#endif
