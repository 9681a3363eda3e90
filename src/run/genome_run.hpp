#ifndef PARMIX_GENOME_GENOME_RUN_HPP
#define PARMIX_GENOME_GENOME_RUN_HPP

// One genome-scale run: the panel read from VCF, the analysis's checks, the
// selected individuals studied on several threads, and the report, which is
// the one the `parmix` command writes from the imported text files.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "estimate/individual_study.hpp"
#include "estimate/joint_study.hpp"
#include "estimate/study.hpp"
#include "run/genome_options.hpp"

namespace parmix::genome {

// Where the time and memory of a run went, for the summary and benchmarks.
struct RunFigures {
  std::size_t sites = 0;
  std::size_t loci = 0;
  std::size_t individuals = 0;
  std::size_t genotypeBytes = 0;
  unsigned threads = 0;
  double readSeconds = 0.0;
  double studySeconds = 0.0;
  // The hybrid-index analysis's passes over the studied individuals' loci
  // and the log calls they took (0 in the joint analysis).
  std::uint64_t passes = 0;
  std::uint64_t logCalls = 0;
  // The joint analysis's rows and the names they belong to, for the
  // triangle plot; empty in the hybrid-index analysis.
  std::vector<std::string> names;
  std::vector<JointEstimate> ancestryRows;
  // The hybrid-index analysis's data count of each studied individual, in
  // report order (for the table's loci_with_data and missing_share);
  // empty in the joint analysis.
  std::vector<DataCount> counts;
};

// Reads, studies and writes the report (and, in the joint analysis, the
// table when the options name one); progress (after a couple of
// seconds) and the summary go to MESSAGES unless the options ask for quiet.
// Throws importer::InputError naming the file at fault; the report's path
// then keeps whatever it held before.
RunFigures runGenome(const GenomeOptions& options, std::FILE* messages);

}  // namespace parmix::genome

#endif
