#ifndef PARMIX_BENCH_DATA_LOADER_HPP
#define PARMIX_BENCH_DATA_LOADER_HPP

// Loads a data set through the run's own loader, for the benchmark
// programs that time parts of a run on their own; the notes are dropped.

#include <string>

#include "input/data_set.hpp"

namespace parmix::bench {

// Fills data from the two files; false with the run's message on failure.
bool loadDataSet(const std::string& parental, const std::string& individual, DataSet& data,
                 std::string& message);

}  // namespace parmix::bench

#endif
