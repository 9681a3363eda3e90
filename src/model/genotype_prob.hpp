#ifndef PARMIX_MODEL_GENOTYPE_PROB_HPP
#define PARMIX_MODEL_GENOTYPE_PROB_HPP

// Log-probabilities of the genotype class seen at one locus, given the hybrid
// index h and an allele's frequency a in population R and b in population S.
// Natural logarithms; a probability of 0 gives -infinity, which is passed on.
// Nothing is clamped: the callers' data checks keep the arguments admissible.

namespace parmix {

// The hybrid-index term, defined here once for every layout of the
// likelihood (Likelihood, CompactIndividual, GlIndividual): an allele's
// share of the gametes of an individual of hybrid index h, u = h*r + g*s
// with g = 1 - h (computed once per point by the layouts), and a genotype's
// probability from its alleles' shares, u*u for a homozygote and 2*u*v for
// a heterozygote.  Every layout forms a term with these very operations, so
// all of them give the same bits for the same genotype.
inline double gameteShare(double h, double g, double r, double s) { return h * r + g * s; }
inline double homozygoteProbability(double u) { return u * u; }
inline double heterozygoteProbability(double u, double v) { return 2 * u * v; }
// The same genotypes when the two gametes come from different pools (an
// individual whose one allele copy descends from R and the other from S):
// U1 and U2 are the allele's shares of the first and the second pool, and
// for a heterozygote X1, Y1 are its two alleles' shares of the first pool
// and X2, Y2 of the second.  With one pool for both gametes they are the
// forms above.
inline double homozygoteProbability(double u1, double u2) { return u1 * u2; }
inline double heterozygoteProbability(double x1, double y1, double x2, double y2) {
  return x1 * y2 + y1 * x2;
}

// Frequency of the allele in the individual's gamete pool: h*a + (1-h)*b.
double p(double h, double a, double b);
// Frequency of all other alleles, from the complements: h(1-a) + (1-h)(1-b),
// the same bits as (1-h)(1-b) + (1-a)h.
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
