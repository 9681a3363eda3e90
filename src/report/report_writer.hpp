#ifndef PARMIX_REPORT_REPORT_WRITER_HPP
#define PARMIX_REPORT_REPORT_WRITER_HPP

// Writers of the fixed-width report.  Each write group ends with a flushing
// end-of-line.  The writers never change the stream's number format: the
// run switches it to fixed, 5 decimals, after the header.

#include <ostream>
#include <string>
#include <vector>

#include "estimate/individual_study.hpp"

namespace parmix {

// "Time-stamp: " and the local time in ctime's form, then an empty line.
void writeTimestamp(std::ostream& report);

// "Individual" in nameWidth columns, then "h", "Lower_Bound" and
// "Upper_Bound" in 14 columns each.
void writeHeader(std::ostream& report, int nameWidth);

// One row: the name in nameWidth columns, then h and both limits in 14
// columns each, a "*" directly after a limit whose truncated flag is set.
void writeOutputRow(std::ostream& report, std::string name, double h, double lowerBound,
                    double upperBound, const bool* truncated, int nameWidth);

// The closing note that explains the "*" mark.
void writeEndingRow(std::ostream& report);

// Sets the row number format: precision 5, fixed notation, point shown.
void useRowNumberFormat(std::ostream& report);

// The report's text after the time-stamp line: NOTES, the header, one row
// per estimate (NAMES in the same order) and the closing note, for runs
// that study every individual before writing.
void writeReportBody(std::ostream& report, const std::string& notes,
                     const std::vector<std::string>& names,
                     const std::vector<IndividualEstimate>& rows, int nameWidth);

}  // namespace parmix

#endif
