#ifndef PARMIX_RUN_CLINE_RUN_HPP
#define PARMIX_RUN_CLINE_RUN_HPP

// One whole genomic-cline analysis, from both input files to its rows and,
// when asked for, its report and table: what `parmix::clines` and the
// program's --clines mode do, for any host.

#include <string>
#include <vector>

#include "estimate/cline_study.hpp"
#include "input/status.hpp"

namespace parmix {

struct ClineRequest {
  std::string parental = "undefined";
  std::string individual = "undefined";
  std::string report;  // the fixed-width report; empty for none
  std::string tsv;     // the tab-separated table; empty for none
  double qThreshold = 0.05;  // the q-value at which a locus departs
  unsigned threads = 0;      // 0: every core the process may use
};

struct ClineResult {
  std::vector<std::string> locusNames;  // one per locus of the data set
  std::vector<std::string> individualNames;
  std::vector<double> h;                // each individual's estimate (NaN: none)
  ClineStudy study;
};

// Loads and checks the data set with the steps, messages and fault kinds
// of runAnalysis (the report is opened at the same step and refused in the
// same cases; the parental checks' notes go into it), estimates every
// individual's hybrid index as the hybrid-index analysis does, fits every
// used locus's cline, then writes the report and the table.  An ok status
// with `result` filled; otherwise the first failure's kind and message,
// and `result` empty.  Never throws.
Status runClines(const ClineRequest& request, ClineResult& result);

}  // namespace parmix

#endif
