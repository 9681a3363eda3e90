#ifndef PARMIX_MODEL_JOINT_LIKELIHOOD_HPP
#define PARMIX_MODEL_JOINT_LIKELIHOOD_HPP

// The log-likelihood of one individual in ancestry h and interclass
// heterozygosity H (`het`), laid out for speed.  At a locus the two allele
// copies come both from R (weight h - H/2), one from each population (H) or
// both from S (1 - h - H/2); the weights are those of a point of the
// triangle 0 <= H <= 1, H/2 <= h <= 1 - H/2.  A locus's genotype has, under
// each of the three ancestry states, a probability fixed by the parental
// frequencies, so its probability is linear in (h, H) and the log-likelihood
// is concave on the triangle.  The hybrid-index model is the curve
// H = 2h(1 - h), where the weights are h^2, 2h(1 - h) and (1 - h)^2.
//
// Pure numerics: no I/O.  Evaluations allocate nothing and never give NaN
// for a point of the triangle: a zero probability gives -infinity.

#include <cstddef>
#include <vector>

#include "model/gl_likelihood.hpp"

namespace parmix {

// Value, gradient and Hessian of the log-likelihood at one point.
struct JointDerivatives {
  double value;  // only filled when asked for; otherwise 0
  double dh, dHet;
  double dhh, dhHet, dHetHet;
};

// Slope and curvature of a function of one variable, with its value.
struct CurveDerivatives {
  double value;
  double slope;
  double curvature;
};

class JointIndividual {
 public:
  // Empties the layout for the next individual; keeps the memory.
  void clear();
  // Makes room for n loci at once (the layout grows by itself beyond).
  void reserve(std::size_t n);

  // Adds one locus, from its type ('C' or 'D'; any other type, such as an
  // excluded locus, adds nothing), the individual's two designations there
  // and the locus's frequency rows.  At a dominant locus freqR[0] and
  // freqS[0] are the dominant allele's frequencies, as the hybrid-index
  // model reads them, and only the first designation (1 band present, 0
  // absent) counts.  Missing designations add nothing.
  void addLocus(char type, int first, int second, const double* freqR, const double* freqS);

  // Adds one term from its probability under each ancestry state, as the
  // corrected analysis sums them over an individual's genotype likelihoods
  // and the frequencies' posteriors (GlIndividual::termStates).
  void addStates(const StateProbabilities& states) { addTerm(states.rr, states.rs, states.ss); }
  // Counts the individual as having data without adding a term: a site
  // whose likelihoods are all equal is data that says nothing.
  void markData() { hasData_ = true; }

  // True when any designation seen by addLocus was not missing.
  bool hasData() const { return hasData_; }
  // Loci that add a term.
  std::size_t terms() const { return terms_; }

  // ln L(h, H).  The point must lie in the triangle (the weights are taken
  // as at least 0, so rounding on an edge cannot make them negative).
  double logLikelihood(double h, double het) const;
  // Gradient and Hessian at (h, H), and the value when withValue is set.
  // Only meaningful where ln L is finite.
  JointDerivatives derivatives(double h, double het, bool withValue) const;
  // The slope and curvature of ln L along H at fixed h (no logarithms).
  CurveDerivatives alongHet(double h, double het) const;
  // The same along h at fixed H.
  CurveDerivatives alongH(double h, double het) const;

  // The hybrid-index model: ln L on the curve H = 2h(1 - h), and its slope
  // and curvature in h there (no logarithms for the latter).
  double hybridIndexLogLikelihood(double h) const;
  CurveDerivatives hybridIndexSlope(double h) const;

 private:
  void addTerm(double rr, double rs, double ss);
  // Slope and curvature along the direction whose per-term slopes are SLOPE.
  CurveDerivatives alongSlopes(const std::vector<double>& slope, double h, double het) const;

  // The genotype's probability under each ancestry state, one array each,
  // and the slopes of the term's probability in h and in H.
  std::vector<double> rr_, rs_, ss_, slopeH_, slopeHet_;
  std::size_t terms_ = 0;
  bool hasData_ = false;
};

// Lays out JOINT (cleared first) from the terms of INDIVIDUAL: each of its
// terms' state sums a, b, c becomes a term, so that
// joint.logLikelihood(h, H) is individual.jointLogLikelihood(h, H), and on
// the curve H = 2h(1 - h) the hybrid-index model of the same likelihoods
// and posteriors.  The individual has data exactly when INDIVIDUAL has.
void layOutJointFromTerms(const GlIndividual& individual, JointIndividual& joint);

}  // namespace parmix

#endif
