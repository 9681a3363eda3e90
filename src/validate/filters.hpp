#ifndef PARMIX_IMPORT_FILTERS_HPP
#define PARMIX_IMPORT_FILTERS_HPP

// Which sites become loci of the written files.  The filters are tried in
// a fixed order and a dropped site is counted under the first one it
// fails, so the summary's counts add up to the sites dropped.

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "input/allele_counts.hpp"
#include "input/options.hpp"
#include "input/population_map.hpp"
#include "input/site.hpp"

namespace parmix::importer {

enum class DropReason {
  NotBiallelicSnp,
  TooMuchMissing,
  TooFewCalled,
  AlleleAbsentFromReferences,
  SmallDifference,
};
constexpr std::size_t kDropReasons = 5;

struct Verdict {
  bool kept = false;
  DropReason reason = DropReason::NotBiallelicSnp;  // when not kept
  std::vector<double> frequenciesR;                 // when kept
  std::vector<double> frequenciesS;
  AlleleCounts countsR;  // when kept: the counts behind the frequencies
  AlleleCounts countsS;
};

// Everything the filters need besides the site.
struct FilterContext {
  const Filters& filters;
  double pseudoCount;
  const SampleRoles& roles;
  const std::vector<std::size_t>& used;  // R, S and studied, each once
};

Verdict judgeSite(const Site& site, const FilterContext& context);

// Sites dropped for each reason.
struct FilterTally {
  std::array<std::size_t, kDropReasons> dropped{};
  std::size_t kept = 0;
  void add(const Verdict& verdict);
};

// The summary's lines for the filters in force (the biallelic filter only
// when asked for, the absent-allele filter only without a pseudo-count).
std::vector<std::string> tallyLines(const FilterTally& tally, const Filters& filters,
                                    double pseudoCount);

// The samples the import uses: R, S and the studied, sorted, each once.
std::vector<std::size_t> usedSamples(const SampleRoles& roles);

}  // namespace parmix::importer

#endif
