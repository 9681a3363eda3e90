#ifndef PARMIX_MODEL_LIKELIHOOD_HPP
#define PARMIX_MODEL_LIKELIHOOD_HPP

// Log-likelihood of the hybrid index h for the individual held in
// indGenotype.  The solvers evaluate it through an individual's compact
// layout (estimate/layout_objective.hpp), bit for bit the same values.

namespace parmix {

// The records the two objectives below receive through GSL's params
// pointer; they only point at the caller's arrays and own nothing.
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

// The objectives of the estimate and of a limit, straight from Likelihood():
// -Likelihood(h), params pointing to a LikelihoodParams; and
// Likelihood(h) - maxLogL + supportDrop in that order, params pointing to a
// BoundParams.  They are the library's reference form of what the searches
// solve: the run hands the searches an individual's memoised layout
// (estimate/layout_objective.hpp), whose values are these bit for bit, and
// the tests hold the two to each other.
double maxFunction(double h, void* params);
double ciFunction(double h, void* params);

}  // namespace parmix

#endif
