#ifndef PARMIX_GENOME_REPORT_MERGE_HPP
#define PARMIX_GENOME_REPORT_MERGE_HPP

// Joining the reports of the shards of one run into the report a single
// run would have written.  Every shard's report holds the same notes, the
// same header (its name column as wide as the longest name of the whole
// run) and the same closing note; only the rows differ, and the shards'
// rows in shard order are the whole run's rows.

#include <string>
#include <vector>

namespace parmix::genome {

// One report's text in its parts.
struct ReportParts {
  std::string timestamp;  // the first line, with its end of line
  std::string preamble;   // the rest up to and including the header line
  std::string rows;
  std::string ending;     // the closing note
};

// Splits TEXT, the content of the report PATH; throws importer::InputError
// naming PATH when it is not a report.
ReportParts splitReport(const std::string& text, const std::string& path);

// The merged report: TIMESTAMP_LINE, then the shared parts with every
// shard's rows in the order given.  Throws importer::InputError when the
// shards do not come from the same run (their notes or headers differ).
std::string mergeReports(const std::vector<ReportParts>& shards,
                         const std::vector<std::string>& paths, const std::string& timestampLine);

// Reads the reports SHARDS, merges them and writes the result to OUTPUT
// with a time-stamp of now; OUTPUT keeps what it held when any step fails.
// Throws InputError naming the file at fault.
void mergeReportFiles(const std::string& output, const std::vector<std::string>& shards);

}  // namespace parmix::genome

#endif
