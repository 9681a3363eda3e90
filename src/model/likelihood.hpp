#ifndef PARMIX_MODEL_LIKELIHOOD_HPP
#define PARMIX_MODEL_LIKELIHOOD_HPP

// Log-likelihood of the hybrid index h for the individual held in
// indGenotype.  The solvers evaluate it through an individual's compact
// layout (estimate/layout_objective.hpp), bit for bit the same values.

namespace parmix {

// True for the locus types the likelihood knows: 'C', 'D' and 'B'.
bool isModelLocusType(char type);

// Index of the first locus whose type the likelihood does not know, or -1.
// The run asks this once before estimating, so a corrupted type array is an
// error of the command rather than a silent NaN.
int firstUnknownLocusType(const char* locusType, int nLoci);

// Sum over loci, in locus order, of the log-probability of the individual's
// genotype class.  Missing designations and 'B' loci add 0.  A locus type
// other than C, D or B makes the result NaN (never ends the process).
double Likelihood(double h, int** indGenotype, double** freqR, double** freqS,
                  char* locusType, int nLoci);

}  // namespace parmix

#endif
