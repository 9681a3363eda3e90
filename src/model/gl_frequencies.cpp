#include "model/gl_frequencies.hpp"

#include <cmath>

#include "model/gl_likelihood.hpp"

namespace parmix {

namespace {

// f_i = (c_i + pseudo) / (sum c + k pseudo); empty when the denominator is 0.
std::vector<double> frequenciesFromCounts(const std::vector<double>& counts, double pseudoCount) {
  double total = 0.0;
  for (double c : counts) total += c + pseudoCount;
  if (!(total > 0.0)) return {};
  std::vector<double> f(counts.size());
  for (std::size_t i = 0; i < counts.size(); ++i) f[i] = (counts[i] + pseudoCount) / total;
  return f;
}

// Hardy-Weinberg genotype probabilities of F in VCF order.
void genotypePriors(const std::vector<double>& f, int k, std::vector<double>& prior) {
  for (int b = 0; b < k; ++b)
    for (int a = 0; a <= b; ++a) prior[genotypeIndex(a, b)] = (a == b ? 1.0 : 2.0) * f[a] * f[b];
}

// Adds one sample's expected allele copies to COUNTS.
void addExpectedCopies(const double* likelihoods, const std::vector<double>& prior, int k,
                       std::vector<double>& posterior, std::vector<double>& counts) {
  double total = 0.0;
  for (std::size_t g = 0; g < prior.size(); ++g) total += posterior[g] = likelihoods[g] * prior[g];
  if (!(total > 0.0)) return;
  for (int b = 0; b < k; ++b)
    for (int a = 0; a <= b; ++a) {
      const double w = posterior[genotypeIndex(a, b)] / total;
      counts[a] += w;
      counts[b] += w;
    }
}

double largestChange(const std::vector<double>& a, const std::vector<double>& b) {
  double change = 0.0;
  for (std::size_t i = 0; i < a.size(); ++i) change = std::fmax(change, std::fabs(a[i] - b[i]));
  return change;
}

}  // namespace

EmFrequencies emFrequencies(const std::vector<const double*>& samples, int k, double pseudoCount) {
  EmFrequencies result;
  std::vector<double> f(k, 1.0 / k);
  std::vector<double> prior(genotypeCount(k)), posterior(genotypeCount(k));
  std::vector<double> counts(k);
  while (result.iterations < kEmIterationLimit) {
    ++result.iterations;
    genotypePriors(f, k, prior);
    counts.assign(k, 0.0);
    for (const double* sample : samples)
      if (sample != nullptr) addExpectedCopies(sample, prior, k, posterior, counts);
    std::vector<double> next = frequenciesFromCounts(counts, pseudoCount);
    if (next.empty()) return result;
    const double change = largestChange(next, f);
    f.swap(next);
    if (change <= kEmTolerance) {
      result.converged = true;
      break;
    }
  }
  result.frequencies = f;
  result.counts = counts;
  return result;
}

EmFrequencies calledFrequencies(const std::vector<int>& alleles, int k, double pseudoCount) {
  EmFrequencies result;
  result.counts.assign(k, 0.0);
  for (std::size_t n = 0; n + 1 < alleles.size(); n += 2) {
    const int a = alleles[n], b = alleles[n + 1];
    if (a < 0 || b < 0 || a >= k || b >= k) continue;
    result.counts[a] += 1.0;
    result.counts[b] += 1.0;
  }
  result.frequencies = frequenciesFromCounts(result.counts, pseudoCount);
  result.converged = !result.frequencies.empty();
  result.iterations = 1;
  return result;
}

}  // namespace parmix
