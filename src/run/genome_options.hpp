#ifndef PARMIX_GENOME_GENOME_OPTIONS_HPP
#define PARMIX_GENOME_GENOME_OPTIONS_HPP

// The request of a genome-scale run: the importer's own options for the
// input, the references and the filters, plus the run's: report, threads,
// the selection of study individuals, the corrections and the model.

#include <string>
#include <vector>

#include "estimate/hybrid_classes.hpp"
#include "input/options.hpp"
#include "input/panel_reader.hpp"

namespace parmix::genome {

struct GenomeOptions {
  importer::Options input;
  std::string report = "parmix_output.txt";
  unsigned threads = 0;  // 0: every core the process may use
  Selection selection;
  Corrections corrections;
  // The joint analysis of ancestry and interclass heterozygosity instead
  // of the hybrid index; its report is parmix_ancestry.txt unless -o names
  // one, and its table is written only when tsv names a file.
  bool ancestry = false;
  std::string tsv;
  ClassThresholds thresholds;
  // The genomic clines of every locus along the hybrid index instead of
  // the hybrid-index report (parmix_clines.txt unless -o names one); the
  // table of their fits is written only when tsv names a file.  A locus
  // departs from the neutral cline at a q-value of at most qThreshold.
  bool clines = false;
  double qThreshold = 0.05;
  // What the clines' figures are drawn from, kept beside the report when
  // asked: the fitted rows with the loci's labels, and the genotype image
  // (estimate/stored_image.hpp), judged from the store.
  bool keepClineRows = false;
  bool keepImage = false;
  // Whether a clines run's hybrid-index rows are kept whole for a command
  // that asks for them; otherwise the clines, which start from the
  // estimates alone, skip their support limits.
  bool keepHybridIndexRows = false;
};

// "K/N" with 1 <= K <= N; throws importer::UsageError naming OPTION.
void parseShard(const std::string& option, const std::string& text, Selection& selection);

}  // namespace parmix::genome

#endif
