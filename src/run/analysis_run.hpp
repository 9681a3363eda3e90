#ifndef PARMIX_REPORT_ANALYSIS_RUN_HPP
#define PARMIX_REPORT_ANALYSIS_RUN_HPP

// The report's steps of a whole analysis of text files: the command
// `parmix PARENTAL INDIVIDUAL ?REPORT?` runs them through the steps that
// report through its interpreter (tclpkg/interp_steps.hpp), and the one run
// of text files (text_run.hpp) shares them.

#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "estimate/individual_study.hpp"
#include "input/data_set.hpp"
#include "input/status.hpp"

namespace parmix {

struct RunPaths {
  std::string parental = "undefined";
  std::string individual = "undefined";
  std::string report = "parmix_output.txt";
};

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
