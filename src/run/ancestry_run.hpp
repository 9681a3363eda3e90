#ifndef PARMIX_REPORT_ANCESTRY_RUN_HPP
#define PARMIX_REPORT_ANCESTRY_RUN_HPP

// One whole joint analysis of ancestry h and interclass heterozygosity H,
// from both input files to its rows and, when asked for, its report and
// table: what `parmix::ancestry` does, for any host.

#include <string>
#include <vector>

#include "estimate/hybrid_classes.hpp"
#include "estimate/joint_study.hpp"
#include "input/status.hpp"

namespace parmix {

struct AncestryRequest {
  std::string parental = "undefined";
  std::string individual = "undefined";
  std::string report;  // the fixed-width report; empty for none
  std::string tsv;     // the tab-separated table; empty for none
  // The reference samples' counts behind the parental file: with them the
  // parental frequencies' uncertainty is carried into every individual's
  // likelihood (empty: the frequencies are taken as exact).
  std::string referenceCounts;
  ClassThresholds thresholds;
  unsigned threads = 0;  // 0: every core the process may use
};

struct AncestryRows {
  std::vector<std::string> names;
  std::vector<JointEstimate> rows;
};

// Loads and checks the data set with the steps, messages and fault kinds
// of runAnalysis (the report, when one is asked for, is opened at the same
// step and refused in the same cases; the parental checks' notes go into
// it), studies every individual, writes the report and then the table.
// An ok status with `result` filled, in file order; otherwise the first
// failure's kind and message, and `result` empty.  Never throws.
Status runAncestry(const AncestryRequest& request, AncestryRows& result);

}  // namespace parmix

#endif
