#ifndef PARMIX_VALIDATE_DATA_SET_LOADER_HPP
#define PARMIX_VALIDATE_DATA_SET_LOADER_HPP

// Loading and checking one data set: every step of a run before the
// individuals are studied, in the run's order and with its messages.  The
// command, the benchmarks, the fuzz targets and the tools all load through
// here, so they all see the same data set and the same failures.

#include <functional>
#include <ostream>
#include <string>

#include "input/data_set.hpp"
#include "input/status.hpp"

namespace parmix {

struct InputPaths {
  std::string parental;
  std::string individual;
};

// Called once both inputs are measured and the data set is allocated, and
// before anything is read into it: opens the report and writes what comes
// before the parental checks' notes.  Returns the stream, which must
// outlive the load, or null with the failure placed in status.
using ReportOpener = std::function<std::ostream*(Status& status)>;

// The steps, each run only when the ones before it passed: the keyword of
// each file; its line terminator and record count (both files must hold
// the same number); the individual file's width; the parental file's
// largest allele count; the data set at its final size; the report; the
// parental file and its checks (notes go to the report); the individual
// file and its checks.  0 with `data` filled and checked; 1 with the first
// failing step's message and kind in status, and `data` holding what was
// read before the failure.  Throws std::bad_alloc when the data set's
// tables cannot be had.
int loadDataSet(const InputPaths& paths, DataSet& data, const ReportOpener& openReport,
                Status& status);

// Two steps of the load for a host that runs the others itself.  The line
// terminator and record count of each file, parental file first, and nLoci
// from them: 0, or 1 with the failure and its kind in status (a file
// without any record, or two files of different counts).
int countLoci(const InputPaths& paths, DataSet& data, Status& status);

// After the individual checks: 1, with an internal failure in status, when
// a locus has a type the likelihood does not know; 0 otherwise.
int checkLocusTypes(const DataSet& data, Status& status);

}  // namespace parmix

#endif
