#ifndef PARMIX_MODEL_COMPACT_LIKELIHOOD_HPP
#define PARMIX_MODEL_COMPACT_LIKELIHOOD_HPP

// The log-likelihood of one individual laid out for speed: only the loci
// that add a term, in locus order, each with the frequencies its term needs
// side by side.  Every term is computed with the same floating-point
// operations, in the same order, as Likelihood(), and the terms are summed
// in the same locus order, so both give the same bits at every h.  Leaving
// out the loci that add exactly 0.0 changes nothing: the sum starts at +0.0
// and so can never be -0.0, and x + 0.0 == x for every other x.

#include <cstddef>
#include <memory>

#include "model/likelihood_derivatives.hpp"

namespace parmix {

class CompactIndividual {
 public:
  // Empties the layout for the next individual; keeps the memory.
  void clear();
  // Makes room for n loci at once (the layout grows by itself beyond).
  void reserve(std::size_t n);

  // Adds the term of one locus, given its type ('C', 'D' or 'B'), the
  // individual's two designations there and the locus's frequency rows.
  // Loci that contribute nothing (missing, excluded) add no term.  Types
  // other than C, D and B are refused beforehand by the run.
  void addLocus(char type, int first, int second, const double* freqR, const double* freqS);

  // True when any designation seen by addLocus was not missing, at any
  // locus type: the individual has data.
  bool hasData() const { return hasData_; }
  // Loci that add a term, so also the log calls of one evaluation.
  std::size_t terms() const { return terms_; }

  // The log-likelihood at h, bit for bit that of Likelihood().
  double logLikelihood(double h) const;
  // Its slope and curvature at h in one pass, with the value when WITHVALUE
  // (see model/likelihood_derivatives.hpp).  The value is that of a sum in
  // another order, so not always the bits of logLikelihood(h).
  LikelihoodDerivatives derivatives(double h, bool withValue) const;

 private:
  static constexpr int kMissingDesignation = -9999;
  // A term's probability is w*(u*u) + (2*u)*v with u = h*A + (1-h)*B and
  // v = h*C + (1-h)*D:
  //   homozygote          u = p, v = 0, w = 1: p*p
  //   recessive phenotype u = q, v = 0, w = 1: q*q
  //   heterozygote        u, v the two alleles' p, w = 0: (2*p1)*p2
  //   dominant phenotype  u = p, v = q, w = 1: p*p + (2*p)*q
  // Adding the zero of an unused product to a non-negative value, or
  // weighting a finite one by 1 or 0, changes no bit of the result, so
  // each term is exactly that of the genotype log-probabilities.
  void addTerm(double a, double b, double c, double d, double w);
  void grow();

  // One array per field, so the probabilities of many terms are formed in
  // one vectorisable loop.
  // The five fields lie in one block, sized by reserve() and not zeroed:
  // a layout is built for every individual, and clear() keeps the block for
  // the next one.  The first terms_ entries of each field are in use.
  std::unique_ptr<double[]> store_;
  std::size_t capacity_ = 0;
  double* a_ = nullptr;
  double* b_ = nullptr;
  double* c_ = nullptr;
  double* d_ = nullptr;
  double* w_ = nullptr;
  std::size_t terms_ = 0;
  bool hasData_ = false;
};

// Inline: a layout is built once per individual, and a call per locus
// would cost as much as the locus's own work.
inline void CompactIndividual::addTerm(double a, double b, double c, double d, double w) {
  if (terms_ == capacity_) grow();
  a_[terms_] = a;
  b_[terms_] = b;
  c_[terms_] = c;
  d_[terms_] = d;
  w_[terms_] = w;
  ++terms_;
}

// The terms mirror the genotype log-probabilities: p(h,a,b) = h*a + (1-h)*b
// and q(h,a,b) = (1-h)*(1-b) + (1-a)*h, which is h*(1-a) + (1-h)*(1-b)
// exactly, since IEEE sums and products do not depend on operand order.
inline void CompactIndividual::addLocus(char type, int first, int second, const double* freqR,
                                        const double* freqS) {
  if (first != kMissingDesignation || second != kMissingDesignation) hasData_ = true;
  if (type == 'C') {
    if (first == kMissingDesignation || second == kMissingDesignation) return;
    const double a1 = freqR[first - 1], b1 = freqS[first - 1];
    if (first == second) {
      addTerm(a1, b1, 0.0, 0.0, 1.0);
    } else {
      addTerm(a1, b1, freqR[second - 1], freqS[second - 1], 0.0);
    }
  } else if (type == 'D') {
    const double a = freqR[0], b = freqS[0];
    if (first == 0) addTerm(1 - a, 1 - b, 0.0, 0.0, 1.0);
    if (first == 1) addTerm(a, b, 1 - a, 1 - b, 1.0);
  }
}

}  // namespace parmix

#endif
