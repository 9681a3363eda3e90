#ifndef PARMIX_MODEL_GENOTYPE_PROB_HPP
#define PARMIX_MODEL_GENOTYPE_PROB_HPP

// Log-probabilities of the genotype class seen at one locus, given the hybrid
// index h and an allele's frequency a in population R and b in population S.
// Natural logarithms; a probability of 0 gives -infinity, which is passed on.
// Nothing is clamped: the callers' data checks keep the arguments admissible.

namespace parmix {

// Frequency of the allele in the individual's gamete pool: h*a + (1-h)*b.
double p(double h, double a, double b);
// Frequency of all other alleles, from the complements: (1-h)(1-b) + (1-a)h.
double q(double h, double a, double b);
// Dominant locus, dominant phenotype: ln(p^2 + 2pq).
double fDom(double h, double a, double b);
// Dominant locus, recessive phenotype: ln(q^2).
double fRec(double h, double a, double b);
// Codominant homozygote: ln(p^2).
double fCod11(double h, double a, double b);
// Codominant heterozygote: ln(2 p(h,a1,b1) p(h,a2,b2)).  Note the order:
// both R frequencies first, then both S frequencies.
double multAlleleHet(double h, double a1, double a2, double b1, double b2);

}  // namespace parmix

#endif
