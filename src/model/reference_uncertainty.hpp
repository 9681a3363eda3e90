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

// The plug-in value from the dominant allele's frequency p (the model's
// frequency row): theta = (1 - p)^2, sqrt(theta) = 1 - p, dominant p.
PhenotypeMoments exactPhenotypeMoments(double dominantAlleleFreq);

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

// The closed forms, one genotype at a time (alleles numbered from 0).
// Hybrid-index model:
//   homozygote i/i:     m_i^2 + h^2 Var r_i + (1-h)^2 Var s_i,
//                       m_i = h E r_i + (1-h) E s_i
//   heterozygote i/j:   2 (m_i m_j + h^2 Cov(r_i,r_j) + (1-h)^2 Cov(s_i,s_j))
//   recessive phenotype E[(h t_R + (1-h) t_S)^2]
//                       = h^2 E theta_R + 2h(1-h) E t_R E t_S + (1-h)^2 E theta_S
double expectedHomozygote(double h, int i, const FrequencyMoments& r, const FrequencyMoments& s);
double expectedHeterozygote(double h, int i, int j, const FrequencyMoments& r,
                            const FrequencyMoments& s);
double expectedRecessive(double h, const PhenotypeMoments& r, const PhenotypeMoments& s);

// Joint (h, H) model, weights p_RR = h - H/2, H, p_SS = 1 - h - H/2:
//   homozygote   p_RR E[r_i^2] + H E r_i E s_i + p_SS E[s_i^2]
//   heterozygote p_RR 2E[r_i r_j] + H (E r_i E s_j + E r_j E s_i) + p_SS 2E[s_i s_j]
//   recessive    p_RR E theta_R + H E t_R E t_S + p_SS E theta_S
double expectedHomozygoteJoint(double h, double het, int i, const FrequencyMoments& r,
                               const FrequencyMoments& s);
double expectedHeterozygoteJoint(double h, double het, int i, int j, const FrequencyMoments& r,
                                 const FrequencyMoments& s);
double expectedRecessiveJoint(double h, double het, const PhenotypeMoments& r,
                              const PhenotypeMoments& s);

}  // namespace parmix

#endif
