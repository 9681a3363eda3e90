#ifndef PARMIX_GENOME_PANEL_READER_HPP
#define PARMIX_GENOME_PANEL_READER_HPP

// A VCF/BCF (or PLINK) panel read straight into what a run needs: the parental
// frequencies counted from the reference samples (with the importer's own
// counting, pseudo-count and filters) and the study genotypes in compact
// storage.  Nothing is written to disk, and no whole site matrix is held:
// sites are judged and stored one at a time.
//
// The frequencies are taken exactly as a run of the two text files would
// see them: each kept site's parental record is formatted by the importer's
// writer and its numbers read back as the parental reader reads them, so
// both paths work from the same bits.

#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "validate/filters.hpp"
#include "input/compact_genotypes.hpp"
#include "input/compact_likelihoods.hpp"
#include "input/data_set.hpp"
#include "input/options.hpp"
#include "input/population_map.hpp"
#include "input/reference_sites.hpp"

namespace parmix::genome {

// Which of the study individuals a run keeps (all of them by default).
struct Selection {
  std::string samplesFile;  // one name per line; empty: no list
  int shardIndex = 0;       // K of K/N, from 1; 0: no shard
  int shardCount = 0;
};

// A study individual that carries an allele neither reference sample has:
// kept until the checks know whether its locus stays in the analysis.
struct AbsentAllele {
  int locus;       // from 0
  int individual;  // column of the individual file, from 0
  int allele;
};

struct Panel {
  Panel() = default;
  Panel(const Panel&) = delete;
  Panel& operator=(const Panel&) = delete;
  Panel(Panel&&) = default;
  Panel& operator=(Panel&&) = default;

  std::size_t sites = 0;  // read from the input
  importer::SampleRoles roles;
  importer::FilterTally tally;
  // Every study individual's name (the report's name column is as wide as
  // the longest, in every shard), and the indices among them that this run
  // studies, in study order.
  std::vector<std::string> studyNames;
  std::vector<std::size_t> selected;
  int maxAlleles = 0;
  RowTable<double> freqR;
  RowTable<double> freqS;
  std::vector<char> locusType;  // as read: every site codominant
  std::vector<char> locusUsed;  // 0 where the checks take the site out
  CompactGenotypes genotypes{0};
  std::vector<AbsentAllele> absent;
  // The sites (locus index, CHROM:POS) whose parental frequencies are so
  // alike that the checks will leave them out, named for the report; only
  // those, since a label for every site would cost more than its genotypes.
  std::vector<std::pair<int, std::string>> alikeSites;
  // Every kept site's label, in locus order: only when the run names every
  // locus in its outputs (the clines).
  std::vector<std::string> locusLabels;
  unsigned nameWidth = 10;
  // With corrections only: each kept locus's genotype probabilities, and
  // (with a likelihood field) the study individuals' likelihoods.
  std::vector<SiteGenotypes> siteGenotypes;
  CompactLikelihoods likelihoods{0};
  // The reader's warnings about the input, one line each.
  std::vector<std::string> warnings;
};

// Called now and then while reading, with the sites read and the bytes.
using ReadProgress = std::function<void(std::size_t sites, std::uint64_t bytes,
                                        std::uint64_t total)>;

// Reads OPTIONS.input (a VCF/BCF file, "-" for standard input, or the
// prefix of PLINK 1 binary files) with the population map.
// Throws importer::InputError naming the file and the record or line at
// fault: an unreadable input or map, a ploidy other than 2, a kept site of
// more than CompactGenotypes::kMaxAllele alleles, a name of the sample list
// that is not studied, no site, or no site passing the filters.
// With CORRECTIONS, also the corrected analysis's parts of the panel; with
// KEEPLABELS, every kept site's label.
Panel readPanel(const importer::Options& options, const Selection& selection,
                const ReadProgress& progress, const Corrections& corrections = {},
                bool keepLabels = false);

// How a PLINK fileset's rows become the panel: straight from their two-bit
// codes wherever a row allows it, or each through a whole site record as
// every other input is read.  Both give the same panel, bit for bit.
enum class PlinkRows { Direct, AsSites };
Panel readPanel(const importer::Options& options, const Selection& selection,
                const ReadProgress& progress, const Corrections& corrections, bool keepLabels,
                PlinkRows rows);

// The indices [first, last) among TOTAL study individuals that a selection
// by shard keeps (all of them without a shard).
std::pair<std::size_t, std::size_t> shardRange(const Selection& selection, std::size_t total);

// The note a shard's report carries before its header, so that a merge can
// tell that the reports given are the parts of one run, whole and in order
// (empty without a shard): "Shard K of N: C of TOTAL study individuals,
// after the first A." and an empty line.
std::string shardNote(const Selection& selection, std::size_t total);

// The study individuals a selection keeps, as indices among NAMES.
std::vector<std::size_t> selectIndividuals(const std::vector<std::string>& names,
                                           const Selection& selection);

}  // namespace parmix::genome

#endif
