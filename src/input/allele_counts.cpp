#include "input/allele_counts.hpp"

#include <algorithm>
#include <cmath>

namespace parmix::importer {

namespace {

bool complete(const Site& site, std::size_t sample) {
  return site.alleles[2 * sample] != kMissingAllele &&
         site.alleles[2 * sample + 1] != kMissingAllele;
}

}  // namespace

AlleleCounts countAlleles(const Site& site, const std::vector<std::size_t>& samples) {
  AlleleCounts counts;
  counts.copies.assign(static_cast<std::size_t>(site.alleleCount), 0);
  for (std::size_t sample : samples) {
    if (!complete(site, sample)) continue;
    ++counts.copies[static_cast<std::size_t>(site.alleles[2 * sample] - 1)];
    ++counts.copies[static_cast<std::size_t>(site.alleles[2 * sample + 1] - 1)];
    counts.called += 2;
  }
  return counts;
}

std::vector<double> frequencies(const AlleleCounts& counts, double pseudoCount) {
  // The same arithmetic as the reference counting of the Tcl package, so
  // both write the same digits from the same counts.
  const double denominator =
      static_cast<double>(counts.called) + static_cast<double>(counts.copies.size()) * pseudoCount;
  std::vector<double> result;
  result.reserve(counts.copies.size());
  for (long copies : counts.copies) {
    result.push_back((static_cast<double>(copies) + pseudoCount) / denominator);
  }
  return result;
}

std::size_t missingGenotypes(const Site& site, const std::vector<std::size_t>& samples) {
  return static_cast<std::size_t>(std::count_if(
      samples.begin(), samples.end(), [&](std::size_t i) { return !complete(site, i); }));
}

bool carriesAlleleAbsentFrom(const Site& site, const std::vector<std::size_t>& samples,
                             const AlleleCounts& r, const AlleleCounts& s) {
  for (std::size_t sample : samples) {
    if (!complete(site, sample)) continue;
    for (int k = 0; k < 2; ++k) {
      const auto a = static_cast<std::size_t>(site.alleles[2 * sample + k] - 1);
      if (r.copies[a] == 0 && s.copies[a] == 0) return true;
    }
  }
  return false;
}

double largestDifference(const std::vector<double>& r, const std::vector<double>& s) {
  double largest = 0.0;
  for (std::size_t a = 0; a < r.size() && a < s.size(); ++a) {
    largest = std::max(largest, std::fabs(r[a] - s[a]));
  }
  return largest;
}

}  // namespace parmix::importer
