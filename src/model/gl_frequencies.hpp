#ifndef PARMIX_MODEL_GL_FREQUENCIES_HPP
#define PARMIX_MODEL_GL_FREQUENCIES_HPP

// Allele frequencies of one reference population at one site, from its
// samples' genotype likelihoods or from their called genotypes.
//
// From likelihoods: an EM under Hardy-Weinberg proportions.  The E step
// gives each sample's posterior genotype weights
//   w_ng proportional to P(reads_n | g) P(g | f),
// and so the expected allele counts c_i (two copies per genotype); the M
// step sets
//   f_i = (c_i + pseudo) / (sum_j c_j + k pseudo),
// which is the reference counting's own rule with expected counts in place
// of counted ones: for certain genotypes the EM stops after one step at
// exactly the counted frequencies.  As a prior it is the maximum a
// posteriori estimate under a Dirichlet(1 + pseudo) prior.  The start is
// the uniform vector 1/k; the EM stops when no frequency moves by more than
// 1e-10 in a step, or after 1,000 steps (then converged is false).  The
// expected counts at the end are what the Dirichlet posterior of the
// frequency uncertainty takes as counts (model/reference_uncertainty.hpp).
//
// Pure numerics: no I/O.

#include <vector>

namespace parmix {

struct EmFrequencies {
  std::vector<double> frequencies;  // k values; empty when nothing to count
  std::vector<double> counts;       // expected allele counts at the end
  int iterations = 0;
  bool converged = false;
};

constexpr double kEmTolerance = 1e-10;
constexpr int kEmIterationLimit = 1000;

// SAMPLES holds one pointer per reference sample to its k(k+1)/2 genotype
// likelihoods in VCF order (nullptr: missing).  The frequencies are empty
// when no sample has data and the pseudo-count is 0.
EmFrequencies emFrequencies(const std::vector<const double*>& samples, int k, double pseudoCount);

// Counted from called genotypes: ALLELES holds two allele numbers (from 0)
// per sample, any negative one marking the genotype missing.  Same rule as
// the EM's M step with whole counts.
EmFrequencies calledFrequencies(const std::vector<int>& alleles, int k, double pseudoCount);

}  // namespace parmix

#endif
