#ifndef PARMIX_ESTIMATE_PARALLEL_STUDY_HPP
#define PARMIX_ESTIMATE_PARALLEL_STUDY_HPP

// The individual loop of a run, spread over the cores the process may use.
// Each worker copies a block of individuals' columns out of the genotype
// matrix in one pass, then takes each individual into its own indGenotype
// with getGenotype and studies it with studyIndividualGenotype.  Workers only
// read the data set and fill their own rows of the result, which the
// caller then writes in file order.

#include <cstdint>
#include <vector>

#include "estimate/individual_study.hpp"
#include "estimate/worker_pool.hpp"
#include "input/data_set.hpp"

namespace parmix {

// The estimate of every individual (nCols / 2 of them), in file order,
// worked out on at most `workers` threads, the calling one included.  A
// failure in any worker (such as memory running out) stops the others and
// is rethrown here, on the calling thread.  When logCalls is given, the
// log calls of all likelihood evaluations are added to it (benchmarks
// compare the run with that many bare log calls).
std::vector<IndividualEstimate> studyAllIndividuals(DataSet& data, unsigned workers,
                                                    std::uint64_t* logCalls = nullptr);

}  // namespace parmix

#endif
