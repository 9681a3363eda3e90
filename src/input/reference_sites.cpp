#include "input/reference_sites.hpp"

#include <algorithm>
#include <cmath>

#include "input/allele_counts.hpp"
#include "model/gl_frequencies.hpp"
#include "model/reference_uncertainty.hpp"

namespace parmix::genome {

namespace {

// Counts and frequencies of one population at the site.
struct PopulationCounts {
  std::vector<double> counts;
  std::vector<double> frequencies;
};

PopulationCounts countedFromCalls(const importer::Site& site,
                                  const std::vector<std::size_t>& samples,
                                  const std::vector<double>& row) {
  const importer::AlleleCounts counted = importer::countAlleles(site, samples);
  PopulationCounts result;
  result.counts.assign(counted.copies.begin(), counted.copies.end());
  result.counts.resize(static_cast<std::size_t>(site.alleleCount), 0.0);
  result.frequencies = row;
  return result;
}

PopulationCounts estimatedByEm(const importer::Site& site, const std::vector<std::size_t>& samples,
                               double pseudoCount) {
  const int k = site.alleleCount;
  const std::size_t g = static_cast<std::size_t>(genotypeCount(k));
  std::vector<double> linear(samples.size() * g);
  std::vector<const double*> pointers;
  for (std::size_t n = 0; n < samples.size(); ++n) {
    const double* phred = site.likelihoods.data() + samples[n] * g;
    if (std::isnan(phred[0])) {
      pointers.push_back(nullptr);
      continue;
    }
    const double best = *std::min_element(phred, phred + g);
    for (std::size_t i = 0; i < g; ++i) linear[n * g + i] = std::pow(10.0, -(phred[i] - best) / 10.0);
    pointers.push_back(linear.data() + n * g);
  }
  const EmFrequencies em = emFrequencies(pointers, k, pseudoCount);
  return {em.counts, em.frequencies};
}

PopulationCounts population(const importer::Site& site, const std::vector<std::size_t>& samples,
                            const Corrections& corrections, double pseudoCount,
                            const std::vector<double>& row) {
  if (corrections.frequenciesByEm() && site.hasLikelihoods) {
    PopulationCounts em = estimatedByEm(site, samples, pseudoCount);
    if (!em.frequencies.empty()) return em;
  }
  return countedFromCalls(site, samples, row);
}

FrequencyMoments moments(const PopulationCounts& counts, bool uncertain, double pseudoCount) {
  const int k = static_cast<int>(counts.frequencies.size());
  if (uncertain) {
    FrequencyMoments m = dirichletMoments(counts.counts.data(), k, pseudoCount);
    if (m.alleles == k) return m;
  }
  return exactMoments(counts.frequencies.data(), k);
}

}  // namespace

SiteGenotypes referenceSite(const importer::Site& site, const importer::SampleRoles& roles,
                            const Corrections& corrections, double pseudoCount,
                            std::vector<double>& rowR, std::vector<double>& rowS) {
  const PopulationCounts r = population(site, roles.r, corrections, pseudoCount, rowR);
  const PopulationCounts s = population(site, roles.s, corrections, pseudoCount, rowS);
  rowR = r.frequencies;
  rowS = s.frequencies;
  return SiteGenotypes(moments(r, corrections.referenceUncertainty, pseudoCount),
                       moments(s, corrections.referenceUncertainty, pseudoCount));
}

}  // namespace parmix::genome
