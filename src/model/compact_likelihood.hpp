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
#include <vector>

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

 private:
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
  // Sized once by reserve(); the first terms_ entries are in use.
  std::vector<double> a_, b_, c_, d_, w_;
  std::size_t terms_ = 0;
  bool hasData_ = false;
};

}  // namespace parmix

#endif
