#include "validate/filters.hpp"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace parmix::importer {

namespace {

Verdict dropped(DropReason reason) {
  Verdict verdict;
  verdict.reason = reason;
  return verdict;
}

bool tooMuchMissing(const Site& site, const FilterContext& context) {
  if (context.used.empty()) return false;
  const double share = static_cast<double>(missingGenotypes(site, context.used)) /
                       static_cast<double>(context.used.size());
  return share > context.filters.maxMissingShare;
}

std::string formatNumber(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

}  // namespace

Verdict judgeSite(const Site& site, const FilterContext& context) {
  const Filters& filters = context.filters;
  if (filters.biallelicSnpsOnly && !site.biallelicSnp) return dropped(DropReason::NotBiallelicSnp);
  if (tooMuchMissing(site, context)) return dropped(DropReason::TooMuchMissing);
  AlleleCounts r = countAlleles(site, context.roles.r);
  AlleleCounts s = countAlleles(site, context.roles.s);
  const long needed = filters.minCalledAlleles;
  if (r.called < needed || s.called < needed) return dropped(DropReason::TooFewCalled);
  if (context.pseudoCount == 0.0 && carriesAlleleAbsentFrom(site, context.roles.study, r, s)) {
    return dropped(DropReason::AlleleAbsentFromReferences);
  }
  Verdict verdict;
  verdict.frequenciesR = frequencies(r, context.pseudoCount);
  verdict.frequenciesS = frequencies(s, context.pseudoCount);
  if (largestDifference(verdict.frequenciesR, verdict.frequenciesS) < filters.minDifference) {
    return dropped(DropReason::SmallDifference);
  }
  verdict.kept = true;
  verdict.countsR = std::move(r);
  verdict.countsS = std::move(s);
  return verdict;
}

void FilterTally::add(const Verdict& verdict) {
  if (verdict.kept) {
    ++kept;
  } else {
    ++dropped[static_cast<std::size_t>(verdict.reason)];
  }
}

std::vector<std::string> tallyLines(const FilterTally& tally, const Filters& filters,
                                    double pseudoCount) {
  auto line = [&](DropReason reason, const std::string& why) {
    return std::to_string(tally.dropped[static_cast<std::size_t>(reason)]) + " dropped: " + why;
  };
  std::vector<std::string> lines;
  if (filters.biallelicSnpsOnly) {
    lines.push_back(line(DropReason::NotBiallelicSnp, "not a biallelic SNP"));
  }
  // A filter left at its default can drop nothing, so it is not listed;
  // the called-allele filter always can (a locus without a called allele
  // in R or S has no frequencies).
  if (filters.maxMissingShare < 1.0) {
    lines.push_back(line(DropReason::TooMuchMissing,
                         "more than " + formatNumber(100 * filters.maxMissingShare) +
                             "% of the individuals used lack a genotype"));
  }
  lines.push_back(line(DropReason::TooFewCalled,
                       "fewer than " + std::to_string(filters.minCalledAlleles) +
                           " called alleles in R or in S"));
  if (pseudoCount == 0.0) {
    lines.push_back(line(DropReason::AlleleAbsentFromReferences,
                         "a studied individual carries an allele absent from R and S"));
  }
  if (filters.minDifference > 0.0) {
    lines.push_back(line(DropReason::SmallDifference,
                         "frequencies of R and S differ by less than " +
                             formatNumber(filters.minDifference)));
  }
  return lines;
}

std::vector<std::size_t> usedSamples(const SampleRoles& roles) {
  std::vector<std::size_t> used = roles.r;
  used.insert(used.end(), roles.s.begin(), roles.s.end());
  used.insert(used.end(), roles.study.begin(), roles.study.end());
  std::sort(used.begin(), used.end());
  used.erase(std::unique(used.begin(), used.end()), used.end());
  return used;
}

}  // namespace parmix::importer
