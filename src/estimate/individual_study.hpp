#ifndef PARMIX_ESTIMATE_INDIVIDUAL_STUDY_HPP
#define PARMIX_ESTIMATE_INDIVIDUAL_STUDY_HPP

// What the study of one individual's hybrid index gives: the searches of
// testSurface, findmaxH and findBound below and above on the individual's
// log-likelihood (an estimate at an end is its own, cut, limit there) make
// the report row's numbers (estimate/study.hpp studies every individual).

namespace parmix {

// One report row's numbers.  An individual without data, with a flat
// surface or without an estimate has three NaN and no mark.
struct IndividualEstimate {
  double h;
  double lowerBound;
  double upperBound;
  bool truncated[2];
};

}  // namespace parmix

#endif
