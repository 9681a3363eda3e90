#ifndef PARMIX_ESTIMATE_INDIVIDUAL_STUDY_HPP
#define PARMIX_ESTIMATE_INDIVIDUAL_STUDY_HPP

// The study of one individual, as a run makes it: genotypeNA, then the
// searches of testSurface, findmaxH and findBound below and above on the
// individual's log-likelihood (an estimate at an end is its own, cut, limit
// there), then the report row's numbers.  Knows nothing of Tcl; any program that holds an individual's
// designations and the frequency rows may call it.

namespace parmix {

class IndividualContext;

// One report row's numbers.  An individual without data, with a flat
// surface or without an estimate has three NaN and no mark.
struct IndividualEstimate {
  double h;
  double lowerBound;
  double upperBound;
  bool truncated[2];
};

// Studies the individual held in indGenotype (nLoci rows of two
// designations, kMissing for missing), with the frequency rows and locus
// types of its data set; the arrays are only read.  With a context (owned
// by the caller, laid out for this very individual with layOut()), every
// step takes and keeps its points there, so no point is evaluated twice
// for the individual; without one, each step lays the individual out
// itself.
IndividualEstimate studyIndividualGenotype(int** indGenotype, double** freqR, double** freqS,
                                           char* locusType, int nLoci,
                                           IndividualContext* context = nullptr);

}  // namespace parmix

#endif
