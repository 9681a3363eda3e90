#ifndef PARMIX_MODEL_CLINE_LIKELIHOOD_HPP
#define PARMIX_MODEL_CLINE_LIKELIHOOD_HPP

// The genomic cline of one locus: the probability phi that an allele copy
// of an individual with hybrid index h descends from R, as a logit-logistic
// function of h,
//   phi(h; v, centre) = h^v / (h^v + (1-h)^v e^u),  u = v logit(centre),
// so phi(centre) = 1/2 and phi = h for the neutral cline v = 1,
// centre = 1/2.  Equivalently phi = logistic(v (logit h - logit centre)).
// Each individual's genotype at the locus is then scored by the hybrid
// index model's own term with phi in place of h.  No I/O.

#include <cstddef>
#include <vector>

#include "model/cline_passes.hpp"
#include "model/gl_likelihood.hpp"

namespace parmix {

// phi(h; v, centre) for h in [0, 1], v > 0 and centre in (0, 1): exactly 0
// at h = 0 and 1 at h = 1, and never outside [0, 1].  The logit of the
// centre is given rather than the centre, since the fit works on that scale.
double clineAncestry(double h, double v, double logitCentre);

// Natural log-odds of x in (0, 1); -inf at 0 and +inf at 1.
double logit(double x);

// An individual as the clines take it: its hybrid index and, where that
// lies strictly between the parents, its logit, which every locus's term
// needs: taken once per individual rather than once per locus; and its
// row in the caller's tables.
struct ClineIndividual {
  double h;
  double logitH;
  std::size_t row = 0;
};
ClineIndividual clineIndividual(double h);

// ln L of a locus's cline at one point of the fit's scale (s = ln v,
// c = logit centre), with its gradient and Hessian there.
struct ClineCurvature {
  double value;
  double gradient[2];    // d/ds, d/dc
  double hessian[2][2];  // symmetric
};

// One locus and the individuals that inform it: those with a hybrid index
// and a genotype there.  The views point into tables the caller owns and
// must outlive this object; they are only read.
class ClineLocus {
 public:
  // TYPE is the locus's effective type ('C' or 'D'; any other type informs
  // nothing), FREQR and FREQS its frequency rows.
  ClineLocus(char type, double* freqR, double* freqS);
  // A locus whose individuals come by addLikelihoodTerm only: genotypes
  // known through their likelihoods, or frequencies known with uncertainty.
  ClineLocus() : ClineLocus('B', nullptr, nullptr) {}

  // Adds an individual with hybrid index H (finite, in [0, 1]) and its two
  // designations at this locus; one without a genotype here is not kept.
  void addIndividual(const ClineIndividual& who, int* designations);
  void addIndividual(double h, int* designations) { addIndividual(clineIndividual(h), designations); }

  // Adds an individual with hybrid index H (finite, in [0, 1]) whose term
  // at this locus is the hybrid index model's under genotype likelihoods
  // (and frequencies under posteriors), with phi in place of h:
  //   ln(rr phi^2 + 2 rs phi (1 - phi) + ss (1 - phi)^2),
  // STATES being the likelihood-weighted sums of its genotypes'
  // probabilities when both allele copies come from R (rr), one from each
  // (rs) and both from S (ss), as GlIndividual::termStates gives them.
  // The caller leaves out an individual whose likelihoods say nothing.
  void addLikelihoodTerm(const ClineIndividual& who, const StateProbabilities& states);
  void addLikelihoodTerm(double h, const StateProbabilities& states) {
    addLikelihoodTerm(clineIndividual(h), states);
  }
  // Room for COUNT individuals, so that adding them does not move the
  // columns again and again.
  void reserve(std::size_t count);

  // Individuals kept, so informing the cline.
  int individuals() const { return static_cast<int>(h_.size()) + likelihoodTerms_; }
  // The hybrid indices of the individuals of addIndividual, in the order
  // added; the locus's type and frequency rows as given.
  const std::vector<double>& hybridIndices() const { return h_; }
  char type() const { return type_; }
  double* freqR() const { return freqR_; }
  double* freqS() const { return freqS_; }

  // Sum over the individuals of ln P(genotype | phi(h; v, centre)).
  double logLikelihood(double v, double logitCentre) const;
  // The same at (ln v, logit centre), with its first and second
  // derivatives on that scale, in one pass over the individuals.
  ClineCurvature curvature(double logV, double logitCentre) const;
  // An upper bound of ln L over the rectangle LOGV in [LOGVLO, LOGVHI],
  // logit centre in [CLO, CHI]: each individual's phi stays between its
  // values at two corners, and its term, quadratic in phi, is largest at
  // an end of that range or at its vertex.  One pass, so a line of the box can
  // be shown to stay below a level without searching it.
  double upperBound(double logVLo, double logVHi, double cLo, double cHi) const;
  // The COUNT logit centres within [LO, HI] at which the step cline (phi
  // = 0 below the centre, 1 above: the limit of ever steeper clines) fits
  // best, best first (of equal ones the lower first), so the best COUNT are
  // the first COUNT of any longer list: the middles of gaps between neighbouring
  // individuals' logit h, or LO.  The steepest clines' likelihood along
  // the centre is a row of such shelves, which a local search cannot cross.
  std::vector<double> bestStepCentres(double lo, double hi, std::size_t count) const {
    return bestStepCentres(stepTerms(), lo, hi, count);
  }
  // The same from the individuals' terms under the step cline (at phi = 0
  // and 1) in order of logit h, for a caller that asks again and again:
  // they take a sort and two logarithms an individual.
  struct StepTerm {
    double logitH;
    double fromS;  // the term at phi = 0
    double fromR;  // at phi = 1
  };
  std::vector<StepTerm> stepTerms() const;
  static std::vector<double> bestStepCentres(const std::vector<StepTerm>& steps, double lo,
                                             double hi, std::size_t count);
  // ln L under the neutral cline, phi = h exactly: the locus's terms of
  // the hybrid index likelihood at each individual's h.
  double neutralLogLikelihood() const;

 private:
  double term(double phi, int* designations) const;

  // An individual strictly between the parents, its term's probability
  // written as a quadratic in phi and 1 - phi,
  //   rr phi^2 + rs2 phi (1 - phi) + ss (1 - phi)^2,
  // (a genotype's two factors linear in phi multiplied out; a likelihood
  // term's state sums as they are), kept as columns for the passes: every
  // individual takes the same steps, with no branch on its genotype, and 1
  // - phi is never formed by a subtraction that loses it.
  void addTerm(double logitH, double rr, double rs2, double ss);
  StateProbabilities termStates(const int* designations) const;
  cline_passes::Terms columns() const;

  char type_;
  double* freqR_;
  double* freqS_;
  std::vector<double> h_;
  std::vector<int*> designations_;
  std::vector<double> logitH_, rr_, rs2_, ss_;  // the individuals with 0 < h < 1
  double endsLogL_ = 0;           // those at h = 0 or 1: phi = h whatever the cline
  int likelihoodTerms_ = 0;       // individuals of addLikelihoodTerm
  double stateNeutralLogL_ = 0;   // their terms at phi = h
};

// The term sums of one individual at a site from its genotype likelihoods
// (SITE.genotypes() values in VCF order): the likelihood-weighted sums of
// its genotypes' state probabilities, ClineLocus::addLikelihoodTerm's
// STATES.  False when the likelihoods say nothing (all equal: no reads).
bool likelihoodStates(const SiteGenotypes& site, const double* likelihoods,
                      StateProbabilities& states);

}  // namespace parmix

#endif
