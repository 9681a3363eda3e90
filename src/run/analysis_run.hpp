#ifndef PARMIX_REPORT_ANALYSIS_RUN_HPP
#define PARMIX_REPORT_ANALYSIS_RUN_HPP

// One whole analysis, from both input files to the finished report: what
// the command `parmix PARENTAL INDIVIDUAL ?REPORT?` does, for a host without
// an interpreter.  The command runs the same steps itself, through the ones
// that report through its interpreter (tclpkg/interp_steps.hpp), and shares
// the report's steps below with this run.

#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "estimate/individual_study.hpp"
#include "estimate/panel_study.hpp"
#include "input/data_set.hpp"
#include "input/status.hpp"

namespace parmix {

struct RunPaths {
  std::string parental = "undefined";
  std::string individual = "undefined";
  std::string report = "parmix_output.txt";
};

// Loads and checks the data set, opens the report (never one of the input
// files), studies every individual and writes one row each.  An ok status
// on success; otherwise the first failure's kind and message.  The report
// holds what the steps before the failure wrote (nothing is opened before
// the inputs are measured).  Never throws: running out of memory, or any
// other exception, becomes a failure of its own kind.  Everything the run
// holds is released on every path.  The individuals are studied on THREADS
// threads (0: every core the process may use); the report is the same for
// every count.
Status runAnalysis(const RunPaths& paths, unsigned threads = 0);

// What a hybrid-index run of text files found, for hosts that want more
// than the report: each individual's name, estimate and data count (the
// used loci with and without a genotype, counted from the data the run
// read), in file order.
struct AnalysisRows {
  std::vector<std::string> names;
  std::vector<IndividualEstimate> rows;
  std::vector<DataCount> counts;
};

// runAnalysis, also filling RESULT on success (left empty on failure).
Status runAnalysis(const RunPaths& paths, unsigned threads, AnalysisRows& result);

// The failure of a run that ended in the exception being handled: memory
// running out, or an internal failure with its reason.  Call it only from
// inside a catch block.
Status statusOfCaughtException();

// True when both paths name one existing file, by any path or link.
bool isSameFile(const std::string& a, const std::string& b);

// The report's opening step of a run, for every analysis that writes one:
// refuses a report that names an input file, opens (truncates) it and
// writes the time stamp.  0 with `report` open; 1 with the failure in
// status, kind kReport.
int openRunReport(const RunPaths& paths, std::ofstream& report, Status& status);

// The report's part after the checks, for a data set loaded and checked:
// the header, one row per individual in file order and the closing note.
// The individuals are studied on THREADS threads (at least 1); the rows
// are written on the calling thread.  Returns the estimates, in file order.
std::vector<IndividualEstimate> writeAllRows(DataSet& data, unsigned threads,
                                             std::ostream& report);

// Closes the report: 0, or 1 with a failure of kind kReport in status when
// something written was lost.
int closeRunReport(const RunPaths& paths, std::ofstream& report, Status& status);

}  // namespace parmix

#endif
