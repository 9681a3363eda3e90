#ifndef PARMIX_MODEL_ANCESTRY_COPIES_HPP
#define PARMIX_MODEL_ANCESTRY_COPIES_HPP

// How many of an individual's two allele copies at a locus descend from
// population R, judged from its genotype there.  Each copy descends from R
// with probability phi (the locus's cline at the individual's hybrid
// index), so the count k has the prior Binomial(2, phi); the genotype's
// probability given k takes both gametes from R (k = 2), one from each
// population (k = 1) or both from S (k = 0), scored with the hybrid index
// model's own genotype probabilities.  No I/O.

namespace parmix {

// The count of no genotype: missing data, or a locus type the model does
// not score.
constexpr int kCopiesUnknown = -1;

// P(genotype | COPIES of its allele copies from R) at a locus of TYPE ('C':
// DESIGNATIONS are the two allele numbers, from 1; 'D': designations[0] is
// the band, 1 present or 0 absent) with allele frequencies FREQR and FREQS
// (a dominant locus: the band allele's only).  0 for a type or genotype the
// model does not score; COPIES is 0, 1 or 2.
double genotypeGivenCopies(char type, const double* freqR, const double* freqS,
                           const int* designations, int copies);

// The count (0, 1 or 2) of largest posterior probability, prior
// Binomial(2, PHI) with PHI in [0, 1] times genotypeGivenCopies.  Counts of
// exactly equal probability go to the one nearer the prior's mean 2 PHI,
// and where that is a tie too, to the lower.  A genotype that no count
// of positive prior explains (its alleles absent from the population PHI
// = 0 or 1 leaves) is judged by genotypeGivenCopies alone.
// kCopiesUnknown for a missing genotype, a type not scored, or a genotype
// no count explains at all.
int mostLikelyRCopies(char type, const double* freqR, const double* freqS,
                      const int* designations, double phi);

}  // namespace parmix

#endif
