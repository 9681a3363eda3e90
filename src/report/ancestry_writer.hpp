#ifndef PARMIX_REPORT_ANCESTRY_WRITER_HPP
#define PARMIX_REPORT_ANCESTRY_WRITER_HPP

// Writers of the joint analysis's outputs: the fixed-width report (after
// the time stamp and the parental checks' notes, which the run writes) and
// the tab-separated table.  No numerics: the rows come finished.

#include <ostream>
#include <string>
#include <vector>

#include "estimate/hybrid_classes.hpp"
#include "estimate/joint_study.hpp"

namespace parmix {

// The header line, one line per individual and the closing notes.  Numbers
// in fixed notation, 5 decimals, 14 columns each (names in nameWidth);
// a "*" directly after a limit cut at the end of its range, as in the
// hybrid-index report; undefined values as "nan"; assigned as yes or no.
// The notes state the thresholds used.  The stream's format is restored.
void writeAncestryRows(std::ostream& report, const std::vector<std::string>& names,
                       const std::vector<JointEstimate>& rows, int nameWidth,
                       const ClassThresholds& thresholds);

// The table: a header row of the column names (ancestryTsvColumns), then
// one row per individual.  Numbers with 10 significant digits, NA where a
// value is undefined (a cut flag of an undefined limit included), -Inf for
// an impossible class, TRUE or FALSE for flags.  CORRECTIONS, when not
// empty (the tags of correctionTags), adds a last column, corrections,
// holding it on every row, as the hybrid-index table does.
void writeAncestryTsv(std::ostream& tsv, const std::vector<std::string>& names,
                      const std::vector<JointEstimate>& rows, const std::string& corrections = "");

// The table's column names, in order.
const std::vector<std::string>& ancestryTsvColumns();

}  // namespace parmix

#endif
