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

// What a shard's report says of its place in the run (its shard note):
// shard `index` of `count`, holding `rows` of the run's `total` study
// individuals, those after the first `after`.
struct ShardPlace {
  long index = 0;  // 0: the report has no shard note
  long count = 0;
  long rows = 0;
  long total = 0;
  long after = 0;
};

// One report's text in its parts.
struct ReportParts {
  std::string timestamp;  // the first line, with its end of line
  std::string preamble;   // the rest up to and including the header line,
                          // without the shard note
  std::string rows;
  std::string ending;     // the closing note
  ShardPlace shard;
  long firstRowLine = 0;  // the line number of the first row, from 1
};

// Splits TEXT, the content of the report PATH; throws importer::InputError
// naming PATH when it is not a report.
ReportParts splitReport(const std::string& text, const std::string& path);

// The merged report: TIMESTAMP_LINE, then the shared parts with every
// shard's rows in the order given.  Throws importer::InputError naming the
// file at fault when the shards are not the parts of one run, whole and in
// order: a report without a shard note, shards missing, repeated or out of
// order, notes or headers that differ, a row count other than the note's,
// or a row that is not exactly as the report writer writes one.
std::string mergeReports(const std::vector<ReportParts>& shards,
                         const std::vector<std::string>& paths, const std::string& timestampLine);

// Reads the reports SHARDS, merges them and writes the result to OUTPUT
// with a time-stamp of now; OUTPUT keeps what it held when any step fails.
// Throws InputError naming the file at fault.
void mergeReportFiles(const std::string& output, const std::vector<std::string>& shards);

}  // namespace parmix::genome

#endif
