#ifndef PARMIX_MODEL_GL_LIKELIHOOD_HPP
#define PARMIX_MODEL_GL_LIKELIHOOD_HPP

// The log-likelihood of one individual from genotype likelihoods
// P(reads | g) instead of certain genotypes, under the hybrid-index model
// and under the joint (h, H) model.
//
// Both models are mixtures over the ancestry of the two allele copies: both
// from R, one from each, both from S, with weights h^2, 2h(1-h), (1-h)^2
// (hybrid index) or h - H/2, H, 1 - h - H/2 (joint model).  A genotype's
// probability is therefore P(g|RR) w_RR + P(g|RS) w_RS + P(g|SS) w_SS, and
// a locus's term collapses to three numbers, whatever its allele count:
//   ln sum_g P(reads|g) P(g|h) = ln(a w_RR + b w_RS + c w_SS),
//   a = sum_g P(reads|g) P(g|RR), and so on.
// With exact frequencies, P(g|RR) = r_i^2 (homozygote) or 2 r_i r_j, and the
// hybrid-index weights give back (h r_i + (1-h) s_i)^2 and 2 u_i u_j.  With
// frequencies under Dirichlet posteriors the state probabilities are their
// expectations (model/reference_uncertainty.hpp), and the same layout gives
// the expected genotype probabilities of both models.
//
// Pure numerics: no I/O.

#include <cstddef>
#include <vector>

#include "model/reference_uncertainty.hpp"

namespace parmix {

// A genotype's (or a locus's summed) probability under each ancestry state
// of the two allele copies.
struct StateProbabilities {
  double rr;  // both copies from R
  double rs;  // one copy from each population
  double ss;  // both copies from S
};

// Diploid genotypes at a site with k alleles: k(k+1)/2.
inline int genotypeCount(int k) { return k * (k + 1) / 2; }
// VCF order of genotype a/b (alleles from 0, either order): b(b+1)/2 + a
// with a <= b, so 0/0, 0/1, 1/1, 0/2, 1/2, 2/2, ...
int genotypeIndex(int a, int b);

// The state probabilities of codominant genotype a/b (alleles from 0).
StateProbabilities genotypeStates(int a, int b, const FrequencyMoments& r,
                                  const FrequencyMoments& s);
// The state probabilities of a dominant locus's phenotype.
StateProbabilities phenotypeStates(bool bandPresent, const PhenotypeMoments& r,
                                   const PhenotypeMoments& s);

// Every genotype of one codominant site, in VCF order, with its state
// probabilities.  Built once per site and shared by all individuals.
class SiteGenotypes {
 public:
  SiteGenotypes(const FrequencyMoments& r, const FrequencyMoments& s);
  // Exact frequencies from the model's rows (k entries each).
  static SiteGenotypes fromFrequencies(const double* freqR, const double* freqS, int k);

  int alleles() const { return alleles_; }
  int genotypes() const { return static_cast<int>(states_.size()); }
  const StateProbabilities& operator[](int g) const { return states_[g]; }

 private:
  int alleles_;
  std::vector<StateProbabilities> states_;
};

// Genotype likelihoods from a caller's fields, N values in VCF order,
// scaled so the largest is 1 (only ratios matter to h and to its limits,
// and the scaling keeps them clear of underflow).  Each returns false, and
// leaves OUT unspecified, when the field marks the genotype missing: PL has
// a negative value, GL a NaN, or every GL is -infinity.
bool likelihoodsFromPL(const int* pl, int n, double* out);  // 10^(-PL/10)
bool likelihoodsFromGL(const double* gl, int n, double* out);  // 10^GL

// A certain genotype a/b (alleles from 0) at a site with k alleles:
// likelihood 1 for it, 0 elsewhere.
void calledGenotypeLikelihoods(int a, int b, int k, double* out);

class GlIndividual {
 public:
  // Empties the layout for the next individual; keeps the memory.
  void clear();
  void reserve(std::size_t n);

  // Adds one site from the individual's genotype likelihoods there
  // (site.genotypes() values, VCF order).  nullptr marks the genotype
  // missing: the site adds nothing.  Likelihoods that are all equal (no
  // reads) say nothing about h and add no term, but count as data.
  void addSite(const SiteGenotypes& site, const double* likelihoods);
  // Adds a locus whose state probabilities are already summed: a certain
  // genotype or a dominant phenotype.
  void addStates(const StateProbabilities& states);

  bool hasData() const { return hasData_; }
  std::size_t terms() const { return rr_.size(); }

  // ln L(h) of the hybrid-index model, for h in [0, 1].  A zero
  // probability gives -infinity.
  double logLikelihood(double h) const;
  // ln L(h, H) of the joint model at a point of the triangle
  // 0 <= H <= 1, H/2 <= h <= 1 - H/2 (weights below 0 by rounding are
  // taken as 0).
  double jointLogLikelihood(double h, double het) const;

 private:
  double sumOfLogs(double wRR, double wRS, double wSS) const;

  std::vector<double> rr_, rs_, ss_;
  bool hasData_ = false;
};

}  // namespace parmix

#endif
