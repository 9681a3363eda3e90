#ifndef PARMIX_BENCH_DATA_LOADER_HPP
#define PARMIX_BENCH_DATA_LOADER_HPP

// Loads a data set the way a run does (measuring scans, readers, checks),
// for the benchmark programs that time parts of a run on their own.

#include <tcl.h>

#include <memory>
#include <string>

#include "input/data_set.hpp"

namespace parmix::bench {

// An interpreter whose stubs table the library code can call through.
class Interpreter {
 public:
  Interpreter();
  ~Interpreter();
  Interpreter(const Interpreter&) = delete;
  Interpreter& operator=(const Interpreter&) = delete;
  Tcl_Interp* get() const { return interp_; }
  std::string result() const;

 private:
  Tcl_Interp* interp_;
};

// Fills data from the two files; false with the run's message on failure.
bool loadDataSet(const std::string& parental, const std::string& individual, DataSet& data,
                 Interpreter& interp, std::string& message);

}  // namespace parmix::bench

#endif
