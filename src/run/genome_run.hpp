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
#include "estimate/stored_image.hpp"
#include "estimate/study.hpp"
#include "input/status.hpp"
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
  // The studied individuals' names in report order, and the rows of the
  // analysis run (ancestryRows in the joint one, rows in the other), from
  // which the tables and plots are made.
  std::vector<std::string> names;
  std::vector<IndividualEstimate> rows;
  std::vector<JointEstimate> ancestryRows;
  // The data count of each studied individual, in report order (for the
  // rows' lociWithData and missingShare).
  std::vector<DataCount> counts;
  // The clines: the loci fitted (0 in the other analyses).
  std::size_t lociFitted = 0;
  // The clines' rows and every locus's label, kept when the options ask
  // for them (keepClineRows or keepImage), and the genotype image when
  // they ask for it (keepImage).
  ClineStudy clines;
  std::vector<std::string> locusLabels;
  BinnedImage image;
};

// Reads, studies and writes the report (and, in the joint analysis and the
// clines, the table when the options name one); progress (after a couple of
// seconds) and the summary go to MESSAGES unless the options ask for quiet.
// An ok status with FIGURES filled; otherwise, as the text run reports
// its failures, the status of the first: kPanelFile with the message
// naming the file at fault (the report's path then keeps whatever it held
// before), kMemory, or kInternal.  Never throws.
Status runGenome(const GenomeOptions& options, std::FILE* messages, RunFigures& figures);

// What a merge joined: for the clines' shards, the run's rows, judged, and
// their labels, one a row; nothing for the shards of the hybrid index.
struct MergedClines {
  bool clines = false;
  ClineStudy study;
  std::vector<std::string> names;
};

// Joins the reports SHARDS, those of shards 1/N to N/N of one run in that
// order, into the report one run writes, at OUTPUT with a time stamp of
// now: the hybrid index's (mergeReportFiles) or, when the first is a shard
// of the genomic clines, the clines', whose q-values and categories are
// taken over every locus as the run takes them, with their table at TSV
// unless empty.  Each output keeps what it held when any step fails.
// Throws importer::InputError naming the file at fault, UsageError for a
// TSV or CLINEROWS (the caller's wish for the clines' rows) with the
// shards of the hybrid index.
MergedClines mergeShardReports(const std::string& output, const std::string& tsv,
                               const std::vector<std::string>& shards, bool clineRows = false);

}  // namespace parmix::genome

#endif
