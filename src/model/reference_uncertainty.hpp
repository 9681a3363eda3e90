#ifndef PARMIX_MODEL_REFERENCE_UNCERTAINTY_HPP
#define PARMIX_MODEL_REFERENCE_UNCERTAINTY_HPP

// Parental frequencies that are themselves estimates.  When they come from
// a handful of reference samples, each population's frequency vector at a
// locus has a Dirichlet posterior (a Beta for two alleles) from the allele
// counts and the pseudo-count, r and s independent.  An individual's
// genotype probability is then the expectation of the model's probability
// under those posteriors; the model is quadratic in the frequencies, so the
// expectation needs only their first and second moments, in closed form.
// docs/uncertainty.md derives every expression used here.
//
// Pure numerics: no I/O.

#include <vector>

namespace parmix {

// First and second moments of one population's allele frequencies at one
// locus with k alleles: mean[i] = E r_i and cov[i * k + j] = Cov(r_i, r_j)
// (Var r_i on the diagonal).  The covariances are kept rather than the
// second moments so that exact frequencies have exactly zero covariance
// and a Dirichlet's are formed without cancellation.
struct FrequencyMoments {
  int alleles = 0;
  std::vector<double> mean;
  std::vector<double> cov;

  double covariance(int i, int j) const { return cov[i * alleles + j]; }
  // E[r_i r_j].
  double secondMoment(int i, int j) const { return covariance(i, j) + mean[i] * mean[j]; }
};

// Frequencies taken as exact: FREQ holds k frequencies.
FrequencyMoments exactMoments(const double* freq, int k);

// The Dirichlet posterior from COUNTS (k allele counts, not necessarily
// whole: expected counts from genotype likelihoods serve as well) and a
// pseudo-count added to every allele: alpha_i = counts[i] + pseudoCount.
// The posterior mean is the frequency the reference counting writes,
// (count + pseudo) / (called + k * pseudo).  An allele with alpha_i = 0 is
// absent with certainty (the limit of the Dirichlet as alpha_i -> 0).
// Requires alpha_0 = sum alpha_i > 0; otherwise the result has alleles = 0.
FrequencyMoments dirichletMoments(const double* counts, int k, double pseudoCount);

// A dominant locus.  The model turns the band frequency g into the dominant
// allele's frequency 1 - sqrt(1 - g), so the recessive allele's frequency is
// t = sqrt(theta) with theta = 1 - g the share without the band.  The
// genotype probabilities need E[t] and E[t^2] = E[theta].
struct PhenotypeMoments {
  double absent = 0.0;      // E[theta]
  double rootAbsent = 0.0;  // E[t] = E[sqrt(theta)]
  double dominant = 0.0;    // E[1 - t], the dominant allele's mean frequency
};

// The Beta posterior of theta from the phenotype counts of the reference
// samples, the pseudo-count added to both (as the reference counting does):
// theta ~ Beta(absent + c, present + c).  E[sqrt(theta)] =
// B(a + 1/2, b) / B(a, b).  Requires a + b > 0; a = 0 (b = 0) means the
// band is certainly present (absent).  Returns NaN members otherwise.
PhenotypeMoments betaPhenotypeMoments(double present, double absent, double pseudoCount);

// A dominant locus as two alleles, the dominant one (0) and the recessive
// one (1): means 1 - E t and E t, Var t = E theta - (E t)^2 on the
// diagonal and -Var t off it.  Its phenotypes are the genotypes {0/0, 0/1}
// (band present) and 1/1 (band absent).
FrequencyMoments dominantAlleleMoments(const PhenotypeMoments& m);

}  // namespace parmix

#endif
