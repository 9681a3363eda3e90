#ifndef PARMIX_MODEL_LIKELIHOOD_HPP
#define PARMIX_MODEL_LIKELIHOOD_HPP

// Log-likelihood of the hybrid index h for the individual held in
// indGenotype, and the two objective functions handed to the GSL solvers.
// The params records only point at the run's arrays; they own nothing.

namespace parmix {

struct LikelihoodParams {
  int** indGenotype;
  double** freqR;
  double** freqS;
  char* locusType;
  int nLoci;
};

struct BoundParams {
  int** indGenotype;
  double** freqR;
  double** freqS;
  char* locusType;
  int nLoci;
  double maxLogL;      // log-likelihood at the estimate
  double supportDrop;  // fall of log-likelihood that defines a limit (2.0)
};

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

// -Likelihood(h); params points to a LikelihoodParams.
double maxFunction(double h, void* params);

// Likelihood(h) - maxLogL + supportDrop; params points to a BoundParams.
double ciFunction(double h, void* params);

}  // namespace parmix

#endif
