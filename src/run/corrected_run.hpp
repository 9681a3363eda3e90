#ifndef PARMIX_REPORT_CORRECTED_RUN_HPP
#define PARMIX_REPORT_CORRECTED_RUN_HPP

// The hybrid-index analysis of a parental and an individual file with the
// parental frequencies' uncertainty carried into every individual's
// likelihood, from the reference samples' counts: what
// `parmix::corrected` does, for any host.  The report is the command's,
// with a note naming the correction before the header.

#include <string>
#include <vector>

#include "estimate/individual_study.hpp"
#include "input/data_set.hpp"
#include "input/reference_counts.hpp"
#include "input/status.hpp"
#include "model/gl_likelihood.hpp"
#include "run/analysis_run.hpp"

namespace parmix {

struct CorrectedRequest {
  std::string parental = "undefined";
  std::string individual = "undefined";
  std::string counts;  // the reference counts file
  std::string report = "parmix_output.txt";
  unsigned threads = 0;  // 0: every core the process may use
};

// The rows, names and data counts, as for runAnalysis.
using CorrectedRows = AnalysisRows;

// Reads the counts file, then loads and checks the data set with the steps
// and messages of runAnalysis, checks the counts against it, studies every
// individual and writes the report.  The report is written whole at the
// end, so a failed run leaves a file of its name as it was.  An ok status
// with `result` filled in file order; otherwise the first failure's kind
// and message (kCounts for the counts file) and `result` empty.  Never
// throws.
Status runCorrectedAnalysis(const CorrectedRequest& request, CorrectedRows& result);

// The steps every corrected run of text files shares.  readCountsFile:
// 0 with `counts` read; 1 with the file's fault in status (kind kCounts).
int readCountsFile(const std::string& path, ReferenceCounts& counts, Status& status);
// 0 with one site per locus of the loaded DATA from COUNTS; 1 when the
// counts do not belong to the parental file PARENTAL.
int sitesFromCounts(const ReferenceCounts& counts, DataSet& data, const std::string& parental,
                    std::vector<SiteGenotypes>& sites, Status& status);

}  // namespace parmix

#endif
