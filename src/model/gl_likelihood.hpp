#ifndef PARMIX_MODEL_GL_LIKELIHOOD_HPP
#define PARMIX_MODEL_GL_LIKELIHOOD_HPP

// The log-likelihood of one individual from genotype likelihoods
// P(reads | g) instead of certain genotypes, under the hybrid-index model
// and under the joint (h, H) model, with exact parental frequencies or with
// frequencies under posteriors (model/reference_uncertainty.hpp).
//
// Hybrid-index model.  A locus's term is ln sum_g P(reads|g) E[P(g|h)], and
// with u_i = h E r_i + (1-h) E s_i
//   E[P(i/i | h)] = u_i u_i + h^2 Var r_i + (1-h)^2 Var s_i,
//   E[P(i/j | h)] = 2 u_i u_j + 2 (h^2 Cov(r_i,r_j) + (1-h)^2 Cov(s_i,s_j)),
// so the term is ln(sum_g w_g u_i u_j + h^2 V_R + (1-h)^2 V_S) with
// w_g = P(reads|g) times 1 or 2 and V_R, V_S the likelihood-weighted sums of
// the covariances.  Only genotypes of non-zero likelihood are kept.  With a
// certain genotype and exact frequencies the term is formed by the very
// floating-point operations of the analysis of certain genotypes (u as
// h*a + (1-h)*b, a heterozygote's 2*u_i*u_j, the variances' sum exactly 0),
// so both give the same bits at every h; with posteriors whose variances lie
// below half a unit in the last place of the probability, too.
//
// Joint model.  The two allele copies come both from R (weight h - H/2),
// one from each (H) or both from S (1 - h - H/2), so a genotype's
// probability is P(g|RR) w_RR + P(g|RS) w_RS + P(g|SS) w_SS and a locus's
// term collapses to ln(a w_RR + b w_RS + c w_SS) with
// a = sum_g P(reads|g) E[P(g|RR)], and so on: E[P(i/j|RR)] = 2 E[r_i r_j],
// E[P(i/j|RS)] = E r_i E s_j + E r_j E s_i (r and s independent).  On the
// curve H = 2h(1-h) it is the hybrid-index model.
//
// Pure numerics: no I/O.

#include <cstddef>
#include <vector>

#include "model/likelihood_derivatives.hpp"
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

// One site's parental frequency moments, shared by all individuals.  A
// dominant locus is a site of two alleles (dominant 0, recessive 1) whose
// phenotypes have the likelihoods of phenotypeLikelihoods().
class SiteGenotypes {
 public:
  SiteGenotypes(FrequencyMoments r, FrequencyMoments s);
  // Exact frequencies from the model's rows (k entries each).
  static SiteGenotypes fromFrequencies(const double* freqR, const double* freqS, int k);
  // A dominant locus.
  static SiteGenotypes dominant(const PhenotypeMoments& r, const PhenotypeMoments& s);

  int alleles() const { return r_.alleles; }
  int genotypes() const { return genotypeCount(r_.alleles); }
  const FrequencyMoments& r() const { return r_; }
  const FrequencyMoments& s() const { return s_; }

 private:
  FrequencyMoments r_, s_;
};
// The likelihood-weighted sums of a site's genotypes' state probabilities:
// sum over genotypes g of LIKELIHOODS[g] (in VCF order) times g's rr, rs
// and ss.  An individual's term at the site, whatever h or phi stands in.
StateProbabilities weightedStates(const SiteGenotypes& site, const double* likelihoods);

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
// A dominant phenotype as likelihoods of the dominant site's three
// genotypes: band present {1, 1, 0}, absent {0, 0, 1}.
void phenotypeLikelihoods(bool bandPresent, double* out);

class GlIndividual {
 public:
  // Empties the layout for the next individual; keeps the memory.
  void clear();
  void reserve(std::size_t loci);

  // Adds one site from the individual's genotype likelihoods there
  // (site.genotypes() values, VCF order).  nullptr marks the genotype
  // missing: the site adds nothing.  Likelihoods that are all equal (no
  // reads) say nothing about h and add no term, but count as data.
  void addSite(const SiteGenotypes& site, const double* likelihoods);

  bool hasData() const { return hasData_; }
  std::size_t terms() const { return varR_.size(); }

  // ln L(h) of the hybrid-index model, for h in [0, 1].  A zero
  // probability gives -infinity.
  double logLikelihood(double h) const;
  // Its slope and curvature at h in one pass, with the value when WITHVALUE
  // (see model/likelihood_derivatives.hpp).
  LikelihoodDerivatives derivatives(double h, bool withValue) const;
  // ln L(h, H) of the joint model at a point of the triangle
  // 0 <= H <= 1, H/2 <= h <= 1 - H/2 (weights below 0 by rounding are
  // taken as 0).
  double jointLogLikelihood(double h, double het) const;
  // Term l's state sums a, b, c (l < terms()), for a joint estimator that
  // keeps its own layout of them (with their derivatives, say).
  StateProbabilities termStates(std::size_t l) const { return {rr_[l], rs_[l], ss_[l]}; }

 private:
  // A site whose genotypes of non-zero likelihood involve more than two
  // alleles (a multi-allelic site with uncertain genotypes): each such
  // genotype with its weight w_g and the positions of its alleles' means in
  // meanR_/meanS_.
  struct Entry {
    double weight;
    std::size_t first, second;
  };
  void addPairSite(const SiteGenotypes& site, const double* likelihoods, int a, int b);
  void addGeneralSite(const SiteGenotypes& site, const double* likelihoods);
  void addLocusSums(const SiteGenotypes& site, const double* likelihoods, double varR, double varS);
  double generalProbability(std::size_t l, double h, double g) const;
  // A general locus's sum with its first and second derivatives in h.
  void generalDerivatives(std::size_t k, double h, double g, double* out) const;

  // Every other locus involves alleles a and b only (a == b for a certain
  // homozygote): its probability is
  //   w_aa u_a u_a + w_ab u_a u_b + w_bb u_b u_b + h^2 V_R + (1-h)^2 V_S,
  // one array per field so that the loop over loci runs without
  // indirection.  A general locus has zeros here and its entries' range.
  std::vector<double> ra_, sa_, rb_, sb_, waa_, wab_, wbb_;
  std::vector<double> varR_, varS_;          // V_R, V_S per locus
  std::vector<std::size_t> generalLoci_;     // loci of the general form, in order
  std::vector<std::size_t> generalEnd_;      // end of each one's entries
  std::vector<Entry> entries_;
  std::vector<double> meanR_, meanS_;
  std::vector<double> rr_, rs_, ss_;         // a, b, c per locus
  bool hasData_ = false;
};

}  // namespace parmix

#endif
