#include "model/joint_likelihood.hpp"

#include <algorithm>
#include <cmath>

namespace parmix {

namespace {

constexpr int kMissingCode = -9999;

// The weights of the three ancestry states at (h, H).  Written so that the
// class points give exact weights (0, 1/4, 1/2, 1), and taken as at least 0
// so that a point rounded onto an edge never gives a negative probability.
struct Weights {
  double rr, rs, ss;
};
inline Weights weightsAt(double h, double het) {
  return {std::max(0.0, h - 0.5 * het), het, std::max(0.0, (1 - h) - 0.5 * het)};
}

}  // namespace

void JointIndividual::clear() {
  terms_ = 0;
  hasData_ = false;
}

void JointIndividual::reserve(std::size_t n) {
  if (n <= rr_.size()) return;
  for (std::vector<double>* field : {&rr_, &rs_, &ss_, &slopeH_, &slopeHet_}) field->resize(n);
}

void JointIndividual::addTerm(double rr, double rs, double ss) {
  if (terms_ == rr_.size()) reserve(terms_ < 16 ? 16 : 2 * terms_);
  rr_[terms_] = rr;
  rs_[terms_] = rs;
  ss_[terms_] = ss;
  slopeH_[terms_] = rr - ss;
  slopeHet_[terms_] = rs - 0.5 * (rr + ss);
  ++terms_;
}

// Under each ancestry state the two copies are drawn independently from the
// populations named, so the genotype's probability is the Hardy-Weinberg
// product of the two frequencies involved.
void JointIndividual::addLocus(char type, int first, int second, const double* freqR,
                               const double* freqS) {
  if (first != kMissingCode || second != kMissingCode) hasData_ = true;
  if (type == 'C') {
    if (first == kMissingCode || second == kMissingCode) return;
    const double r1 = freqR[first - 1], s1 = freqS[first - 1];
    if (first == second) {
      addTerm(r1 * r1, r1 * s1, s1 * s1);
    } else {
      const double r2 = freqR[second - 1], s2 = freqS[second - 1];
      addTerm(2 * r1 * r2, r1 * s2 + r2 * s1, 2 * s1 * s2);
    }
  } else if (type == 'D') {
    // x and y: the recessive allele's frequency in R and in S.
    const double x = 1 - freqR[0], y = 1 - freqS[0];
    if (first == 0) addTerm(x * x, x * y, y * y);
    if (first == 1) addTerm(1 - x * x, 1 - x * y, 1 - y * y);
  }
}

double JointIndividual::logLikelihood(double h, double het) const {
  const Weights w = weightsAt(h, het);
  double sum = 0.0;
  for (std::size_t t = 0; t < terms_; ++t)
    sum += std::log(rr_[t] * w.rr + rs_[t] * w.rs + ss_[t] * w.ss);
  return sum;
}

// P = rr*(h - H/2) + rs*H + ss*(1 - h - H/2), so dP/dh = rr - ss and
// dP/dH = rs - (rr + ss)/2, and the Hessian of ln P is minus the outer
// product of the gradient of ln P.  The value, when asked for, is summed in
// the same pass, term by term as logLikelihood() sums it.
JointDerivatives JointIndividual::derivatives(double h, double het, bool withValue) const {
  const Weights w = weightsAt(h, het);
  JointDerivatives d{0.0, 0.0, 0.0, 0.0, 0.0, 0.0};
  for (std::size_t t = 0; t < terms_; ++t) {
    const double prob = rr_[t] * w.rr + rs_[t] * w.rs + ss_[t] * w.ss;
    if (withValue) d.value += std::log(prob);
    const double inverse = 1 / prob;
    const double gh = slopeH_[t] * inverse;
    const double gHet = slopeHet_[t] * inverse;
    d.dh += gh;
    d.dHet += gHet;
    d.dhh -= gh * gh;
    d.dhHet -= gh * gHet;
    d.dHetHet -= gHet * gHet;
  }
  return d;
}

CurveDerivatives JointIndividual::alongSlopes(const std::vector<double>& slope, double h,
                                              double het) const {
  const Weights w = weightsAt(h, het);
  CurveDerivatives d{0.0, 0.0, 0.0};
  for (std::size_t t = 0; t < terms_; ++t) {
    const double g = slope[t] / (rr_[t] * w.rr + rs_[t] * w.rs + ss_[t] * w.ss);
    d.slope += g;
    d.curvature -= g * g;
  }
  return d;
}

CurveDerivatives JointIndividual::alongHet(double h, double het) const {
  return alongSlopes(slopeHet_, h, het);
}

CurveDerivatives JointIndividual::alongH(double h, double het) const {
  return alongSlopes(slopeH_, h, het);
}

// On the curve the weights are h^2, 2h(1 - h) and (1 - h)^2: the genotype
// probabilities of the hybrid-index model, written as a quadratic in h.
double JointIndividual::hybridIndexLogLikelihood(double h) const {
  const double g = 1 - h;
  const double wrr = h * h, wrs = 2 * h * g, wss = g * g;
  double sum = 0.0;
  for (std::size_t t = 0; t < terms_; ++t)
    sum += std::log(rr_[t] * wrr + rs_[t] * wrs + ss_[t] * wss);
  return sum;
}

CurveDerivatives JointIndividual::hybridIndexSlope(double h) const {
  const double g = 1 - h;
  const double wrr = h * h, wrs = 2 * h * g, wss = g * g;
  CurveDerivatives d{0.0, 0.0, 0.0};
  for (std::size_t t = 0; t < terms_; ++t) {
    const double prob = rr_[t] * wrr + rs_[t] * wrs + ss_[t] * wss;
    const double slope = 2 * rr_[t] * h + rs_[t] * (2 - 4 * h) - 2 * ss_[t] * g;
    const double bend = 2 * (rr_[t] + ss_[t]) - 4 * rs_[t];
    const double ratio = slope / prob;
    d.slope += ratio;
    d.curvature += bend / prob - ratio * ratio;
  }
  return d;
}

void layOutJointFromTerms(const GlIndividual& individual, JointIndividual& joint) {
  joint.clear();
  joint.reserve(individual.terms());
  if (individual.hasData()) joint.markData();
  for (std::size_t l = 0; l < individual.terms(); ++l) joint.addStates(individual.termStates(l));
}

}  // namespace parmix
