#ifndef PARMIX_IMPORT_ALLELE_COUNTS_HPP
#define PARMIX_IMPORT_ALLELE_COUNTS_HPP

// Allele counts of a reference sample at one site and the frequencies a
// parental file gives from them.  Only genotypes whose two alleles are both
// known count, as in the analysis, where a genotype with one allele missing
// is missing.

#include <cstddef>
#include <vector>

#include "input/site.hpp"

namespace parmix::importer {

struct AlleleCounts {
  std::vector<long> copies;  // copies of allele a at index a - 1
  long called = 0;           // alleles counted, twice the complete genotypes
};

AlleleCounts countAlleles(const Site& site, const std::vector<std::size_t>& samples);

// (copies + pseudo) / (called + k * pseudo) for each allele: the pseudo-count
// is added to every allele's count before the shares are taken.  COUNTS must
// hold a called allele or the pseudo-count be positive.
std::vector<double> frequencies(const AlleleCounts& counts, double pseudoCount);

// How many of SAMPLES lack a complete genotype at the site.
std::size_t missingGenotypes(const Site& site, const std::vector<std::size_t>& samples);

// True when one of SAMPLES carries an allele that both COUNTS lack.
bool carriesAlleleAbsentFrom(const Site& site, const std::vector<std::size_t>& samples,
                             const AlleleCounts& r, const AlleleCounts& s);

// The largest |fR - fS| over the alleles.
double largestDifference(const std::vector<double>& r, const std::vector<double>& s);

}  // namespace parmix::importer

#endif
