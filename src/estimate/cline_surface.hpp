#ifndef PARMIX_ESTIMATE_CLINE_SURFACE_HPP
#define PARMIX_ESTIMATE_CLINE_SURFACE_HPP

// A locus's ln L as the fit of its cline asks for it.  The fit's searches
// come back to points they have already been at (the ends of a line, the
// best point of a scan, the estimate, the points an edge is judged by),
// and a value there costs a whole pass over the locus's individuals.  The
// last points' values and curvatures are kept and given again, the same
// bits, so the fit takes the same steps in fewer passes.  One fit's own
// working state: not to be shared between threads.  No I/O.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "model/cline_likelihood.hpp"

namespace parmix {

class ClineSurface {
 public:
  explicit ClineSurface(const ClineLocus& locus) : locus_(locus) {}

  // As ClineLocus's, at (v, logit centre) and (ln v, logit centre).  A
  // curvature's value stands for ln L at the same point.
  double logLikelihood(double v, double logitCentre);
  ClineCurvature curvature(double logV, double logitCentre);

  // Passes over the individuals made so far: values, curvatures, bounds.
  std::uint64_t passes() const { return passes_; }

  double upperBound(double logVLo, double logVHi, double cLo, double cHi) {
    ++passes_;
    return locus_.upperBound(logVLo, logVHi, cLo, cHi);
  }
  // As ClineLocus's, its individuals' order taken once and each range
  // ranked once (at least kRanked long).
  std::vector<double> bestStepCentres(double lo, double hi, std::size_t count);
  int individuals() const { return locus_.individuals(); }
  const std::vector<double>& hybridIndices() const { return locus_.hybridIndices(); }
  // ln L of the neutral cline (v = 1, centre 1/2) by the same passes as
  // every other point, so the likelihood ratio compares two sums of the
  // same terms; the fit starts there, so it is usually had already.  It
  // agrees with the hybrid index model's own terms (ClineLocus's
  // neutralLogLikelihood) to the last few bits.
  double neutralLogLikelihood() { return logLikelihood(1.0, 0.0); }
  const ClineLocus& locus() const { return locus_; }

 private:
  // The last kKept points of each kind, the oldest overwritten first; a
  // point is its coordinates' bits (v, not ln v, for both kinds).
  static constexpr std::size_t kKept = 48;
  static constexpr std::size_t kRanked = 16;
  struct Value {
    double v, logitCentre, value;
  };
  struct Curvature {
    double v, logitCentre;
    ClineCurvature at;
  };

  const ClineLocus& locus_;
  std::optional<std::vector<ClineLocus::StepTerm>> steps_;
  struct Shelves {
    double lo, hi;
    std::size_t count;
    std::vector<double> centres;
  };
  std::vector<Shelves> shelves_;
  std::array<Value, kKept> values_{};
  std::array<Curvature, kKept> curvatures_{};
  std::size_t valueCount_ = 0, curvatureCount_ = 0;
  std::uint64_t passes_ = 0;
};

}  // namespace parmix

#endif
