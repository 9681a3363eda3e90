#ifndef PARMIX_TESTS_EXPECTED_GENOTYPES_HPP
#define PARMIX_TESTS_EXPECTED_GENOTYPES_HPP

// The expected genotype probabilities under uncertain parental
// frequencies in their closed forms, written from the moments alone: the
// tests hold the likelihood's state sums (model/gl_likelihood.hpp,
// model/joint_likelihood.hpp) to them.

#include "model/reference_uncertainty.hpp"

namespace parmix {

// The plug-in value from the dominant allele's frequency p (the model's
// frequency row): theta = (1 - p)^2, sqrt(theta) = 1 - p, dominant p.
inline PhenotypeMoments exactPhenotypeMoments(double dominantAlleleFreq) {
  const double t = 1.0 - dominantAlleleFreq;
  return {t * t, t, dominantAlleleFreq};
}

// The closed forms, one genotype at a time (alleles numbered from 0).
// Hybrid-index model:
//   homozygote i/i:     m_i^2 + h^2 Var r_i + (1-h)^2 Var s_i,
//                       m_i = h E r_i + (1-h) E s_i
//   heterozygote i/j:   2 (m_i m_j + h^2 Cov(r_i,r_j) + (1-h)^2 Cov(s_i,s_j))
//   recessive phenotype E[(h t_R + (1-h) t_S)^2]
//                       = h^2 E theta_R + 2h(1-h) E t_R E t_S + (1-h)^2 E theta_S

// Joint (h, H) model, weights p_RR = h - H/2, H, p_SS = 1 - h - H/2:
//   homozygote   p_RR E[r_i^2] + H E r_i E s_i + p_SS E[s_i^2]
//   heterozygote p_RR 2E[r_i r_j] + H (E r_i E s_j + E r_j E s_i) + p_SS 2E[s_i s_j]
//   recessive    p_RR E theta_R + H E t_R E t_S + p_SS E theta_S

inline double expectedHomozygote(double h, int i, const FrequencyMoments& r,
                                 const FrequencyMoments& s) {
  const double m = h * r.mean[i] + (1.0 - h) * s.mean[i];
  const double g = 1.0 - h;
  return m * m + h * h * r.covariance(i, i) + g * g * s.covariance(i, i);
}

inline double expectedHeterozygote(double h, int i, int j, const FrequencyMoments& r,
                                   const FrequencyMoments& s) {
  const double g = 1.0 - h;
  const double mi = h * r.mean[i] + g * s.mean[i];
  const double mj = h * r.mean[j] + g * s.mean[j];
  return 2.0 * (mi * mj + h * h * r.covariance(i, j) + g * g * s.covariance(i, j));
}

inline double expectedRecessive(double h, const PhenotypeMoments& r, const PhenotypeMoments& s) {
  const double g = 1.0 - h;
  return h * h * r.absent + 2.0 * h * g * r.rootAbsent * s.rootAbsent + g * g * s.absent;
}

inline double expectedHomozygoteJoint(double h, double het, int i, const FrequencyMoments& r,
                                      const FrequencyMoments& s) {
  return (h - het / 2) * r.secondMoment(i, i) + het * r.mean[i] * s.mean[i] +
         (1.0 - h - het / 2) * s.secondMoment(i, i);
}

inline double expectedHeterozygoteJoint(double h, double het, int i, int j,
                                        const FrequencyMoments& r, const FrequencyMoments& s) {
  return (h - het / 2) * 2.0 * r.secondMoment(i, j) +
         het * (r.mean[i] * s.mean[j] + r.mean[j] * s.mean[i]) +
         (1.0 - h - het / 2) * 2.0 * s.secondMoment(i, j);
}

inline double expectedRecessiveJoint(double h, double het, const PhenotypeMoments& r,
                                     const PhenotypeMoments& s) {
  return (h - het / 2) * r.absent + het * r.rootAbsent * s.rootAbsent +
         (1.0 - h - het / 2) * s.absent;
}

}  // namespace parmix

#endif
